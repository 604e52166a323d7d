#!/usr/bin/env python3
"""The summary line of scripts/test, over LastTest.log texts written as ctest
writes them."""
import importlib.util
import subprocess
import sys
import tempfile
import unittest
from pathlib import Path

SCRIPT = Path(__file__).resolve().parents[2] / "scripts" / "test-summary.py"
loader_spec = importlib.util.spec_from_file_location("test_summary", SCRIPT)
summary = importlib.util.module_from_spec(loader_spec)
loader_spec.loader.exec_module(summary)


def entry(number, name, output, result="Test Passed.", command=None):
    """One entry of LastTest.log, laid out as ctest 3.25 writes it."""
    if command is None:
        command = f'"/build/bin/{name}.exe"'
    return (f"{number}/9 Testing: {name}\n{number}/9 Test: {name}\n"
            f"Command: {command}\nDirectory: /build\n"
            f'"{name}" start time: Dec 09 07:11 UTC\nOutput:\n'
            "----------------------------------------------------------\n"
            f"{output}<end of output>\nTest time =   0.02 sec\n"
            "----------------------------------------------------------\n"
            f'{result}\n"{name}" end time: Dec 09 07:11 UTC\n'
            f'"{name}" time elapsed: 00:00:00\n'
            "----------------------------------------------------------\n\n")


def log(*entries):
    return ("Start testing: Dec 09 07:11 UTC\n"
            "----------------------------------------------------------\n"
            + "".join(entries) + "End testing: Dec 09 07:11 UTC\n")


GREEN = ("[==========] 3 tests from 1 test suite ran. (5 ms total)\n"
         "[  PASSED  ] 3 tests.\n")
# A global set-up that failed: every case skipped, none failed.
SETUP_FAILED = ("[  PASSED  ] 0 tests.\n"
                "[  SKIPPED ] 21 tests, listed below:\n"
                "[  SKIPPED ] Control.Registers\n"
                "[  FAILED  ] 0 tests, listed below:\n")
TWO_FAILED = ("[  PASSED  ] 5 tests.\n"
              "[  FAILED  ] 2 tests, listed below:\n"
              "[  FAILED  ] A.One\n[  FAILED  ] A.Two\n\n 2 FAILED TESTS\n")
ONE_OF_ONE = ("[  PASSED  ] 1 test.\n"
              "[  SKIPPED ] 1 test, listed below:\n[  SKIPPED ] A.Later\n")
CRASHED = ("[ RUN      ] A.One\n[       OK ] A.One (3 ms)\n"
           "[ RUN      ] A.Two\n[  SKIPPED ] A.Two (0 ms)\n"
           "[ RUN      ] A.Three\n[       OK ] A.Three (1 ms)\n"
           "[ RUN      ] A.Four\n")


class Entries(unittest.TestCase):
    def count(self, output, result="Test Passed.", command=None):
        return summary.count_log(log(entry(1, "prog", output, result, command)))

    def test_a_green_program_counts_its_cases(self):
        self.assertEqual((3, 0, 0), self.count(GREEN))
        self.assertEqual((1, 0, 1), self.count(ONE_OF_ONE))

    def test_a_failed_program_without_a_failed_case_is_one_failure(self):
        self.assertEqual((0, 1, 21), self.count(SETUP_FAILED, "Test Failed."))

    def test_failed_cases_are_counted_once(self):
        self.assertEqual((5, 2, 0), self.count(TWO_FAILED, "Test Failed."))

    def test_a_program_that_stopped_keeps_the_cases_it_finished(self):
        self.assertEqual((2, 1, 1), self.count(CRASHED, "Test Failed."))

    def test_an_entry_that_was_not_run_is_a_failure(self):
        # ctest writes "Test Passed." and an empty command for a missing
        # program and for an entry whose fixture failed.
        self.assertEqual((0, 1, 0), self.count("", "Test Passed.", '""'))

    def test_other_entries_count_as_one_case(self):
        self.assertEqual((1, 0, 0), self.count("fuzz dib: 900 runs, ok\n"))
        self.assertEqual((0, 1, 0), self.count("", "Test Failed."))

    def test_every_entry_of_a_log_is_counted(self):
        text = log(entry(1, "wine_up", ""), entry(2, "a", GREEN),
                   entry(3, "b", SETUP_FAILED, "Test Failed."),
                   entry(4, "c", TWO_FAILED, "Test Failed."), entry(5, "wine_down", ""))
        self.assertEqual((10, 3, 21), summary.count_log(text))


class Line(unittest.TestCase):
    def run_summary(self, logs, *args):
        with tempfile.TemporaryDirectory(prefix="summary ") as top:
            builds = []
            for i, text in enumerate(logs):
                build = Path(top) / f"build {i}"
                if text is not None:
                    (build / "Testing" / "Temporary").mkdir(parents=True)
                    (build / "Testing" / "Temporary" / "LastTest.log").write_text(text)
                builds.append(str(build))
            done = subprocess.run([sys.executable, str(SCRIPT), *args, *builds],
                                  capture_output=True, text=True)
        return done.returncode, done.stdout.splitlines()

    def test_the_line_adds_up_every_build(self):
        code, lines = self.run_summary([log(entry(1, "core", GREEN)),
                                        log(entry(1, "ctl", SETUP_FAILED, "Test Failed."))])
        self.assertEqual(["3 passed, 1 failed, 21 skipped"], lines)
        self.assertEqual(1, code)

    def test_all_green_exits_zero(self):
        code, lines = self.run_summary([log(entry(1, "core", GREEN)),
                                        log(entry(1, "x", ONE_OF_ONE))])
        self.assertEqual(["4 passed, 0 failed, 1 skipped"], lines)
        self.assertEqual(0, code)

    def test_a_missing_log_is_a_failure(self):
        code, lines = self.run_summary([log(entry(1, "core", GREEN)), None])
        self.assertEqual(["3 passed, 1 failed, 0 skipped"], lines)
        self.assertEqual(1, code)

    def test_failed_runs_are_never_hidden(self):
        code, lines = self.run_summary([log(entry(1, "core", GREEN))], "--failed-runs", "2")
        self.assertEqual(["3 passed, 2 failed, 0 skipped"], lines)
        self.assertEqual(1, code)
        code, lines = self.run_summary([log(entry(1, "c", TWO_FAILED, "Test Failed."))],
                                       "--failed-runs", "1")
        self.assertEqual(["5 passed, 2 failed, 0 skipped"], lines)


if __name__ == "__main__":
    unittest.main()
