"""The driver's side away from X: the children it starts, which processes
hold a port open, and pseudo-terminals standing in for serial ports. The
failure and waiting primitives live here too, because this is the module
every other part of the driver already builds on.

Every process started here dies with the driver (PR_SET_PDEATHSIG) and is
killed on the way out as well, so that a driver that is itself killed on a
timeout leaves nothing behind.
"""

import ctypes
import ctypes.util
import errno
import fcntl
import os
import select
import signal
import subprocess
import sys
import time

# Generous bounds: a loaded machine may be slow, but never this slow.
WINDOW_TIMEOUT = 20.0
BOX_TIMEOUT = 10.0
BYTES_TIMEOUT = 10.0
POLL_INTERVAL = 0.05


class Failure(Exception):
    """A behaviour the test expected did not happen."""


def check(condition, message):
    if not condition:
        raise Failure(message)


def wait_for(probe, timeout, what):
    """Polls probe() until it returns something true, and returns that."""
    deadline = time.monotonic() + timeout
    while True:
        value = probe()
        if value:
            return value
        if time.monotonic() >= deadline:
            raise Failure(f"timed out after {timeout:.0f}s waiting for {what}")
        time.sleep(POLL_INTERVAL)


# ---------------------------------------------------------------- processes

_libc = ctypes.CDLL(ctypes.util.find_library("c"), use_errno=True)
_PR_SET_PDEATHSIG = 1
_started = []


def die_with_driver():
    _libc.prctl(_PR_SET_PDEATHSIG, signal.SIGKILL, 0, 0, 0)


def _die_with_driver_stdin_closed():
    die_with_driver()
    os.close(0)


def start(argv, close_stdin=False, **kwargs):
    """Starts a child that is killed when the driver ends, however it ends."""
    preexec = _die_with_driver_stdin_closed if close_stdin else die_with_driver
    process = subprocess.Popen(argv, preexec_fn=preexec, **kwargs)
    _started.append(process)
    return process


def start_xvfb(size, log, launch=None, **popen):
    """An Xvfb on a display it reports free: the display and the process.
    `launch` starts it (start(), so that it dies with the driver, unless
    given another); -noreset, because by default the server resets whenever
    its last client leaves, and a program connecting just then is turned
    away: the short-lived xdotool clients make that happen often enough."""
    reader, writer = os.pipe()
    process = (launch or start)(
        ["Xvfb", "-displayfd", str(writer), "-screen", "0", size, "-dpi", "96", "-nolisten", "tcp", "-noreset"],
        pass_fds=[writer], stdin=subprocess.DEVNULL, stdout=log, stderr=log, **popen)
    os.close(writer)
    reported = b""
    deadline = time.monotonic() + WINDOW_TIMEOUT
    with os.fdopen(reader, "rb", buffering=0) as pipe:
        while not reported.endswith(b"\n") and time.monotonic() < deadline:
            ready, _, _ = select.select([pipe], [], [], POLL_INTERVAL)
            if ready:
                chunk = pipe.read(64)
                if not chunk:
                    break
                reported += chunk
    if not reported.strip().isdigit():
        process.kill()
        raise Failure("Xvfb did not report a display")
    return ":" + reported.decode().strip(), process


def stop_all():
    # SIGTERM first, so that Xvfb removes its socket and lock file.
    for process in reversed(_started):
        if process.poll() is None:
            process.terminate()
    for process in reversed(_started):
        try:
            process.wait(timeout=5)
        except subprocess.TimeoutExpired:
            process.kill()
            process.wait()
    _started.clear()


def holders(path):
    """Maps every other process with a descriptor on path to those descriptors."""
    found = {}
    me = os.getpid()
    for entry in os.listdir("/proc"):
        if not entry.isdigit() or int(entry) == me:
            continue
        fd_dir = f"/proc/{entry}/fd"
        try:
            names = os.listdir(fd_dir)
        except OSError:
            continue
        for name in names:
            try:
                target = os.readlink(f"{fd_dir}/{name}")
            except OSError:
                continue
            if target == path:
                found.setdefault(int(entry), []).append(int(name))
    return found


def descriptors_on(pid, path):
    return holders(path).get(pid, [])



# ---------------------------------------------------------------- ports

class Pty:
    """A pseudo-terminal pair: the slave is the port comsend opens, the
    master is the far end of the line.

    The driver keeps its own descriptor on the slave, so that the far end
    never sees a hang-up between one opener and the next and bytes written
    by one that has gone are still there to read.
    """

    def __init__(self):
        self.master, self.slave = os.openpty()
        self.path = self.name = os.ttyname(self.slave)
        os.set_blocking(self.master, False)

    def fill(self):
        """Writes to the port through the driver's own descriptor until it
        takes no more: the far end does not read, so the next writer finds
        no room."""
        os.set_blocking(self.slave, False)
        block = b"f" * 4096
        while True:
            taken = 0
            for size in (4096, 256, 1):
                try:
                    while True:
                        taken += os.write(self.slave, block[:size])
                except BlockingIOError:
                    pass
            if not taken:
                break
            time.sleep(0.05)
        os.set_blocking(self.slave, True)

    def receive(self, count, timeout=BYTES_TIMEOUT):
        """Reads from the far end until count bytes have arrived, plus
        whatever came with them, so that anything sent beyond shows too."""
        received = b""
        deadline = time.monotonic() + timeout
        while len(received) < count and time.monotonic() < deadline:
            ready, _, _ = select.select([self.master], [], [], POLL_INTERVAL)
            if ready:
                received += self._read()
        received += self._read()
        return received

    def _read(self):
        try:
            return os.read(self.master, 4096)
        except BlockingIOError:
            return b""
        except OSError as error:
            if error.errno == errno.EIO:
                return b""
            raise

    def vanish(self):
        """Closes both ends: the device node goes away for good."""
        for fd in (self.master, self.slave):
            if fd is not None:
                os.close(fd)
        self.master = self.slave = None

    def close(self):
        if self.master is not None:
            self.vanish()


_TIOCGEXCL = 0x80045440


def exclusive_mode(pty):
    """Whether the port is in the kernel's exclusive mode, as its far end's
    own descriptor on the slave reads it."""
    value = fcntl.ioctl(pty.slave, _TIOCGEXCL, b"\0" * 4)
    return int.from_bytes(value, sys.byteorder) != 0


def expect_bytes(pty, expected, what):
    received = pty.receive(len(expected))
    check(received == expected,
          f"{what}: expected {expected.hex(' ')} at the far end, got {received.hex(' ') or 'nothing'}")
