#!/usr/bin/python3
"""End-to-end cases for comsend: the real binary, a virtual X server and
pseudo-terminals. Run as: cases.py CASE /path/to/comsend (exit 77 = skipped).

Where a case must show that something did not reach the line, it sends a
known text afterwards and requires the far end to hold exactly that text:
anything that had slipped out earlier would sit in front of it.
"""

import grp
import os
import signal
import subprocess
import sys
import time

sys.dont_write_bytecode = True  # the driver lives in the source tree
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

import comsend  # noqa: E402
import shared  # noqa: E402
import xsession  # noqa: E402
from comsend import TEXT_BOX, Comsend  # noqa: E402
from processes import (BOX_TIMEOUT, WINDOW_TIMEOUT, Failure, Pty, check,  # noqa: E402
                       descriptors_on, exclusive_mode, expect_bytes, holders,
                       wait_for)

try:
    import serial  # Debian's python3-serial
except ImportError:
    print("FAIL: pyserial is missing (Debian package python3-serial)")
    sys.exit(1)


def exclusive_open_refused(path):
    """True when pyserial cannot take the port for itself."""
    try:
        serial.Serial(path, exclusive=True).close()
    except serial.SerialException:
        return True
    return False


def foreign_lock(x, program, workdir):
    """Another program's lock keeps comsend out, and the box names that
    program; comsend's lock keeps the other program out."""
    pty = Pty()
    try:
        other = serial.Serial(pty.path, exclusive=True)
        app = Comsend(x, program, workdir)
        app.connect_only(pty.path)
        with open("/proc/self/comm") as comm:
            holder = f"{comm.read().strip()} (process {os.getpid()})"
        shown = app.box_text("Connect")
        check(shown == f"Connect Fail!\nAnother program is using the port.\nIt is open in {holder}.",
              f"Connect to a locked port said {shown!r}")
        app.dismiss_box("Connect")
        check(not descriptors_on(app.pid, pty.path),
              "comsend kept the port open while pyserial had it locked")
        app.enter_text("zzz")

        other.close()
        app.connect(pty.path)
        check(descriptors_on(app.pid, pty.path),
              "comsend holds no descriptor on the port after pyserial let it go")
        app.enter_text("abc")
        expect_bytes(pty, b"abc", "the first Send after connecting")

        check(exclusive_open_refused(pty.path),
              "pyserial took the port exclusively while comsend held it")
        check(descriptors_on(app.pid, pty.path), "comsend lost the port to pyserial's attempt")
        app.check_running()
    finally:
        pty.close()


def port_of_another_group(x, program, workdir):
    """A port of a group the user is not in: the box names the group and
    the command that joins it. Only root can give a port another group and
    start comsend as another user (nobody)."""
    if os.geteuid() != 0:
        print("skipped: only root can give the port another group")
        sys.exit(xsession.SKIPPED)
    nobody = ["setpriv", "--reuid=65534", "--regid=65534", "--clear-groups"]
    group = grp.getgrnam("dialout")
    check("nobody" not in group.gr_mem, "nobody is in the dialout group here")
    pty = Pty()
    try:
        os.chown(pty.path, 0, group.gr_gid)
        os.chmod(pty.path, 0o660)
        app = Comsend(x, program, workdir, wrapper=nobody)
        app.connect_only(pty.path)
        shown = app.box_text("Connect")
        check(shown == "Connect Fail!\nYou may not use this port.\nThe port belongs to the dialout group: add "
                       "yourself with \"sudo usermod -aG dialout $USER\", then log out and in again.",
              f"Connect to a port of the dialout group said {shown!r}")
        app.dismiss_box("Connect")
        app.check_running()
    finally:
        pty.close()


