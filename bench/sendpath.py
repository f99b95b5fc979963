"""The send path: the system calls one Send makes on the port.

A pseudo-terminal pair stands in for the serial line. comsend runs on the
X server and xdotool works it as a user would: the port box has the focus at
start, so the slave's path is typed there; Tab moves to Connect and Return
presses it; the "Connect Success!" box is focused and dismissed with Return;
a click puts the caret in the text box and "abc" is typed. Only then is
strace attached to every thread, and Return sends. The calls made on the
port's descriptor while strace watches are the Send's; the far end of the
pair must have received 61 62 63.

Expected: the settings read (TCGETS), set (TCSETS; the C library's tcsetattr
reads them on either side of it too) and read back (TCGETS), DTR and RTS
cleared (TIOCMBIC, which a pseudo-terminal refuses with ENOTTY), a TCGETS for
the line's format (the write's step and deadline), and one write of all three bytes. strace -k names the
function that made each call.
"""

import os
import pty
import re
import select
import subprocess
import time

from tracing import Tracer

# Where the form puts things: the window's top-left on the screen, and the
# text box inside it.
WINDOW_X, WINDOW_Y = 192, 107
EDIT_X, EDIT_Y, EDIT_W, EDIT_H = 16, 112, 273, 21

FRAME = re.compile(r"^ > (?P<object>[^(]+)\((?P<symbol>.*)\+0x[0-9a-f]+\) \[")
CALL = re.compile(r"^(?P<tid>\d+)\s+(?P<time>[\d:.]+)\s+(?P<name>\w+)\((?P<args>.*)$")
RESUMED = re.compile(r"^(?P<tid>\d+)\s+(?P<time>[\d:.]+)\s+<\.\.\. (?P<name>\w+) resumed>(?P<rest>.*)$")


def xdotool(env, *args, timeout=20):
    return subprocess.run(["xdotool", *args], env=env, capture_output=True, text=True,
                          timeout=timeout, check=True).stdout.split()


def find_window(env, title):
    return xdotool(env, "search", "--sync", "--onlyvisible", "--name", f"^{title}$")[0]


def wait_gone(env, window, timeout=10):
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        probe = subprocess.run(["xdotool", "getwindowname", window], env=env, capture_output=True)
        if probe.returncode != 0:
            return
        visible = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", "."], env=env,
                                 capture_output=True, text=True).stdout.split()
        if window not in visible:
            return
        time.sleep(0.05)
    raise RuntimeError(f"window {window} did not go away")


