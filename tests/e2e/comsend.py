"""One running comsend, driven through the controls of its window.

There is no window manager on the virtual server, so nothing hands out
keyboard focus or keeps a window on top: every interaction raises and focuses
the window it is meant for first, and clicks at absolute screen positions
worked out from where the window really is.
"""

import json
import os
import subprocess

from processes import BOX_TIMEOUT, WINDOW_TIMEOUT, Failure, check, start, wait_for

# The form description, as describe_form prints it (its path comes from the
# build, in COMSEND_DESCRIBE_FORM): the window's title and where each control
# is in the client area.
_FORM = json.loads(subprocess.run([os.environ["COMSEND_DESCRIBE_FORM"]], capture_output=True, text=True,
                                  check=True).stdout)
MAIN_TITLE = _FORM["caption"]
BOX_TITLE = "comsend"
PORT_BOX = tuple(_FORM["controls"]["ComboBox1"])
CONNECT = tuple(_FORM["controls"]["BitBtn1"])
DISCONNECT = tuple(_FORM["controls"]["BitBtn2"])
TEXT_BOX = tuple(_FORM["controls"]["Edit1"])


class Comsend:
    """One running comsend and the controls of its window."""

    def __init__(self, xserver, program, workdir, close_stdin=False, name="comsend", lang=None, wrapper=(),
                 env=None):
        self.x = xserver
        self.name = name
        self.log_path = os.path.join(workdir, f"{name}.log")
        self.log = open(self.log_path, "wb")
        env = env or (dict(xserver.env, LC_ALL=lang) if lang else xserver.env)
        # A wrapper (prlimit, ...) ends by executing the program: the pid stays.
        self.process = start([*wrapper, program], close_stdin=close_stdin, env=env,
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

    def box_text(self, why):
        """Qt draws its boxes' texts, but a box copies its text on Ctrl+C."""
        box = self.wait_box(why)
        self.x.xdotool("windowfocus", "--sync", box)
        marker = f"before the {why} box's text"
        self.x.set_clipboard(marker)
        self.key("ctrl+c")
        return wait_for(lambda: (lambda now: now if now not in (None, marker) else None)(self.x.clipboard()),
                        BOX_TIMEOUT, f"the {why} box's text on the clipboard")

    def wait_progress(self, why):
        self.wait_box(f"the progress of {why}")  # it has the program's name too

    def connect_only(self, port):
        self.replace_text(PORT_BOX, port)
        self.click(CONNECT)

    def connect(self, port):
        self.connect_only(port)
        self.dismiss_box("Connect")

    def click_disconnect(self):
        self.click(DISCONNECT)

    def disconnect(self):
        self.click_disconnect()
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