def two_instances(x, program, workdir):
    """Of two comsends racing for one port, exactly one gets it; the other
    gets it once the first lets go."""
    pty = Pty()
    try:
        first = Comsend(x, program, workdir, name="first")
        second = Comsend(x, program, workdir, name="second")
        # Both windows open at the same place; apart, neither window nor its
        # message box can be under the pointer when the other is clicked.
        x.xdotool("windowmove", "--sync", second.window, 500, 400)
        for app in (first, second):
            app.replace_text(comsend.PORT_BOX, pty.path)
        first.click(comsend.CONNECT)
        second.click(comsend.CONNECT)
        first.dismiss_box("first Connect")
        second.dismiss_box("second Connect")

        held = {pid: fds for pid, fds in holders(pty.path).items()
                if pid in (first.pid, second.pid)}
        check(len(held) == 1, f"expected exactly one comsend on the port, found {held or 'none'}")
        holder, waiting = (first, second) if first.pid in held else (second, first)

        holder.enter_text("from the holder")
        expect_bytes(pty, b"from the holder", f"{holder.name}'s Send")
        waiting.enter_text("never")

        holder.disconnect()
        check(not descriptors_on(holder.pid, pty.path),
              f"{holder.name} still holds the port after Disconnect")
        waiting.connect(pty.path)
        check(descriptors_on(waiting.pid, pty.path),
              f"{waiting.name} could not Connect after {holder.name} disconnected")
        waiting.enter_text("from the other")
        expect_bytes(pty, b"from the other", f"{waiting.name}'s Send")
        first.check_running()
        second.check_running()
    finally:
        pty.close()


def close_while_connected(x, program, workdir):
    """Closing the window ends the program cleanly and lets the port go."""
    pty = Pty()
    try:
        app = Comsend(x, program, workdir)
        app.connect(pty.path)
        app.enter_text("bye")
        expect_bytes(pty, b"bye", "the Send before closing")

        code = app.close()
        check(code == 0, f"comsend ended with {code} after its window was closed")
        released(pty, "after the close")
    finally:
        pty.close()


def stdin_closed(x, program, workdir):
    """Started without standard input, comsend still never puts the port on
    a standard descriptor, and sends intact."""
    pty = Pty()
    try:
        app = Comsend(x, program, workdir, close_stdin=True)
        app.connect(pty.path)
        fds = descriptors_on(app.pid, pty.path)
        check(fds, "comsend holds no descriptor on the port after Connect")
        check(all(fd > 2 for fd in fds), f"the port is on a standard descriptor: {fds}")
        text = "intact 中文 ~!@#$%^&*()_+"
        app.enter_text(text)
        expect_bytes(pty, text.encode("utf-8"), "the Send")
        app.check_running()
    finally:
        pty.close()


def text_kept(x, program, workdir):
    """A text that could not go out stays in the box and goes out, untyped
    again, once a working port is connected."""
    gone = Pty()
    fresh = Pty()
    try:
        app = Comsend(x, program, workdir)
        app.connect(gone.path)
        app.enter_text("first")
        expect_bytes(gone, b"first", "the Send before the device vanished")
        # The Send ends a moment after its last byte has left (the settle for
        # an adapter pulled out behind a hub); until then it can still fail.
        time.sleep(1)

        gone.vanish()
        kept = "kept 保留 text"
        app.enter_text(kept)
        app.dismiss_box("Send Fail")
        app.disconnect()

        app.connect(fresh.path)
        check(descriptors_on(app.pid, fresh.path),
              "comsend could not Connect to a new port after Disconnect")
        app.click(TEXT_BOX)
        app.key("Return")
        expect_bytes(fresh, kept.encode("utf-8"), "the kept text")
        app.check_running()
    finally:
        gone.close()
        fresh.close()


def released(pty, why):
    """The program has ended and let the port go for everyone. A task that
    shares the ended process's descriptors (LeakSanitizer's, when a signal
    ends the process during its leak check) may outlive it by a moment."""
    try:
        wait_for(lambda: not holders(pty.path), 2, "the last descriptor on the port to go")
    except Failure:
        raise Failure(f"the port is still open {why}: {holders(pty.path)}") from None
    check(not exclusive_mode(pty), f"the port is still in exclusive mode {why}")
    check(not exclusive_open_refused(pty.path), f"pyserial cannot take the port {why}")


def close_during_message(x, program, workdir):
    """A close request while a message box is up ends comsend at once, as
    Linux desktops expect: status 0, the port free for everyone."""
    pty = Pty()
    try:
        app = Comsend(x, program, workdir)
        app.connect_only(pty.path)
        app.wait_box("Connect")
        code = app.close()
        check(code == 0, f"comsend ended with {code} after its window was closed during a message box")
        released(pty, "after a close during a message box")
    finally:
        pty.close()


