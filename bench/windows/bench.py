"""comsend.exe under 64-bit wine against the platform's floor; called by
bench/windows/run, which builds the programs first. The session (Xvfb,
persistent wineserver, prefix settings) is the Windows tests' own
(tests/windows/wine.py); the timing is bench/mapwatch.c's, run on a launcher
that execs wine, so the process it times and measures is the program's.

Targets: comsend.exe's median time to map within 1.15 times the floor's, its
median VmHWM within the floor's plus 2 MB, the file under 1 MiB, and no
wake-ups while idle beyond those the floor has (give or take the one that
the edge of the traced window cuts).
"""

import argparse
import os
import statistics
import subprocess
import sys
import tempfile

here = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.dirname(here))
sys.path.insert(0, os.path.join(os.path.dirname(os.path.dirname(here)), "tests", "windows"))

import idle  # noqa: E402
from report import finish, first_line, machine_table  # noqa: E402
import startup  # noqa: E402
import wine  # noqa: E402

TIME_RATIO_TARGET = 1.15
MEMORY_MARGIN_KB = 2_000_000 / 1024
SIZE_TARGET = 1 << 20


def launcher(work, name, exe):
    """A script that becomes wine running exe: same process, so mapwatch's
    child is the program's process."""
    path = os.path.join(work, name)
    with open(path, "w") as f:
        f.write(f"#!/bin/sh\nexec {wine.WINE64} '{exe}'\n")
    os.chmod(path, 0o755)
    return path


def startup_runs(mapwatch, programs, runs, warmup, env, work):
    names = list(programs)
    launchers = {name: launcher(work, f"start-{i}", exe) for i, (name, exe) in enumerate(programs.items())}
    # The pause lets the server tidy up after the killed process.
    samples = startup.interleaved(lambda name: startup.measure(mapwatch, launchers[name], env), names, runs,
                                  warmup, pause=0.2)

    def median(name, key):
        return statistics.median(s[key] for s in samples[name])

    def spread(name, key, scale, digits=1):
        values = [s[key] / scale for s in samples[name]]
        return (f"{median(name, key) / scale:.{digits}f} "
                f"[{min(values):.{digits}f}–{max(values):.{digits}f}]")

    out = ["## 1. Start-up: exec to MapNotify of Form1", "",
           f"{runs} runs each (after {warmup} warm-up rounds), the programs taking turns; medians, "
           "with the range in brackets. CPU time and VmHWM are the program's process's (all its threads).",
           "", "| program | time to map (ms) | CPU time by then (ms) | VmHWM at map (KiB) |",
           "| --- | --- | --- | --- |"]
    for name in names:
        out.append(f"| {name} | {spread(name, 'map_us', 1000)} | {spread(name, 'cpu_us', 1000)} "
                   f"| {spread(name, 'hwm_kb', 1, 0)} |")
    ratio = median("comsend.exe", "map_us") / median("floor.exe", "map_us")
    paired = statistics.median(c["map_us"] / f["map_us"]
                               for c, f in zip(samples["comsend.exe"], samples["floor.exe"]))
    cpu_ratio = median("comsend.exe", "cpu_us") / median("floor.exe", "cpu_us")
    extra_kb = median("comsend.exe", "hwm_kb") - median("floor.exe", "hwm_kb")
    out += ["",
            f"- Time comsend.exe / floor.exe = **{ratio:.3f}** (target <= {TIME_RATIO_TARGET}): "
            f"{'met' if ratio <= TIME_RATIO_TARGET else 'NOT met'} (median of the per-round ratios "
            f"{paired:.3f}); CPU time {cpu_ratio:.3f}.",
            f"- Memory comsend.exe - floor.exe = **{extra_kb:+.0f} KiB ({extra_kb * 1024 / 1e6:+.2f} MB)** "
            f"(target <= +2 MB): {'met' if extra_kb <= MEMORY_MARGIN_KB else 'NOT met'}.", ""]
    return out


