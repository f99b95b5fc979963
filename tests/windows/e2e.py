#!/usr/bin/python3
"""End-to-end cases for comsend.exe under 64-bit wine, in the wine session
(wine.py): the cases every build shares (tests/e2e/shared.py) and the
ones only Windows has. Run as:

    e2e.py CASE SESSION COMSEND_EXE REMOTE_EXE

The window is driven with xdotool, which wine turns into real keyboard and
mouse input; what the window shows is read with remote.exe, from another
process in the same session (wine draws Win32 controls into one X window,
so X cannot see them). Text that is not ASCII goes in through remote.exe:
xdotool's typing of it does not survive wine's keyboard mapping.
"""

import json
import os
import subprocess
import sys
import tempfile

sys.dont_write_bytecode = True
here = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, here)
sys.path.insert(0, os.path.join(os.path.dirname(here), "e2e"))

import shared  # noqa: E402
import wine  # noqa: E402
from processes import BOX_TIMEOUT, WINDOW_TIMEOUT, Failure, check, wait_for  # noqa: E402

MAIN_TITLE = "Form1"
CP950 = "zh_TW.UTF-8"  # wine takes code page 950 from it


class WineComsend:
    def __init__(self, session, program, remote_exe, workdir, lang):
        self.session, self.remote_exe, self.lang, self.workdir = session, remote_exe, lang, workdir
        self.log = os.path.join(workdir, "comsend.log")
        self.process = session.start(program, lang=lang, log=self.log)
        self.window = wait_for(self._window, WINDOW_TIMEOUT, f"the window titled {MAIN_TITLE}")
        controls = self.remote("form")["controls"]
        check(all(controls[button]["glyph"] for button in ("BitBtn1", "BitBtn2", "BitBtn3")),
              "the buttons show their stock glyphs")

    def _window(self):
        self.check_running()
        found = self.xdotool("search", "--onlyvisible", "--name", f"^{MAIN_TITLE}$").split()
        return found[0] if found and self.remote("form").get("controls") else None

    def check_running(self):
        code = self.process.poll()
        check(code is None, f"comsend.exe ended with {code}")

    def xdotool(self, *args):
        result = subprocess.run(["xdotool", *map(str, args)], env=self.session.env(), capture_output=True,
                                text=True, timeout=BOX_TIMEOUT)
        return result.stdout

    def remote(self, *args):
        with tempfile.NamedTemporaryFile(dir=self.workdir, suffix=".json") as out:
            self.session.start(self.remote_exe, args, lang=self.lang, log=out.name).wait(timeout=WINDOW_TIMEOUT)
            with open(out.name, "rb") as f:
                text = f.read().decode(errors="replace").strip()
        return json.loads(text) if text.startswith("{") else {}

    # -- input

    def click(self, name):
        left, top, width, height = self.remote("form")["controls"][name]["rect"]
        self.xdotool("windowfocus", "--sync", self.window)
        self.xdotool("mousemove", left + width // 2, top + height // 2, "click", 1)

    def key(self, *keys):
        self.xdotool("windowfocus", "--sync", self.window)
        self.xdotool("key", *keys)

    def set_text(self, name, text):
        self.remote("settext", name, text.encode().hex())

    # -- message boxes

    def boxes(self):
        return [bytes.fromhex(text).decode() for text in self.remote("boxes").get("boxes", [])]

    def box_text(self, why):
        return wait_for(self.boxes, BOX_TIMEOUT, f"a message box ({why})")[0]

    def wait_box(self, why):
        self.box_text(why)

    def dismiss_box(self, why):
        self.box_text(why)
        box = wait_for(lambda: self.xdotool("search", "--onlyvisible", "--name", "^comsend$").split(),
                       BOX_TIMEOUT, f"the {why} box's window")[0]
        self.xdotool("windowfocus", "--sync", box)
        self.xdotool("key", "Return")
        wait_for(lambda: not self.boxes(), BOX_TIMEOUT, f"the {why} box to close")
        self.check_running()

    def wait_progress(self, why):
        wait_for(lambda: self.remote("progress").get("up"), BOX_TIMEOUT, f"the progress box of {why}")

    # -- the program's operations

    def connect_only(self, port):
        self.set_text("ComboBox1", port)
        self.click("BitBtn1")

    def connect(self, port):
        self.connect_only(port)
        text = self.box_text("Connect")
        check(text == "Connect Success!", f"Connect to {port} said {text!r}")
        self.dismiss_box("Connect")

    def click_disconnect(self):
        self.click("BitBtn2")

    def enter_text(self, text):
        self.set_text("Edit1", text)
        self.click("Edit1")
        self.key("Return")

    def close(self):
        self.remote("close")
        try:
            return self.process.wait(timeout=WINDOW_TIMEOUT)
        except Exception as error:
            raise Failure("comsend.exe did not end after its window was closed") from error


class WinePlatform:
    missing = "COM9"

    def __init__(self, session, program, remote_exe, workdir):
        self.session, self.program, self.remote_exe, self.workdir = session, program, remote_exe, workdir

    def start(self, big5=False):
        return WineComsend(self.session, self.program, self.remote_exe, self.workdir,
                           CP950 if big5 else "C.UTF-8")

    def port(self, name="COM5"):
        return wine.ComPort(self.session, name)

    @staticmethod
    def released(port):
        """Only the bytes can be seen under wine: it keeps no port to itself."""


def not_a_serial_port(platform):
    """A file that CreateFileA opens is still no port: nothing is written."""
    app = platform.start()
    app.connect_only("C:\\windows\\win.ini")
    text = app.box_text("Connect")
    check(text == "Connect Fail!\nThis is not a serial port.", f"Connect to a file said {text!r}")
    app.dismiss_box("Connect")


CASES = dict(shared.CASES, not_a_serial_port=not_a_serial_port)


def main(argv):
    if len(argv) != 4 or argv[0] not in CASES:
        print(f"usage: e2e.py {{{'|'.join(CASES)}}} SESSION COMSEND_EXE REMOTE_EXE")
        return 2
    name, home, program, remote_exe = argv
    reason = wine.not_runnable(program)
    if reason:
        print(f"skipped: {name} not run: {reason}")
        return 77
    session = wine.Session(home)
    with tempfile.TemporaryDirectory(prefix="comsend-wine-e2e-") as workdir:
        platform = WinePlatform(session, program, remote_exe, workdir)
        try:
            CASES[name](platform)
        except Failure as failure:
            print(f"FAIL: {name}: {failure}")
            log = os.path.join(workdir, "comsend.log")
            if os.path.exists(log):
                print(open(log, "rb").read().decode(errors="replace"))
            return 1
        finally:
            session.kill_programs()
    print(f"PASS: {name}")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
