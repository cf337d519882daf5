#!/usr/bin/python3
"""CPU use of the running demo in Xvfb (24-bit screen, dummy audio): its process CPU time (user + system,
all threads, from /proc/PID/stat) over a 10-second window after a short settling time, as a share of one
core, for a few starts. Usage: cpu_use.py [SECONDS] [RUNS] [PROGRAM]   (defaults: 10 s, 3 runs,
build-bench/src/q47)"""

import os
import sys
import time

import xvfb_session

SETTLE = 2.0  # seconds after start, so start-up work is not counted
TICKS = os.sysconf("SC_CLK_TCK")


def cpu_seconds(pid):
    with open(f"/proc/{pid}/stat") as stream:
        # The command name in parentheses may hold spaces; the fields after it are fixed.
        fields = stream.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / TICKS  # utime, stime


def one_run(program, window):
    """Seconds of CPU per second of the window, for one start of the demo."""
    with xvfb_session.Xvfb() as server:
        process = server.start(program)
        try:
            time.sleep(SETTLE)
            if process.poll() is not None:
                raise RuntimeError("the demo ended: " + process.stderr.read().decode(errors="replace").strip())
            began, cpu_before = time.monotonic(), cpu_seconds(process.pid)
            time.sleep(window)
            elapsed, cpu = time.monotonic() - began, cpu_seconds(process.pid) - cpu_before
        finally:
            xvfb_session.stop(process)
    return cpu / elapsed


def main():
    window = float(sys.argv[1]) if len(sys.argv) > 1 else 10.0
    runs = int(sys.argv[2]) if len(sys.argv) > 2 else 3
    program = xvfb_session.ensure_program(sys.argv[3] if len(sys.argv) > 3 else xvfb_session.DEFAULT_PROGRAM)
    shares = [100 * one_run(program, window) for _ in range(runs)]
    middle = xvfb_session.median(shares)
    print(f"CPU use of {program}, {runs} runs of {window:.0f} s: median {middle:.1f} % of one core "
          f"(min {min(shares):.1f} %, max {max(shares):.1f} %); target <= 8 %: "
          f"{'holds' if middle <= 8 else 'MISSED'}")


if __name__ == "__main__":
    main()