def executables(programs, objdump):
    out = ["## 2. The executables", "", "| program | size (bytes) | imports |", "| --- | --- | --- |"]
    for name, exe in programs.items():
        headers = subprocess.run([objdump, "-p", exe], capture_output=True, text=True, check=True).stdout
        dlls = sorted({line.split(":", 1)[1].strip() for line in headers.splitlines() if "DLL Name:" in line},
                      key=str.upper)
        out.append(f"| {name} | {os.path.getsize(exe):,} | {', '.join(dlls)} |")
    size = os.path.getsize(programs["comsend.exe"])
    out += ["", f"- comsend.exe is {size / 1024:.0f} KiB, stripped (target under 1 MiB): "
            f"{'met' if size < SIZE_TARGET else 'NOT met'}.", ""]
    return out


def idle_runs(session, programs, duration, work):
    out = ["## 3. Idle: the window waiting", "",
           f"{duration:g} s untraced (context switches, CPU time; all threads of the program's process), then "
           f"{duration:g} s under `strace -f -tt -p PID`. Calls in the first 0.2 s of a trace are the threads' "
           "blocked calls restarting after strace's attach; later ones are wake-ups (calls less than 50 ms "
           "apart count as one).", "",
           "| program | window | voluntary switches | involuntary switches | CPU (ms) | syscalls traced "
           "| of which after the first 0.2 s | wake-ups (median interval) |",
           "| --- | --- | --- | --- | --- | --- | --- | --- |"]
    details, wakeups = [], {}
    env = session.env()
    for focus in (False, True):
        for name, exe in programs.items():
            label = "focused" if focus else "as started"
            r = idle.measure(lambda log, exe=exe: session.start(exe, log=log), lambda _: session.kill_programs(),
                             env, work, duration, focus, f"{name}-{focus}", window_timeout=30)
            wakeups[name, focus] = len(r["wakeups"])
            out.append(idle.table_row(name, label, r))
            late = r["late"]
            if late:
                kinds = list(dict.fromkeys(c.split("(", 1)[0] for _, c in late))
                details.append(f"- {name}, {label}: the later calls are {', '.join(kinds)}; the first: "
                               + f"`{late[0][1][:60]}`".replace("|", "\\|"))
    # One wake-up more or less is where the traced window cuts a periodic one.
    met = all(wakeups["comsend.exe", focus] <= wakeups["floor.exe", focus] + 1 for focus in (False, True))
    verdict = "none: met" if met else "NOT met"
    out += [""] + details + ["", f"- Wake-ups of comsend.exe beyond the floor's: {verdict}.", ""]
    return out


def main():
    parser = argparse.ArgumentParser()
    for option in ("--comsend", "--floor", "--mapwatch", "--objdump", "--session", "--results"):
        parser.add_argument(option, required=True)
    parser.add_argument("--runs", type=int, default=21)
    parser.add_argument("--warmup", type=int, default=2)
    parser.add_argument("--idle-seconds", type=float, default=5.0)
    args = parser.parse_args()
    programs = {"floor.exe": os.path.abspath(args.floor), "comsend.exe": os.path.abspath(args.comsend)}

    report = ["# comsend.exe under wine: benchmark results", ""]
    report += machine_table([
        ("wine", first_line([wine.WINE64, "--version"])),
        ("Compiler", first_line(["x86_64-w64-mingw32-g++-posix", "--version"])),
        ("X server", "Xvfb 1024x768x24, 96 dpi, no window manager; wine draws the frames (Managed=N)"),
    ])
    session = wine.Session(args.session)
    try:
        session.setup()
        with tempfile.TemporaryDirectory(prefix="comsend-bench-win-") as work:
            print(f"{args.runs} start-up runs each", file=sys.stderr)
            report += startup_runs(args.mapwatch, programs, args.runs, args.warmup, session.env(), work)
            report += executables(programs, args.objdump)
            report += idle_runs(session, programs, args.idle_seconds, work)
    finally:
        session.kill_programs()
        session.teardown()
    finish(report, args.results)

if __name__ == "__main__":
    main()
