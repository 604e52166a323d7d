#!/usr/bin/env python3
"""Counts test cases over the last ctest runs of the given build folders.

GoogleTest programs count their cases; any other ctest entry counts as one
case, and a GoogleTest program that failed without reporting a failed case
(a crash, a time-out) counts one failure more. Prints one line
"N passed, M failed" and exits non-zero when anything failed.
"""
import re
import sys
from pathlib import Path

passed = failed = 0
for build in sys.argv[1:]:
    log = Path(build) / "Testing" / "Temporary" / "LastTest.log"
    if not log.exists():
        print(f"no test log in {build}", file=sys.stderr)
        failed += 1
        continue
    text = log.read_text(errors="replace")
    blocks = re.split(r"^\d+/\d+ Testing: .*$", text, flags=re.M)[1:]
    for block in blocks:
        entry_passed = "\nTest Passed." in block
        ok = re.search(r"\[  PASSED  \] (\d+) tests?\.", block)
        bad = re.search(r"\[  FAILED  \] (\d+) tests?, listed below", block)
        if ok or bad:
            passed += int(ok.group(1)) if ok else 0
            failed += int(bad.group(1)) if bad else 0
            if not entry_passed and not bad:
                failed += 1
        elif entry_passed:
            passed += 1
        else:
            failed += 1
print(f"{passed} passed, {failed} failed")
sys.exit(1 if failed else 0)
