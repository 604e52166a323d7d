#!/usr/bin/env python3
"""Counts test cases over the last ctest runs of the given build folders.

GoogleTest programs count their cases (passed, failed and skipped); any other
ctest entry counts as one case. An entry that ctest records as failed counts
as at least one failure whatever its case counts say: a program whose global
set-up failed reports "0 tests" failed, and a crash or a time-out reports no
count at all. An entry that was not run (a missing program, a failed fixture)
is a failure too, although ctest writes "Test Passed." for it.

Prints one line "N passed, M failed, K skipped" and exits non-zero when
anything failed. --failed-runs N: N ctest runs exited non-zero; the line then
shows at least N failures, so it never says less than the runs did.
"""
import argparse
import re
import sys
from pathlib import Path

ENTRY = re.compile(r"^\d+/\d+ Testing: .*$", re.M)
PASSED = re.compile(r"^\[  PASSED  \] (\d+) tests?\.", re.M)
FAILED = re.compile(r"^\[  FAILED  \] (\d+) tests?, listed below", re.M)
SKIPPED = re.compile(r"^\[  SKIPPED \] (\d+) tests?, listed below", re.M)
CASE_OK = re.compile(r"^\[       OK \] ", re.M)
CASE_SKIPPED = re.compile(r"^\[  SKIPPED \] \S+ \(\d+ ms\)$", re.M)


def count_entry(block):
    """(passed, failed, skipped) of one entry's block of LastTest.log."""
    not_run = re.search(r'^Command: ""$', block, re.M) is not None
    entry_ok = re.search(r"^Test Passed\.$", block, re.M) is not None and not not_run
    ok, bad, skip = PASSED.search(block), FAILED.search(block), SKIPPED.search(block)
    if ok or bad or skip:
        passed = int(ok.group(1)) if ok else 0
        failed = int(bad.group(1)) if bad else 0
        skipped = int(skip.group(1)) if skip else 0
    elif CASE_OK.search(block) or CASE_SKIPPED.search(block):
        # A GoogleTest program that stopped before its summary: the cases it
        # finished still count.
        passed = len(CASE_OK.findall(block))
        skipped = len(CASE_SKIPPED.findall(block))
        failed = 0
    else:
        return (1, 0, 0) if entry_ok else (0, 1, 0)
    if not entry_ok and failed == 0:
        failed = 1
    return passed, failed, skipped


def count_log(text):
    """(passed, failed, skipped) over every entry of one LastTest.log."""
    totals = [0, 0, 0]
    for block in ENTRY.split(text)[1:]:
        for i, n in enumerate(count_entry(block)):
            totals[i] += n
    return tuple(totals)


def summary(builds, failed_runs=0):
    """The summary line and whether everything passed."""
    passed = failed = skipped = 0
    for build in builds:
        log = Path(build) / "Testing" / "Temporary" / "LastTest.log"
        if not log.exists():
            print(f"no test log in {build}", file=sys.stderr)
            failed += 1
            continue
        p, f, s = count_log(log.read_text(errors="replace"))
        passed, failed, skipped = passed + p, failed + f, skipped + s
    failed = max(failed, failed_runs)
    return f"{passed} passed, {failed} failed, {skipped} skipped", failed == 0


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--failed-runs", type=int, default=0)
    parser.add_argument("builds", nargs="*")
    args = parser.parse_args()
    line, ok = summary(args.builds, args.failed_runs)
    print(line)
    return 0 if ok else 1


if __name__ == "__main__":
    sys.exit(main())