def close_signals(x, program, workdir):
    """SIGTERM, SIGHUP and SIGINT each end a connected comsend the way its
    window's close does: status 0, the port free for everyone."""
    for sig in (signal.SIGTERM, signal.SIGHUP, signal.SIGINT):
        pty = Pty()
        try:
            app = Comsend(x, program, workdir, name=sig.name)
            app.connect(pty.path)
            os.kill(app.pid, sig)
            code = app.process.wait(timeout=WINDOW_TIMEOUT)
            check(code == 0, f"comsend ended with {code} on {sig.name}")
            released(pty, f"after {sig.name}")
        finally:
            pty.close()


def second_signal(x, program, workdir):
    """A second close signal ends the program at once, with status 128 + n
    and the port given back, whatever moment of its end it comes in: while
    the window loop handles the first, while the window and the toolkit go,
    or while the process exits (a connected comsend takes a few ms to end
    after the first, so the sweep from 0 to 50 ms after it is finest there).
    Stopped first, comsend takes both signals before it can act on either."""
    delays = [None, *(step / 2 for step in range(21)), 20, 35, 50]
    quick = 0
    for delay_ms in delays:
        pty = Pty()
        try:
            app = Comsend(x, program, workdir, name=f"second_signal_{delay_ms}")
            app.connect(pty.path)
            if delay_ms is None:
                os.kill(app.pid, signal.SIGSTOP)
                wait_for(lambda: open(f"/proc/{app.pid}/stat").read().rsplit(")", 1)[1].split()[0] == "T",
                         WINDOW_TIMEOUT, "comsend to stop")
            os.kill(app.pid, signal.SIGHUP)
            if delay_ms:
                time.sleep(delay_ms / 1000)
            try:
                os.kill(app.pid, signal.SIGTERM)
            except ProcessLookupError:
                pass  # it had ended already
            if delay_ms is None:
                os.kill(app.pid, signal.SIGCONT)
            code = app.process.wait(timeout=WINDOW_TIMEOUT)
            # Whichever of the two the program handles second ends it; 0 where
            # it had ended before the second came; never killed by one.
            allowed = {128 + signal.SIGHUP, 128 + signal.SIGTERM} | ({0} if delay_ms is not None else set())
            check(code in allowed, f"comsend ended with {code} on a second close signal {delay_ms} ms after the first")
            quick += code != 0
            released(pty, f"after a second close signal {delay_ms} ms after the first")
        finally:
            pty.close()
    print(f"second_signal: {quick} of {len(delays)} runs ended by the second signal, the rest had ended before it")


def no_display(x, program, workdir):
    """Started where there is no display, comsend says so in one line and
    ends with status 1."""
    env = {key: value for key, value in x.env.items()
           if key not in ("DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM")}
    result = subprocess.run([program], env=env, stdin=subprocess.DEVNULL, capture_output=True,
                            text=True, timeout=WINDOW_TIMEOUT)
    lines = result.stderr.splitlines()
    check(result.returncode == 1, f"comsend ended with {result.returncode} without a display")
    check(len(lines) == 1 and "no display" in lines[0],
          f"expected one line about the missing display, got: {result.stderr!r}")


def missing_locale(x, program, workdir):
    """Under a locale the machine lacks, comsend says so in one line and goes
    on in the C locale's encoding (Qt 6.4 leaves that in place); under one
    it has, it says nothing."""
    pty = Pty()
    try:
        app = Comsend(x, program, workdir, lang="xx_XX.NOPE")
        # The line comes before the window does; typing later brings Qt's
        # own complaint about the C locale's compose table.
        line = ('comsend: the locale "xx_XX.NOPE" does not exist on this machine, so text is sent in '
                'ANSI_X3.4-1968; to generate it, add the line "xx_XX.NOPE NOPE" to /etc/locale.gen '
                'and run locale-gen as root')
        check(app.output() == line + "\n", f"expected one line about the locale, got: {app.output()!r}")
        app.connect(pty.path)
        app.enter_text("abc")
        expect_bytes(pty, b"abc", "the Send under a missing locale")
        normal = Comsend(x, program, workdir, name="normal", lang="zh_TW.BIG5")
        check(normal.output() == "", f"a start under an existing locale said: {normal.output()!r}")
    finally:
        pty.close()


def far_end_unanswered(x, program, workdir):
    """What the far end says after Connect never comes back (a fresh
    terminal echoes it): only the typed text ever leaves the port."""
    pty = Pty()
    try:
        app = Comsend(x, program, workdir)
        app.connect(pty.path)
        os.write(pty.master, b"AT+RESET\r")
        check(pty.receive(1, timeout=1) == b"", "the port answered the far end")
        app.enter_text("ok")
        expect_bytes(pty, b"ok", "the Send after the far end spoke")
    finally:
        pty.close()


