#!/usr/bin/env python3
"""Where a program's start goes, from a Wine trace with +timestamp,+pid,
+loaddll and +relay (scripts/bench-frame --trace).

    start-trace.py TRACE.log PROGRAM.exe

Times are milliseconds from the moment Wine mapped PROGRAM.exe: the DLLs it
imports are mapped, then started (their PROCESS_ATTACH; a DLL loaded inside
another's start-up counts in both), then the program's own code runs until its
first window is shown.
"""
import re
import sys

LINE = re.compile(r"^(\d+\.\d+):([0-9a-f]{4}):([0-9a-f]{4}):(.*)$")
LOADED = re.compile(r'trace:loaddll:build_module Loaded L"(?:[^"]*\\)?([^"\\]+)"')
ATTACH = re.compile(r'^(Call|Ret ) PE DLL \(.*L"(?:[^"]*\\)?([^"\\]+)",reason=PROCESS_ATTACH')
CALL = re.compile(r"^(Call|Ret ) ([A-Za-z0-9_]+)\.([A-Za-z0-9_]+)\(")

# The steps of our code that the trace marks, by the calls they begin with.
STEPS = [
    ("OleInitialize", "OLE set up"),
    ("WSAStartup", "Winsock set up"),
    ("InitCommonControls", "common controls set up"),
    ("CreateFileA", "skin files opened (first)"),
    ("FDICreate", "package extraction begins"),
    ("FDIDestroy", "package extraction ends"),
    ("CreateWindowExA", "first window created"),
    ("SetWindowRgn", "window shaped"),
    ("ShowWindow", "first window shown"),
]


def starts(path, program):
    """The processes of PROGRAM in the trace, in order."""
    pids = []
    for raw in open(path, errors="replace"):
        m = LINE.match(raw.rstrip("\n"))
        if m:
            loaded = LOADED.search(m.group(4))
            if loaded and loaded.group(1).lower() == program and m.group(2) not in pids:
                pids.append(m.group(2))
    return pids


def analyse(path, program, wanted):
    """Milestones of one start of PROGRAM (process `wanted`); prints them and
    answers the time the first window was shown, or None."""
    pid = None
    start = None
    events = []  # (ms, text)
    attach_open = {}
    attach = []
    dlls = []
    entry = None
    seen = set()
    shown = None
    for raw in open(path, errors="replace"):
        m = LINE.match(raw.rstrip("\n"))
        if not m:
            continue
        t, p, rest = float(m.group(1)), m.group(2), m.group(4)
        loaded = LOADED.search(rest)
        if pid is None:
            if loaded and loaded.group(1).lower() == program and p == wanted:
                pid, start = p, t
            continue
        if p != pid:
            continue
        ms = (t - start) * 1000.0
        if loaded:
            dlls.append((ms, loaded.group(1)))
            continue
        a = ATTACH.match(rest)
        if a:
            if a.group(1) == "Call":
                attach_open[a.group(2).lower()] = ms
            elif a.group(2).lower() in attach_open:
                attach.append((ms - attach_open.pop(a.group(2).lower()), a.group(2)))
            continue
        if entry is None and rest.startswith("Starting thread proc"):
            entry = ms
            continue
        c = CALL.match(rest)
        if c:
            name = c.group(3)
            if c.group(1) == "Call" and name not in seen:
                seen.add(name)
                for key, label in STEPS:
                    if key == name:
                        events.append((ms, label))
            if c.group(1) == "Ret " and name == "ShowWindow" and shown is None:
                shown = ms
    if pid is None:
        return None
    before = [d for d in dlls if entry is None or d[0] <= entry]
    later = [d for d in dlls if entry is not None and d[0] > entry]
    print(f"  {len(before)} DLLs mapped at start, the last at {before[-1][0]:.0f} ms" if before else "")
    if entry is not None:
        print(f"  program code starts at {entry:.0f} ms (DLL start-up done)")
    for ms, name in sorted(attach, reverse=True)[:6]:
        if ms >= 1.0:
            print(f"    {name} start-up {ms:.0f} ms")
    for ms, label in events:
        print(f"  {ms:7.0f} ms  {label}")
    for ms, name in later:
        print(f"  {ms:7.0f} ms  loads {name}")
    if shown is not None:
        print(f"  {shown:7.0f} ms  first window shown (returned)")
        if entry is not None:
            print(f"  before the program's code: {entry:.0f} ms; the program's code until shown: "
                  f"{shown - entry:.0f} ms")
    return shown


def main():
    path, program = sys.argv[1], sys.argv[2].lower()
    pids = starts(path, program)
    if not pids:
        print(f"{program}: not found in the trace")
        return 1
    # The machine may be busy: the fastest of the traced starts is the one shown.
    import contextlib, io
    times = {}
    for pid in pids:
        with contextlib.redirect_stdout(io.StringIO()):
            times[pid] = analyse(path, program, pid)
    shown = [p for p in pids if times[p] is not None]
    best = min(shown, key=lambda p: times[p]) if shown else pids[0]
    print(f"  fastest of {len(pids)} traced starts:")
    analyse(path, program, best)
    return 0


sys.exit(main())
