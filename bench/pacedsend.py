"""A paced send: what a 30,000-byte Send costs the machine while the line
carries it.

A pseudo-terminal pair stands in for the port, and a reader at its far end
takes 480 bytes a second, as a 4800 8N1 receiver would, so the Send lasts the
line's 62.5 seconds. The text goes into the text box through the clipboard
(xclip owns it, Ctrl+V pastes it) and Return sends. comsend's CPU time
(every thread, from /proc) is read when Return is pressed and when the far
end has every byte; the goal is under 1% of one core.
"""

import os
import pty
import select
import subprocess
import time

from sendpath import connect_to, end, xdotool

COUNT = 30000
RATE = 480  # bytes a second


def text():
    """Digits and spaces, so that a byte lost or sent twice shows."""
    out = ""
    number = 0
    while len(out) < COUNT:
        out += f"{number} "
        number += 1
    return out[:COUNT]


def cpu_seconds(pid):
    with open(f"/proc/{pid}/stat") as stat:
        fields = stat.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")


def read_paced(master, count, timeout):
    """Reads at the line's pace until `count` bytes have come or `timeout` passed."""
    received, start = b"", time.monotonic()
    while len(received) < count and time.monotonic() - start < timeout:
        due = int((time.monotonic() - start) * RATE) - len(received)
        if due > 0 and select.select([master], [], [], 0)[0]:
            received += os.read(master, due)
        time.sleep(0.01)
    return received, time.monotonic() - start


def run(comsend, env, work):
    master, slave = pty.openpty()
    port = os.ttyname(slave)
    sent_text = text()
    log = open(os.path.join(work, "pacedsend.log"), "w")
    clipboard = subprocess.Popen(["xclip", "-selection", "clipboard", "-loops", "1", "-quiet"], env=env,
                                 stdin=subprocess.PIPE, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    clipboard.stdin.write(sent_text.encode())
    clipboard.stdin.close()
    app = subprocess.Popen([comsend], env=env, cwd=work, stdout=log, stderr=log)
    try:
        connect_to(env, port)
        xdotool(env, "key", "ctrl+v")
        time.sleep(1)
        before = cpu_seconds(app.pid)
        xdotool(env, "key", "Return")
        received, seconds = read_paced(master, COUNT, COUNT / RATE + 30)
        used = cpu_seconds(app.pid) - before
    finally:
        end(app)
        clipboard.kill()
        log.close()
        os.close(master)
        os.close(slave)

    share = 100 * used / seconds
    whole = received == sent_text.encode()
    return ["## 3. A paced send: 30,000 bytes at the line's pace", "",
            f"The far end of a pseudo-terminal read 480 bytes a second; {len(received):,} of {COUNT:,} bytes "
            f"arrived in {seconds:.1f} s ({'the whole text, in order' if whole else 'NOT the text sent'}).", "",
            f"- comsend's CPU time over the send (every thread): {used:.2f} s, {share:.2f}% of one core "
            f"(goal: under 1%).", ""]
