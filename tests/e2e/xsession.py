"""Drives the real comsend binary on a virtual X server, with pseudo-terminals
standing in for serial ports.

There is no window manager on the virtual server, so nothing hands out
keyboard focus or keeps a window on top: every interaction raises and focuses
the window it is meant for first, and clicks at absolute screen positions
worked out from where the window really is. Every process started here dies
with the driver (PR_SET_PDEATHSIG) and is killed on the way out as well, so
that a driver that is itself killed on a timeout leaves nothing behind.
"""

import ctypes
import ctypes.util
import errno
import os
import select
import shutil
import signal
import subprocess
import sys
import tempfile
import time

SKIPPED = 77

# Generous bounds: a loaded machine may be slow, but never this slow.
WINDOW_TIMEOUT = 20.0
BOX_TIMEOUT = 10.0
BYTES_TIMEOUT = 10.0
POLL_INTERVAL = 0.05

MAIN_TITLE = "Form1"
BOX_TITLE = "comsend"

# Client-area positions of the controls, as the form lays them out.
PORT_BOX = (16, 48, 145, 21)
CONNECT = (176, 48, 97, 25)
DISCONNECT = (272, 48, 97, 25)
TEXT_BOX = (16, 112, 273, 21)


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


def _die_with_driver():
    _libc.prctl(_PR_SET_PDEATHSIG, signal.SIGKILL, 0, 0, 0)


def _die_with_driver_stdin_closed():
    _die_with_driver()
    os.close(0)


def start(argv, close_stdin=False, **kwargs):
    """Starts a child that is killed when the driver ends, however it ends."""
    preexec = _die_with_driver_stdin_closed if close_stdin else _die_with_driver
    process = subprocess.Popen(argv, preexec_fn=preexec, **kwargs)
    _started.append(process)
    return process


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


# ---------------------------------------------------------------- X server

def require_tools():
    missing = [tool for tool in ("Xvfb", "xdotool") if shutil.which(tool) is None]
    if missing:
        print(f"skipped: {' and '.join(missing)} not installed")
        sys.exit(SKIPPED)


class XServer:
    """A private Xvfb; the display number is the one it reports free."""

    def __init__(self, workdir):
        self.log = open(os.path.join(workdir, "xvfb.log"), "wb")
        reader, writer = os.pipe()
        self.process = start(
            # -noreset: by default the server resets whenever its last client
            # leaves, and a comsend connecting just then is turned away; the
            # short-lived xdotool clients make that happen often enough.
            ["Xvfb", "-displayfd", str(writer), "-screen", "0", "800x600x24", "-dpi", "96",
             "-nolisten", "tcp", "-noreset"],
            pass_fds=[writer], stdin=subprocess.DEVNULL, stdout=self.log, stderr=self.log)
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
        check(reported.strip().isdigit(), "Xvfb did not report a display")
        self.display = ":" + reported.decode().strip()
        runtime = os.path.join(workdir, "runtime")
        os.makedirs(runtime, mode=0o700, exist_ok=True)
        # The texts typed in the cases are compared as UTF-8 at the far end.
        self.env = dict(os.environ, DISPLAY=self.display, XDG_RUNTIME_DIR=runtime, LC_ALL="C.UTF-8")
        self.env.pop("QT_QPA_PLATFORM", None)
        self._connection = None
        self._xlib()  # the server takes clients from here on

    def xdotool(self, *args):
        try:
            result = subprocess.run(["xdotool", *map(str, args)], env=self.env,
                                    stdin=subprocess.DEVNULL, capture_output=True, text=True,
                                    timeout=BOX_TIMEOUT, preexec_fn=_die_with_driver)
        except subprocess.TimeoutExpired as expired:
            raise Failure(f"xdotool {' '.join(map(str, args))} did not finish") from expired
        return result.stdout

    def windows(self, pid, title):
        found = self.xdotool("search", "--all", "--onlyvisible", "--pid", pid,
                             "--name", f"^{title}$")
        return [int(word) for word in found.split()]

    def close_window(self, window):
        """Asks a window to close the way a window manager's close button does."""
        self._xlib().send_delete_window(window)

    def provide_characters(self, text):
        """Puts every character of text that the keyboard lacks on a key of
        its own. Left to itself, xdotool binds such a character to a spare
        key just for the keystroke and unbinds it straight after; a client
        that reads the keymap a moment late then sees no character at all."""
        self._xlib().provide_characters(text)

    def _xlib(self):
        if self._connection is None:
            self._connection = _Xlib(self.display)
        return self._connection

    def shutdown(self):
        if self._connection is not None:
            self._connection.close()
            self._connection = None


