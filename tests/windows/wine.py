"""A throwaway 64-bit wine prefix on a private Xvfb, for running comsend's
Windows build here, and pseudo-terminals standing in for COM ports.

One session (an Xvfb and a persistent wineserver) serves a whole test run:
wine's desktop process binds to the display the first program opens, and a
cold wineserver costs seconds per program. `setup` starts it and leaves it
running; `teardown` ends it; `run` runs one program in it.

The prefix lives in the build tree. wine refuses a prefix that its user does
not own, and some shared or network file systems give new files another
owner (root squashed to nobody); there the prefix goes to the temporary
directory instead, under a name fixed by the build tree, and the session's
state (kept in the build tree) says where it is.

COM names never reach a real serial port: wine's mount manager links com1..
to /dev/ttyS0.. (here the machine's console) whenever a server starts, so
the session drops those links once its server is up, and the ports the tests
use are links to pseudo-terminals that the driver holds.
"""

import hashlib
import json
import os
import signal
import struct
import subprocess
import sys
import tempfile
import threading
import time
import tty

sys.path.insert(0, os.path.join(os.path.dirname(os.path.dirname(os.path.abspath(__file__))), "e2e"))

from processes import Pty, start_xvfb  # noqa: E402

WINE64 = "/usr/lib/wine/wine64"
WINESERVER = "/usr/lib/wine/wineserver64"
QUIET = {"WINEDEBUG": "-all", "WINEDLLOVERRIDES": "mscoree,mshtml=", "WINEARCH": "win64"}
TIMEOUT = 120


def can_run_i386():
    """Whether this machine executes 32-bit x86 code (scripts/can-run-i386)."""
    script = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "scripts", "can-run-i386")
    return subprocess.run([script], timeout=30).returncode == 0


def not_runnable(exe):
    """Why this machine cannot run the program under wine, or None: 32-bit
    programs need a machine that executes 32-bit x86 code."""
    with open(exe, "rb") as f:
        header = f.read(4096)
    pe = struct.unpack_from("<I", header, 0x3C)[0]
    machine = struct.unpack_from("<H", header, pe + 4)[0]
    if machine == 0x14C and not can_run_i386():
        return "this machine cannot execute 32-bit x86 code"
    return None


