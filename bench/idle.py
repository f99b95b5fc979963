"""Idle: what a program does while its window waits for the user.

Each program is started, its window waited for, and left alone for a second
to settle. Then, for the given number of seconds each:
  1. untraced: the change in voluntary and involuntary context switches and
     in CPU time, summed over all threads (/proc/PID/task/*/status and
     schedstat) -- a thread that wakes up for a timer shows here;
  2. traced: every system call of every thread, with strace -f -tt -p.
     Attaching interrupts the calls the threads are blocked in, which then
     restart, so a few calls at the very start of the trace are strace's own
     doing; anything later is the program waking up, and calls less than
     50 ms apart are counted as one wake-up.
Done twice: as started (no window manager, so the window has no focus), and
after xdotool has given the window the focus, where the focused port box
shows a text caret that blinks at the desktop's rate (Qt's cursor flash time:
1000 ms without a desktop, so a change every 500 ms). The floor is measured the
same way for comparison. comsend is measured once more, focused, under a GTK
desktop whose cursor blink time is 2400 ms (Qt's gtk3 platform theme reads it
from gtk-3.0/settings.ini), to show that the caret follows the desktop.
"""

import os
import re
import statistics
import subprocess
import time

from tracing import Tracer, seconds

CALL = re.compile(r"^(?P<tid>\d+)\s+(?P<time>[\d:.]+)\s+(?P<rest>.*)$")


def thread_counters(pid):
    voluntary = involuntary = cpu_ns = 0
    for tid in os.listdir(f"/proc/{pid}/task"):
        try:
            with open(f"/proc/{pid}/task/{tid}/status") as f:
                for line in f:
                    if line.startswith("voluntary_ctxt_switches"):
                        voluntary += int(line.split()[1])
                    elif line.startswith("nonvoluntary_ctxt_switches"):
                        involuntary += int(line.split()[1])
            with open(f"/proc/{pid}/task/{tid}/schedstat") as f:
                cpu_ns += int(f.read().split()[0])
        except OSError:
            pass
    return voluntary, involuntary, cpu_ns


def untraced(pid, duration):
    before = thread_counters(pid)
    time.sleep(duration)
    after = thread_counters(pid)
    return [b - a for a, b in zip(before, after)]


def traced(pid, duration, trace_file):
    tracer = Tracer(pid, trace_file)
    time.sleep(duration)
    tracer.stop()
    calls = []
    with open(trace_file) as f:
        for line in f:
            match = CALL.match(line)
            if match and not match["rest"].startswith("<... "):
                calls.append((match["time"], match["rest"]))
    return calls


def summary(calls, grace_ms=200, gap_ms=50):
    """Calls in all; the ones later than grace_ms after the first (not strace's
    doing); and those later calls grouped into wake-ups: runs of calls with
    less than gap_ms between them."""
    if not calls:
        return 0, [], []
    start = seconds(calls[0][0])
    late = [(seconds(t), c) for t, c in calls if seconds(t) - start > grace_ms / 1000]
    wakeups = []
    for stamp, _ in late:
        if not wakeups or stamp - wakeups[-1][-1] > gap_ms / 1000:
            wakeups.append([stamp, stamp])
        else:
            wakeups[-1][-1] = stamp
    return len(calls), late, [first for first, _ in wakeups]


def gtk_desktop(env, work, blink_ms):
    """The environment of a GTK desktop with the given cursor blink time."""
    config = os.path.join(work, "gtk-desktop")
    os.makedirs(os.path.join(config, "gtk-3.0"), exist_ok=True)
    with open(os.path.join(config, "gtk-3.0", "settings.ini"), "w") as f:
        f.write(f"[Settings]\ngtk-cursor-blink-time={blink_ms}\n")
    return dict(env, QT_QPA_PLATFORMTHEME="gtk3", XDG_CONFIG_HOME=config)


def native(program, env, work):
    """How measure() starts and ends a program of this machine."""
    def start(log_path):
        with open(log_path, "w") as log:
            return subprocess.Popen([program], env=env, cwd=work, stdout=log, stderr=log)

    def stop(app):
        app.terminate()
        app.wait(timeout=10)

    return start, stop


def measure(start, stop, env, work, duration, focus, tag, window_timeout=20):
    """start(log_path) starts the program and returns its process, whose pid
    is the program's; stop(process) ends it. env is the X server's."""
    app = start(os.path.join(work, f"idle-{tag}.log"))
    try:
        window = subprocess.run(["xdotool", "search", "--sync", "--onlyvisible", "--name", "^Form1$"],
                                env=env, capture_output=True, text=True, timeout=window_timeout).stdout.split()[0]
        if focus:
            subprocess.run(["xdotool", "windowfocus", "--sync", window], env=env, check=True,
                           timeout=20)
        time.sleep(1.0)
        voluntary, involuntary, cpu_ns = untraced(app.pid, duration)
        calls = traced(app.pid, duration, os.path.join(work, f"idle-{tag}.strace"))
    finally:
        stop(app)
    total, late, wakeups = summary(calls)
    return {"voluntary": voluntary, "involuntary": involuntary, "cpu_ms": cpu_ns / 1e6,
            "calls": total, "late": late, "wakeups": wakeups}


def table_row(name, label, r):
    wakeups = r["wakeups"]
    interval = (f" ({statistics.median(b - a for a, b in zip(wakeups, wakeups[1:])) * 1000:.0f} ms)"
                if len(wakeups) > 1 else "")
    return (f"| {name} | {label} | {r['voluntary']} | {r['involuntary']} | {r['cpu_ms']:.2f} | {r['calls']} "
            f"| {len(r['late'])} | {len(wakeups)}{interval} |")


def run(programs, duration, env, work):
    out = ["## 4. Idle: the window waiting", ""]
    out.append(f"{duration:g} s untraced (context switches, CPU time; all threads), then {duration:g} s "
               "under `strace -f -tt -p PID` (system calls; all threads). Calls in the first 0.2 s "
               "of a trace are the threads' blocked calls restarting after strace's attach.")
    out.append("")
    out.append("| program | window | voluntary switches | involuntary switches | CPU (ms) "
               "| syscalls traced | of which after the first 0.2 s | wake-ups (median interval) |")
    out.append("| --- | --- | --- | --- | --- | --- | --- | --- |")
    details = []
    runs = [(name, program, focus, env, "focused" if focus else "as started")
            for focus in (False, True) for name, program in programs.items()]
    runs.append(("comsend", programs["comsend"], True, gtk_desktop(env, work, 2400),
                 "focused, GTK desktop blinking every 2400 ms"))
    for name, program, focus, run_env, label in runs:
        tag = f"{name}-{label}".replace(" ", "-").replace(",", "")
        start, stop = native(program, run_env, work)
        r = measure(start, stop, run_env, work, duration, focus, tag)
        out.append(table_row(name, label, r))
        if r["late"]:
            sample = "; ".join(f"`{c[:48]}`".replace("|", "\\|") for _, c in r["late"][:4])
            details.append(f"- {name}, {label}: later calls, "
                           f"first ones: {sample}")
    out.append("")
    out += details
    if details:
        out.append("")
    return out
