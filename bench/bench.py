"""Runs comsend's four benchmarks on a private Xvfb and prints a Markdown report.

Called by bench/run, which builds the programs first. Each benchmark lives in
its own module beside this one (startup.py, sendpath.py, pacedsend.py,
idle.py); this file
owns the X server, the environment the programs get, and the description of
the machine the figures come from.
"""

import argparse
import os
import shutil
import signal
import subprocess
import sys
import tempfile
from contextlib import contextmanager

import idle
import pacedsend
from report import finish, first_line, machine_table
import sendpath
import startup


@contextmanager
def xvfb():
    """A fresh Xvfb on a free display, shared with nothing else on the machine."""
    read_end, write_end = os.pipe()
    server = subprocess.Popen(
        ["Xvfb", "-displayfd", str(write_end), "-screen", "0", "1024x768x24", "-dpi", "96",
         "-nolisten", "tcp"],
        pass_fds=[write_end], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    os.close(write_end)
    with os.fdopen(read_end) as pipe:
        number = pipe.readline().strip()
    if not number:
        server.kill()
        sys.exit("bench: Xvfb did not start")
    try:
        yield ":" + number
    finally:
        server.terminate()
        server.wait()


def program_environment(display, runtime_dir):
    """The caller's environment, with nothing in it that steers Qt."""
    env = {k: v for k, v in os.environ.items() if not k.startswith("QT_")}
    env["DISPLAY"] = display
    env["XDG_RUNTIME_DIR"] = runtime_dir
    return env


def main():
    # Ended from outside, it still takes its X server and programs down with it.
    signal.signal(signal.SIGTERM, lambda *_: sys.exit("bench: terminated"))
    parser = argparse.ArgumentParser()
    parser.add_argument("--comsend", required=True)
    parser.add_argument("--floor", required=True)
    parser.add_argument("--floor-glyphs", required=True)
    parser.add_argument("--floor-xpm-glyphs", required=True)
    parser.add_argument("--mapwatch", required=True)
    parser.add_argument("--results", required=True)
    parser.add_argument("--runs", type=int, default=21)
    parser.add_argument("--warmup", type=int, default=2)
    parser.add_argument("--idle-seconds", type=float, default=5.0)
    parser.add_argument("--extra", action="append", default=[], metavar="NAME=PATH",
                        help="another program (say, an older comsend) to take turns in the start-up runs")
    args = parser.parse_args()

    report = ["# comsend benchmark results", ""]
    report += machine_table([
        ("Qt", first_line(["dpkg-query", "-W", "-f=${Version}\n", "libqt6widgets6"])),
        ("Compiler", first_line(["g++", "--version"])),
        ("X server", "Xvfb 1024x768x24, 96 dpi, no window manager"),
    ])

    work = tempfile.mkdtemp(prefix="comsend-bench-")
    runtime_dir = os.path.join(work, "runtime")
    os.mkdir(runtime_dir, 0o700)
    try:
        with xvfb() as display:
            env = program_environment(display, runtime_dir)
            print(f"X server {display}; {args.runs} start-up runs each", file=sys.stderr)
            programs = {"floor": args.floor, "floor + stock glyphs": args.floor_glyphs,
                        "floor + XPM glyphs": args.floor_xpm_glyphs}
            programs.update(extra.split("=", 1) for extra in args.extra)
            programs["comsend"] = args.comsend
            report += startup.run(args.mapwatch, programs, args.runs, args.warmup, env)
            report += sendpath.run(args.comsend, env, work)
            report += pacedsend.run(args.comsend, env, work)
            report += idle.run({"floor": args.floor, "comsend": args.comsend}, args.idle_seconds, env,
                               work)
    finally:
        shutil.rmtree(work, ignore_errors=True)

    finish(report, args.results)

if __name__ == "__main__":
    main()
