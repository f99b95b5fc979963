#!/usr/bin/python3
"""Runs one Windows test program of comsend's in the wine session kept in
a directory of the build tree (see wine.py), with COM ports mapped to pseudo-terminals:

    run.py setup SESSION                 start the session (Xvfb, wineserver)
    run.py teardown SESSION               end it
    run.py [--lang L] [--ports COM5,COM6] [--stalled COM7] test SESSION EXE [ARGS...]

A test program finds its ports in COMSEND_TEST_PORTS; whatever they send is
read and dropped. The port in COMSEND_STALLED_PORT has a far end that never
reads. The exit status is the program's, or 77 (skipped) for a
32-bit program on a machine that cannot execute 32-bit x86 code."""

import argparse
import os
import sys
import tempfile

sys.dont_write_bytecode = True
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

import wine  # noqa: E402

SKIPPED = 77
# Shorter than ctest's limit (300 s), so that a program that hangs is ended
# here and its ports let go before the next test starts.
TIMEOUT = 270


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("action", choices=("setup", "teardown", "test"))
    parser.add_argument("session")
    parser.add_argument("--lang", default="C.UTF-8")
    parser.add_argument("--ports", default="")
    parser.add_argument("--stalled", default="")
    parser.add_argument("program", nargs=argparse.REMAINDER)
    args = parser.parse_args()
    session = wine.Session(args.session)
    if args.action == "setup":
        session.setup()
        return 0
    if args.action == "teardown":
        session.teardown()
        return 0
    reason = wine.not_runnable(args.program[0])
    if reason:
        print(f"skipped: {os.path.basename(args.program[0])} not run: {reason}")
        return SKIPPED
    names = [name for name in args.ports.split(",") if name]
    ports = wine.Ports(session, names)
    stalled = wine.Ports(session, [args.stalled] if args.stalled else [])
    stop = ports.drain_in_background()
    os.environ["COMSEND_TEST_PORTS"] = ",".join(names)
    os.environ["COMSEND_STALLED_PORT"] = args.stalled
    with tempfile.NamedTemporaryFile(suffix=".log") as log:
        try:
            process = session.start(args.program[0], args.program[1:], lang=args.lang, log=log.name)
            try:
                code = process.wait(timeout=TIMEOUT)
            except Exception:
                process.kill()
                raise
        finally:
            stop.set()
            ports.close()
            stalled.close()
            with open(log.name, "rb") as out:
                sys.stdout.write(out.read().decode(errors="replace").replace("\r\n", "\n"))
    return code


if __name__ == "__main__":
    sys.exit(main())