class _Xlib:
    """The few Xlib calls that xdotool has no command for, through ctypes."""

    class _ClientMessage(ctypes.Structure):
        _fields_ = [("type", ctypes.c_int), ("serial", ctypes.c_ulong),
                    ("send_event", ctypes.c_int), ("display", ctypes.c_void_p),
                    ("window", ctypes.c_ulong), ("message_type", ctypes.c_ulong),
                    ("format", ctypes.c_int), ("data", ctypes.c_long * 5)]

    class _Event(ctypes.Union):
        pass

    _Event._fields_ = [("xclient", _ClientMessage), ("pad", ctypes.c_long * 24)]

    _CLIENT_MESSAGE = 33
    _UNICODE_KEYSYM = 0x01000000

    def __init__(self, display_name):
        lib = ctypes.CDLL(ctypes.util.find_library("X11"))
        display_p, int_p = ctypes.c_void_p, ctypes.POINTER(ctypes.c_int)
        lib.XOpenDisplay.restype = display_p
        lib.XOpenDisplay.argtypes = [ctypes.c_char_p]
        lib.XCloseDisplay.argtypes = [display_p]
        lib.XInternAtom.restype = ctypes.c_ulong
        lib.XInternAtom.argtypes = [display_p, ctypes.c_char_p, ctypes.c_int]
        lib.XSendEvent.argtypes = [display_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_long,
                                   ctypes.c_void_p]
        lib.XSync.argtypes = [display_p, ctypes.c_int]
        lib.XFree.argtypes = [ctypes.c_void_p]
        lib.XDisplayKeycodes.argtypes = [display_p, int_p, int_p]
        lib.XGetKeyboardMapping.restype = ctypes.POINTER(ctypes.c_ulong)
        lib.XGetKeyboardMapping.argtypes = [display_p, ctypes.c_ubyte, ctypes.c_int, int_p]
        lib.XChangeKeyboardMapping.argtypes = [display_p, ctypes.c_int, ctypes.c_int,
                                               ctypes.POINTER(ctypes.c_ulong), ctypes.c_int]
        self.lib = lib
        self.display = lib.XOpenDisplay(display_name.encode())
        check(self.display, f"cannot open display {display_name}")
        self.provided = set()

    def close(self):
        self.lib.XCloseDisplay(self.display)

    def send_delete_window(self, window):
        lib = self.lib
        event = self._Event()
        event.xclient.type = self._CLIENT_MESSAGE
        event.xclient.window = window
        event.xclient.message_type = lib.XInternAtom(self.display, b"WM_PROTOCOLS", 0)
        event.xclient.format = 32
        event.xclient.data[0] = lib.XInternAtom(self.display, b"WM_DELETE_WINDOW", 0)
        event.xclient.data[1] = 0  # CurrentTime
        check(lib.XSendEvent(self.display, window, 0, 0, ctypes.byref(event)) != 0,
              "XSendEvent refused the close request")
        lib.XSync(self.display, 0)

    def _unused_keycodes(self):
        lib = self.lib
        low, high, per_key = ctypes.c_int(), ctypes.c_int(), ctypes.c_int()
        lib.XDisplayKeycodes(self.display, ctypes.byref(low), ctypes.byref(high))
        count = high.value - low.value + 1
        symbols = lib.XGetKeyboardMapping(self.display, low.value, count, ctypes.byref(per_key))
        try:
            return [low.value + key for key in range(count)
                    if not any(symbols[key * per_key.value + level]
                               for level in range(per_key.value))]
        finally:
            lib.XFree(symbols)

    def provide_characters(self, text):
        missing = sorted({c for c in text if ord(c) > 0x7E} - self.provided)
        if not missing:
            return
        free = self._unused_keycodes()
        check(len(free) >= len(missing), f"no spare keys left for {''.join(missing)}")
        for keycode, character in zip(free, missing):
            keysym = self._UNICODE_KEYSYM | ord(character)
            levels = (ctypes.c_ulong * 2)(keysym, keysym)
            self.lib.XChangeKeyboardMapping(self.display, keycode, 2, levels, 1)
            self.provided.add(character)
        self.lib.XSync(self.display, 0)


# ---------------------------------------------------------------- comsend