# Started with every signal blocked and no core file, then sent the signal.
_BLOCKED = [sys.executable, "-c", "import os, resource, signal, sys; "
            "resource.setrlimit(resource.RLIMIT_CORE, (0, 0)); "
            "signal.pthread_sigmask(signal.SIG_BLOCK, range(1, signal.NSIG)); os.execv(sys.argv[1], sys.argv[1:])"]


def ending_signals(x, program, workdir):
    """Every signal that would end comsend gives the port back, started
    with them all blocked as a launcher may start it: a close request ends
    it with 0, another terminating signal with 128 + n, and a fatal one
    kills it with that signal, as its default action does."""
    terminating = [signal.SIGUSR1, signal.SIGUSR2, signal.SIGALRM, signal.SIGVTALRM, signal.SIGPROF,
                   signal.SIGIO, signal.SIGXCPU, signal.SIGPIPE, signal.SIGQUIT, signal.SIGXFSZ,
                   signal.SIGSTKFLT, signal.SIGPWR, signal.SIGRTMIN, signal.SIGRTMAX]
    fatal = [signal.SIGSEGV, signal.SIGBUS, signal.SIGABRT, signal.SIGFPE, signal.SIGILL, signal.SIGSYS,
             signal.SIGTRAP]
    expected = {signal.SIGTERM: 0, **{s: 128 + s for s in terminating}, **{s: -s for s in fatal}}
    pty = Pty()
    try:
        for sig, code in expected.items():
            app = Comsend(x, program, workdir, name=f"signal{int(sig)}", wrapper=_BLOCKED)
            app.connect(pty.path)
            os.kill(app.pid, sig)
            ended = app.process.wait(timeout=WINDOW_TIMEOUT)
            check(ended == code, f"comsend ended with {ended} on signal {int(sig)}, not {code}")
            released(pty, f"after signal {int(sig)}")
    finally:
        pty.close()


def short_of_resources(x, program, workdir):
    """Short of descriptors, memory or threads at start, comsend says so in
    one line and ends with status 1; short of them at Connect, it answers
    with a box, and its window still closes."""
    nobody = ["setpriv", "--reuid=65534", "--regid=65534", "--clear-groups"] if os.geteuid() == 0 else []
    if os.environ.get("COMSEND_SANITIZED") == "1":
        # The sanitizers' own run-time needs what is short here: AddressSanitizer
        # reserves terabytes of address space before main, UndefinedBehaviorSanitizer
        # checks an object's memory through a pipe, LeakSanitizer's exit check a thread.
        print("skipped: the sanitizers' run-time is itself short of the resources")
        sys.exit(xsession.SKIPPED)
    limits = [["prlimit", "--nofile=12"], ["prlimit", "--as=100000000"], [*nobody, "prlimit", "--nproc=1"]]
    for limit in limits:
        result = subprocess.run([*limit, program], env=x.env, stdin=subprocess.DEVNULL, capture_output=True,
                                text=True, timeout=WINDOW_TIMEOUT)
        lines = result.stderr.splitlines()
        check(result.returncode == 1 and len(lines) == 1 and lines[0].startswith("comsend: "),
              f"under {' '.join(limit)}: status {result.returncode}, said {result.stderr!r}")
    # Threads are counted per user, and root has no limit: there, a comsend
    # of its own user (nobody) is short of them.
    pty = Pty()
    os.chown(pty.path, 65534, -1)
    try:
        for resource in ("nofile", "nproc")[:2 if nobody else 1]:
            app = Comsend(x, program, workdir, name=f"limited_{resource}", wrapper=nobody)
            in_use = len(os.listdir(f"/proc/{app.pid}/{'fd' if resource == 'nofile' else 'task'}"))
            subprocess.run([*nobody, "prlimit", f"--pid={app.pid}", f"--{resource}={in_use}"], check=True)
            app.connect(pty.path)
            check(not descriptors_on(app.pid, pty.path), f"comsend holds the port short of {resource}")
            code = app.close()
            check(code == 0, f"comsend ended with {code} after a Connect short of {resource}")
    finally:
        pty.close()


