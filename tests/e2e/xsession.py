"""A private virtual X server for the driver, and the entry point that
brings one up around each case and takes everything down after it.

xdotool does nearly all the talking to the server; the rest goes straight
through Xlib, for what xdotool has no command for.
"""

import ctypes
import ctypes.util
import os
import shutil
import signal
import subprocess
import sys
import tempfile

from processes import BOX_TIMEOUT, Failure, check, die_with_driver, start_xvfb, stop_all

SKIPPED = 77


def require_tools():
    missing = [tool for tool in ("Xvfb", "xdotool", "xclip") if shutil.which(tool) is None]
    if missing:
        print(f"skipped: {' and '.join(missing)} not installed")
        sys.exit(SKIPPED)


class XServer:
    """A private Xvfb; the display number is the one it reports free."""

    def __init__(self, workdir):
        self.log = open(os.path.join(workdir, "xvfb.log"), "wb")
        self.display, self.process = start_xvfb("800x600x24", self.log)
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
                                    timeout=BOX_TIMEOUT, preexec_fn=die_with_driver)
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

    def set_clipboard(self, text):
        """Puts text on the clipboard; xclip serves it from the background
        until another client takes the clipboard."""
        subprocess.run(["xclip", "-selection", "clipboard", "-in"], env=self.env, input=text.encode(),
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=BOX_TIMEOUT, check=True)

    def clipboard(self):
        """The clipboard's text, or None while nobody holds one."""
        result = subprocess.run(["xclip", "-selection", "clipboard", "-out"], env=self.env,
                                stdin=subprocess.DEVNULL, capture_output=True, timeout=BOX_TIMEOUT,
                                preexec_fn=die_with_driver)
        return result.stdout.decode() if result.returncode == 0 else None

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