class Comsend:
    """One running comsend and the controls of its window."""

    def __init__(self, xserver, program, workdir, close_stdin=False, name="comsend"):
        self.x = xserver
        self.name = name
        self.log_path = os.path.join(workdir, f"{name}.log")
        self.log = open(self.log_path, "wb")
        self.process = start([program], close_stdin=close_stdin, env=xserver.env,
                             stdout=self.log, stderr=self.log,
                             **({} if close_stdin else {"stdin": subprocess.DEVNULL}))
        self.pid = self.process.pid
        self.window = wait_for(self._main_window, WINDOW_TIMEOUT,
                               f"{name}'s window titled {MAIN_TITLE}")

    def _main_window(self):
        check(self.process.poll() is None,
              f"{self.name} ended early with {self.process.returncode}: {self.output()}")
        found = self.x.windows(self.pid, MAIN_TITLE)
        return found[0] if found else None

    def output(self):
        self.log.flush()
        with open(self.log_path, "rb") as log:
            return log.read().decode(errors="replace")

    def alive(self):
        return self.process.poll() is None

    def check_running(self):
        check(self.alive(), f"{self.name} ended with {self.process.returncode}: {self.output()}")

    # -- windows and input

    def activate(self):
        self.x.xdotool("windowraise", self.window)
        self.x.xdotool("windowfocus", "--sync", self.window)

    def click(self, control):
        """Clicks the middle of a control, given by its client rectangle."""
        self.activate()
        geometry = dict(line.split("=", 1) for line in
                        self.x.xdotool("getwindowgeometry", "--shell", self.window).split())
        left, top, width, height = control
        # No --sync: it never returns when the pointer is already there.
        self.x.xdotool("mousemove", int(geometry["X"]) + left + width // 2,
                       int(geometry["Y"]) + top + height // 2, "click", 1)

    def type(self, text):
        self.x.provide_characters(text)
        self.x.xdotool("type", "--delay", 20, text)

    def key(self, *keys):
        self.x.xdotool("key", *keys)

    def replace_text(self, control, text):
        self.click(control)
        self.key("ctrl+a")
        self.type(text)

    # -- message boxes

    def boxes(self):
        return self.x.windows(self.pid, BOX_TITLE)

    def wait_box(self, why):
        self.check_running()
        return wait_for(self.boxes, BOX_TIMEOUT, f"a box titled {BOX_TITLE} ({why})")[0]

    def dismiss_box(self, why):
        box = self.wait_box(why)
        self.x.xdotool("windowfocus", "--sync", box)
        self.key("Return")
        wait_for(lambda: not self.boxes(), BOX_TIMEOUT, f"the {why} box to close")
        self.check_running()

    # -- the program's operations

    def connect(self, port):
        self.replace_text(PORT_BOX, port)
        self.click(CONNECT)
        self.dismiss_box("Connect")

    def disconnect(self):
        self.click(DISCONNECT)
        self.dismiss_box("Disconnect")

    def enter_text(self, text):
        """Types text into the text box and presses Enter there."""
        self.replace_text(TEXT_BOX, text)
        self.key("Return")

    def close(self):
        self.x.close_window(self.window)
        try:
            return self.process.wait(timeout=WINDOW_TIMEOUT)
        except subprocess.TimeoutExpired as expired:
            raise Failure(f"{self.name} did not end after its window was closed") from expired


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
        self.path = os.ttyname(self.slave)
        os.set_blocking(self.master, False)

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


def expect_bytes(pty, expected, what):
    received = pty.receive(len(expected))
    check(received == expected,
          f"{what}: expected {expected.hex(' ')} at the far end, got {received.hex(' ') or 'nothing'}")


# ---------------------------------------------------------------- running

def run(cases, argv):
    """Entry point: argv is [case name, path to comsend]."""
    if len(argv) != 2 or argv[0] not in cases:
        print(f"usage: {sys.argv[0]} {{{'|'.join(cases)}}} /path/to/comsend")
        return 2
    name, program = argv
    require_tools()
    # A timeout or Ctrl-C should still clean up.
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(1))
    workdir = tempfile.mkdtemp(prefix="comsend-e2e-")
    xserver = None
    try:
        xserver = XServer(workdir)
        cases[name](xserver, program, workdir)
        print(f"PASS: {name}")
        return 0
    except Failure as failure:
        print(f"FAIL: {name}: {failure}")
        if xserver is not None and xserver.process.poll() is not None:
            print(f"Xvfb on {xserver.display} had ended with {xserver.process.returncode}")
        for log in sorted(os.listdir(workdir)):
            path = os.path.join(workdir, log)
            if log.endswith(".log") and os.path.getsize(path) > 0:
                with open(path, "rb") as contents:
                    print(f"--- {log}\n{contents.read().decode(errors='replace')}")
        return 1
    finally:
        if xserver is not None:
            xserver.shutdown()
        stop_all()
        shutil.rmtree(workdir, ignore_errors=True)