def virtual_console(x, program, workdir):
    """A virtual console is no serial port: Connect never opens it."""
    console = "/dev/tty63"
    if not os.path.exists(console) or os.major(os.stat(console).st_rdev) != 4:
        print(f"skipped: no virtual console {console} here")
        sys.exit(xsession.SKIPPED)
    app = Comsend(x, program, workdir)
    app.connect(console)
    check(not descriptors_on(app.pid, console), "comsend took a virtual console for a port")
    app.check_running()


def window_destroyed(x, program, workdir):
    """A window that another client destroys ends comsend as a close does."""
    pty = Pty()
    try:
        app = Comsend(x, program, workdir)
        app.connect(pty.path)
        x.xdotool("windowclose", app.window)
        code = app.process.wait(timeout=WINDOW_TIMEOUT)
        check(code == 0, f"comsend ended with {code} after its window was destroyed")
        released(pty, "after its window was destroyed")
    finally:
        pty.close()


def huge_window(x, program, workdir):
    """Resized by another client to 30000 x 30000, with no window manager
    to refuse it, the window keeps to the screen's size, and comsend does
    not take the gigabytes such a window would need."""
    app = Comsend(x, program, workdir)
    x.xdotool("windowsize", app.window, 30000, 30000)
    wait_for(lambda: "800x600" in x.xdotool("getwindowgeometry", app.window), BOX_TIMEOUT,
             "the window to keep to the screen's 800 x 600")
    app.enter_text("still answering")  # a window that took the size would be painting yet
    peak = int(open(f"/proc/{app.pid}/status").read().split("VmHWM:")[1].split()[0])
    check(peak < 500_000, f"comsend took {peak} kB for the window")
    check(app.close() == 0, "comsend did not end cleanly")


def no_runtime_dir(x, program, workdir):
    """With XDG_RUNTIME_DIR unset, a run leaves nothing in the temporary
    directory, however it ends: closed, by an ending signal, by a fatal one."""
    temporary = os.path.join(workdir, "tmp")
    os.mkdir(temporary)
    env = {key: value for key, value in x.env.items() if key != "XDG_RUNTIME_DIR"}
    for end, expected in (("close", 0), (signal.SIGUSR1, 128 + signal.SIGUSR1), (signal.SIGSEGV, -signal.SIGSEGV)):
        app = Comsend(x, program, workdir, env=dict(env, TMPDIR=temporary))
        if end == "close":
            code = app.close()
        else:
            app.process.send_signal(end)
            code = app.process.wait(timeout=10)
        check(code == expected and not os.listdir(temporary),
              f"comsend ended by {end} with {code} and left {os.listdir(temporary)} in the temporary directory")


class LinuxPlatform:
    """The Qt build on the virtual X server, for the cases in shared.py."""

    missing = "/nonexistent/port"

    def __init__(self, x, program, workdir):
        self.x, self.program, self.workdir = x, program, workdir
        self.started = 0

    def start(self, big5=False):
        self.started += 1
        return Comsend(self.x, self.program, self.workdir, name=f"comsend{self.started}",
                       lang="zh_TW.BIG5" if big5 else None)

    @staticmethod
    def port():
        return Pty()

    @staticmethod
    def released(port):
        released(port, "after the close")


def _shared(case):
    return lambda x, program, workdir: case(LinuxPlatform(x, program, workdir))


CASES = {
    "foreign_lock": foreign_lock,
    "port_of_another_group": port_of_another_group,
    "two_instances": two_instances,
    "close_while_connected": close_while_connected,
    "stdin_closed": stdin_closed,
    "text_kept": text_kept,
    "close_during_message": close_during_message,
    "close_signals": close_signals,
    "second_signal": second_signal,
    "no_display": no_display,
    "missing_locale": missing_locale,
    "far_end_unanswered": far_end_unanswered,
    "ending_signals": ending_signals,
    "short_of_resources": short_of_resources,
    "virtual_console": virtual_console,
    "window_destroyed": window_destroyed,
    "huge_window": huge_window,
    "no_runtime_dir": no_runtime_dir,
    **{name: _shared(case) for name, case in shared.CASES.items()},
}

if __name__ == "__main__":
    try:
        sys.exit(xsession.run(CASES, sys.argv[1:]))
    except Failure as failure:
        print(f"FAIL: {failure}")
        sys.exit(1)