class Session:
    def __init__(self, home):
        self.home = os.path.abspath(home)
        self.state_file = os.path.join(self.home, "comsend-session.json")
        self.started = []

    @property
    def prefix(self):
        return self._state()["prefix"]

    def env(self, **extra):
        state = self._state()
        return dict(os.environ, WINEPREFIX=state["prefix"], DISPLAY=state["display"], **QUIET, **extra)

    def _state(self):
        with open(self.state_file) as f:
            return json.load(f)

    def _wine(self, *args, env=None, timeout=TIMEOUT):
        subprocess.run([WINE64, *args], env=env or self.env(), stdin=subprocess.DEVNULL,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=timeout, check=False)

    def setup(self):
        self.teardown()
        os.makedirs(self.home, exist_ok=True)
        prefix = self._owned_prefix()
        with open(os.path.join(self.home, "xvfb.log"), "wb") as log:
            # Its own session: it outlives this process, for the tests after it.
            display, xvfb = start_xvfb("1024x768x24", log, launch=subprocess.Popen, start_new_session=True)
        with open(self.state_file, "w") as f:
            json.dump({"display": display, "xvfb": xvfb.pid, "prefix": prefix}, f)
        if not os.path.exists(os.path.join(self.prefix, "system.reg")):
            self._boot()
            self._configure()
        subprocess.run(["setsid", "-f", WINESERVER, "-p"], env=self.env(), stdin=subprocess.DEVNULL,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=TIMEOUT, check=True)
        self._wine("cmd", "/c", "exit")  # the mount manager makes its COM links now...
        self._drop_real_ports()          # ...and they are dropped for the session's lifetime

    def _owned_prefix(self):
        prefix = os.path.join(self.home, "prefix")
        os.makedirs(prefix, exist_ok=True)
        if os.stat(prefix).st_uid != os.getuid():
            tree = hashlib.sha256(self.home.encode()).hexdigest()[:16]
            prefix = os.path.join(tempfile.gettempdir(), f"comsend-wine-{os.getuid()}-{tree}")
            os.makedirs(prefix, mode=0o700, exist_ok=True)
        return prefix

    def _boot(self):
        """Makes the prefix; what wine said goes to the test's output when it fails."""
        log = os.path.join(self.home, "wineboot.log")
        with open(log, "wb") as out:
            subprocess.run([WINE64, "wineboot", "-i"], env=self.env(), stdin=subprocess.DEVNULL, stdout=out,
                           stderr=subprocess.STDOUT, timeout=TIMEOUT, check=False)
        subprocess.run([WINESERVER, "-w"], env=self.env(), timeout=TIMEOUT, check=False)
        if not os.path.isdir(os.path.join(self.prefix, "drive_c", "windows")):
            with open(log, errors="replace") as f:
                sys.exit(f"wine made no prefix in {self.prefix}; wineboot said:\n{f.read()}")

    def _configure(self):
        """Fonts and window settings of the test prefix: wine's own fonts (the
        package does not put them in a prefix), a stand-in for the Chinese UI
        font, and windows that wine frames itself (with no window manager,
        wine otherwise waits two seconds on every window it hides)."""
        fonts = os.path.join(self.prefix, "drive_c", "windows", "Fonts")
        if os.path.isdir("/usr/share/wine/fonts"):
            for name in os.listdir("/usr/share/wine/fonts"):
                target = os.path.join(fonts, name)
                if not os.path.exists(target):
                    with open(os.path.join("/usr/share/wine/fonts", name), "rb") as src, \
                            open(target, "wb") as dst:
                        dst.write(src.read())
        env = self.env(LANG="C.UTF-8", LC_ALL="C.UTF-8")
        substitutes = r"HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontSubstitutes"
        for face in ("新細明體", "PMingLiU"):
            self._wine("reg", "add", substitutes, "/v", face, "/t", "REG_SZ", "/d", "AR PL UMing TW", "/f",
                       env=env)
        self._wine("reg", "add", r"HKCU\Software\Wine\X11 Driver", "/v", "Managed", "/t", "REG_SZ",
                   "/d", "N", "/f", env=env)
        subprocess.run([WINESERVER, "-w"], env=self.env(), timeout=TIMEOUT, check=False)

    def _drop_real_ports(self):
        devices = os.path.join(self.prefix, "dosdevices")
        for name in os.listdir(devices):
            path = os.path.join(devices, name)
            if name.startswith("com") and os.path.islink(path):
                if os.readlink(path).startswith(("/dev/ttyS", "/dev/ttyUSB", "/dev/ttyACM")):
                    os.unlink(path)

    def teardown(self):
        if not os.path.exists(self.state_file):
            return
        subprocess.run([WINESERVER, "-k"], env=dict(os.environ, WINEPREFIX=self.prefix),
                       stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                       timeout=TIMEOUT, check=False)
        try:
            os.kill(self._state()["xvfb"], signal.SIGTERM)
        except (OSError, ValueError, KeyError):
            pass
        os.unlink(self.state_file)

    def start(self, exe, args=(), lang="C.UTF-8", log=None):
        """Starts a Windows program; its output goes to a file, never to a
        pipe (wine's helper processes would keep a pipe open)."""
        env = self.env(LANG=lang, LC_ALL=lang)
        env.pop("QT_QPA_PLATFORM", None)
        with open(log or os.devnull, "wb") as out:
            process = subprocess.Popen([WINE64, exe, *args], env=env, stdin=subprocess.DEVNULL, stdout=out,
                                       stderr=subprocess.STDOUT)
        self.started.append(process)
        return process

    def kill_programs(self):
        """Ends the programs this driver started that are still running."""
        for process in self.started:
            if process.poll() is None:
                process.kill()
                process.wait()
        self.started.clear()


class ComPort(Pty):
    """A COM name of the session linked to a pseudo-terminal: the master is
    the far end of the line."""

    def __init__(self, session, name):
        super().__init__()
        self.name = name
        self.link = os.path.join(session.prefix, "dosdevices", name.lower())
        if os.path.lexists(self.link):
            os.unlink(self.link)
        os.symlink(self.path, self.link)

    def close(self):
        if os.path.islink(self.link):
            os.unlink(self.link)
        super().close()


class Ports:
    """Raw COM ports for a test program, whose far ends read and drop
    whatever arrives, so that no line ever fills."""

    def __init__(self, session, names):
        self.ports = [ComPort(session, name) for name in names]
        for port in self.ports:
            tty.setraw(port.slave)

    def drain_in_background(self):
        stop = threading.Event()

        def drain():
            while not stop.is_set():
                for port in self.ports:
                    try:
                        os.read(port.master, 65536)
                    except OSError:
                        pass
                time.sleep(0.05)

        threading.Thread(target=drain, daemon=True).start()
        return stop

    def close(self):
        for port in self.ports:
            port.close()
