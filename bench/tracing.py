"""strace attached to a running program, for the send-path and idle benchmarks."""

import signal
import subprocess
import time


class Tracer:
    """strace -f -tt -p PID writing to trace_file. Built once every thread is
    attached: strace reports "attached" on its standard error when it has them
    all."""

    def __init__(self, pid, trace_file, *options):
        self.messages = trace_file + ".messages"
        with open(self.messages, "w") as errors:
            self.process = subprocess.Popen(
                ["strace", "-f", "-tt", *options, "-o", trace_file, "-p", str(pid)],
                stdout=subprocess.DEVNULL, stderr=errors)
        deadline = time.monotonic() + 10
        while time.monotonic() < deadline:
            with open(self.messages) as f:
                if "attached" in f.read():
                    return
            if self.process.poll() is not None:
                break
            time.sleep(0.01)
        self.stop()
        with open(self.messages) as f:
            raise RuntimeError(f"strace did not attach to {pid}: {f.read()}")

    def stop(self):
        if self.process.poll() is None:
            self.process.send_signal(signal.SIGINT)
        self.process.wait(timeout=10)


def seconds(clock):
    """strace -tt's HH:MM:SS.micro as seconds since midnight."""
    hours, minutes, rest = clock.split(":")
    return int(hours) * 3600 + int(minutes) * 60 + float(rest)