def connect_to(env, port):
    """Types `port` into the port box, presses Connect, dismisses "Connect
    Success!" and clicks into the text box, as a user would."""
    form = find_window(env, "Form1")
    xdotool(env, "windowfocus", "--sync", form)
    xdotool(env, "key", "--clearmodifiers", "ctrl+a")
    xdotool(env, "type", "--delay", "10", port)
    xdotool(env, "key", "Tab", "Return")
    box = find_window(env, "comsend")
    xdotool(env, "windowfocus", "--sync", box)
    xdotool(env, "key", "Return")
    wait_gone(env, box)
    xdotool(env, "windowfocus", "--sync", form)
    xdotool(env, "mousemove", "--sync", str(WINDOW_X + EDIT_X + EDIT_W // 2),
            str(WINDOW_Y + EDIT_Y + EDIT_H // 2), "click", "1")


def end(app):
    """Ends the program as a desktop's close would, or kills it."""
    app.terminate()
    try:
        app.wait(timeout=5)
    except subprocess.TimeoutExpired:
        app.kill()
        app.wait()


def read_far_end(master, count, timeout):
    received = b""
    deadline = time.monotonic() + timeout
    while len(received) < count and time.monotonic() < deadline:
        ready, _, _ = select.select([master], [], [], max(0.0, deadline - time.monotonic()))
        if ready:
            received += os.read(master, 4096)
    return received


def port_descriptor(pid, path):
    for fd in os.listdir(f"/proc/{pid}/fd"):
        try:
            if os.readlink(f"/proc/{pid}/fd/{fd}") == path:
                return int(fd)
        except OSError:
            pass
    return None


def request_of(args):
    """The request of an ioctl, as strace names it ("A or B" when two share a number)."""
    return args.split(",")[1].strip().split(" or ")[-1]


def caller_of(frames):
    """Where a call was made: the innermost function of the program's own
    code, and the C library function it went through, if any."""
    libc = own = None
    for obj, symbol in frames:
        name = symbol.replace("(anonymous namespace)::", "").split("(")[0]
        if not name:
            continue
        if "libc.so" in obj:
            if libc is None and not name.startswith(("ioctl", "__", "write")):
                libc = name
        elif own is None and "/lib" not in obj:
            own = name
    if own and libc:
        return f"{own} → {libc}"
    return own or libc or "?"


def parse_trace(trace_file, fd):
    """The calls on fd in order, each with where it was made, and a count by
    name of the calls on every other descriptor. A call that another thread
    interrupted in the trace ("<unfinished ...>") is joined to its end."""
    calls, pending = [], {}
    with open(trace_file) as f:
        for line in f:
            frame = FRAME.match(line)
            if frame:
                if calls:
                    calls[-1]["frames"].append((frame["object"], frame["symbol"]))
                continue
            resumed = RESUMED.match(line)
            if resumed and resumed["tid"] in pending:
                call = pending.pop(resumed["tid"])
                call["args"] += resumed["rest"].rstrip()
                calls.remove(call)
                calls.append(call)
                continue
            match = CALL.match(line)
            if match:
                call = {"name": match["name"], "args": match["args"].rstrip(), "frames": []}
                if call["args"].endswith(" <unfinished ...>"):
                    call["args"] = call["args"][: -len(" <unfinished ...>")]
                    pending[match["tid"]] = call
                calls.append(call)
    on_port, others = [], {}
    for call in calls:
        if re.match(rf"{fd}[,)]", call["args"]):
            on_port.append((call["name"], call["args"], caller_of(call["frames"])))
        else:
            others[call["name"]] = others.get(call["name"], 0) + 1
    return on_port, others


def run(comsend, env, work):
    master, slave = pty.openpty()
    port = os.ttyname(slave)
    trace_file = os.path.join(work, "send.strace")
    log = open(os.path.join(work, "sendpath.log"), "w")
    app = subprocess.Popen([comsend], env=env, cwd=work, stdout=log, stderr=log)
    try:
        connect_to(env, port)
        xdotool(env, "type", "--delay", "10", "abc")

        fd = port_descriptor(app.pid, port)
        if fd is None:
            raise RuntimeError(f"Connect failed: comsend does not hold {port} open")
        tracer = Tracer(app.pid, trace_file, "-k", "-e", "trace=ioctl,write,writev,poll,fcntl,flock")
        xdotool(env, "key", "Return")
        received = read_far_end(master, 3, 5)
        time.sleep(0.3)  # let anything that follows the write show up in the trace
        tracer.stop()
    finally:
        end(app)
        log.close()
        os.close(master)
        os.close(slave)

    on_port, others = parse_trace(trace_file, fd)

    out = ["## 2. The send path: one Send, traced", ""]
    out.append(f"Port: the slave of a pseudo-terminal pair ({port}), held open by comsend as "
               f"descriptor {fd} after Connect. Traced with "
               "`strace -f -tt -k -e trace=ioctl,write,writev,poll,fcntl,flock -p PID` "
               "from just before the Return that sends until 0.3 s after the far end had the bytes.")
    out.append("")
    out.append("| # | call on the port's descriptor | made in |")
    out.append("| --- | --- | --- |")
    for number, (name, args, caller) in enumerate(on_port, 1):
        call = f"{name}({args}".replace("|", "\\|")
        out.append(f"| {number} | `{call}` | {caller} |")
    out.append("")
    counts = {}
    for name, args, _ in on_port:
        key = name if name != "ioctl" else "ioctl " + request_of(args)
        counts[key] = counts.get(key, 0) + 1
    out.append("- Calls on the port: " + ", ".join(f"{k} x{v}" for k, v in counts.items())
               + f" ({len(on_port)} in all).")
    writes = [a for n, a, _ in on_port if n in ("write", "writev")]
    out.append(f"- Writes: {len(writes)}; settings calls (TCSETS): {counts.get('ioctl TCSETS', 0)}.")
    out.append("- Calls on other descriptors meanwhile (the X connection, the event loop): "
               + (", ".join(f"{k} x{v}" for k, v in sorted(others.items())) or "none") + ".")
    out.append(f"- Far end received: `{received.hex(' ')}` "
               f"({'as expected' if received == b'abc' else 'NOT the expected 61 62 63'}).")
    out.append("")
    return out

