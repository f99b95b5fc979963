"""What every benchmark report has: the machine it ran on, at the top, and
at the end the load then, written to standard output and to the results
file."""

import datetime
import os
import platform
import subprocess


def first_line(command):
    try:
        return subprocess.run(command, capture_output=True, text=True).stdout.splitlines()[0]
    except (OSError, IndexError):
        return "unknown"


def load_average():
    with open("/proc/loadavg") as f:
        return " ".join(f.read().split()[:3])


def machine_table(tools):
    """The machine's rows, the tools' (name, version) rows in between."""
    with open("/proc/cpuinfo") as f:
        model = next((line.split(":", 1)[1].strip() for line in f if line.startswith("model name")), "unknown")
    with open("/proc/meminfo") as f:
        mem_kb = int(next(line for line in f if line.startswith("MemTotal")).split()[1])
    with open("/etc/debian_version") as f:
        debian = f.read().strip()
    rows = [
        ("Date (UTC)", datetime.datetime.now(datetime.timezone.utc).strftime("%Y-%m-%d %H:%M")),
        ("CPU", model),
        ("Cores", str(os.cpu_count())),
        ("Memory", f"{mem_kb / 1024 / 1024:.1f} GiB"),
        ("Kernel", platform.release()),
        ("Debian", debian),
        *tools,
        ("Load average at start", load_average()),
    ]
    return ["| | |", "| --- | --- |"] + [f"| {k} | {v} |" for k, v in rows] + [""]


def finish(report, results):
    report = report + ["", f"Load average at the end: {load_average()}"]
    text = "\n".join(report) + "\n"
    print(text, end="")
    with open(results, "w") as f:
        f.write(text)
