"""End-to-end cases written once for every build of comsend: each runs the
real program through its window, with a pseudo-terminal as the far end of
the line, on whichever platform object it is given:

    platform.start(lang)   a running comsend whose narrow encoding is the
                           locale's (Linux) or the code page it gives (wine)
    platform.port()        a port: .name to type, .master the far end,
                           .receive(count), .fill(), .close()
    platform.missing       a port name that names no port
    platform.released(port) checks that nobody holds the port any more

and the app offers connect(name), enter_text(text), wait_box(why),
dismiss_box(why), disconnect(), close() and box_text(why), which gives the
text of the box that is up.
"""

import re
import termios

from processes import check, expect_bytes


def _expect_box(app, why, text):
    """The box reads the text, or matches it where it is a pattern."""
    shown = app.box_text(why)
    matches = text.fullmatch(shown) if isinstance(text, re.Pattern) else shown == text
    check(matches, f"{why}: expected the box {getattr(text, 'pattern', text)!r}, got {shown!r}")
    app.dismiss_box(why)


def send_abc(platform):
    """Connect, Send "abc" and Disconnect: exactly 61 62 63 at the far end,
    with the line at 4800 baud, 8 bits, no parity, one stop bit, raw, no
    flow control."""
    port = platform.port()
    try:
        app = platform.start()
        app.connect_only(port.name)
        _expect_box(app, "Connect", "Connect Success!")
        app.enter_text("abc")
        expect_bytes(port, b"abc", "the Send")
        iflag, oflag, cflag, lflag, ispeed, ospeed, _ = termios.tcgetattr(port.master)
        check(ispeed == ospeed == termios.B4800, f"the line runs at {ispeed}/{ospeed}, not 4800")
        check(cflag & termios.CSIZE == termios.CS8, "the line does not have 8 data bits")
        check(not cflag & (termios.PARENB | termios.CSTOPB | termios.CRTSCTS),
              "the line has parity, two stop bits or hardware flow control")
        check(not iflag & (termios.IXON | termios.IXOFF) and not oflag & termios.OPOST
              and not lflag & (termios.ICANON | termios.ECHO | termios.ISIG),
              "the line is not raw, or has software flow control")
        app.click_disconnect()
        _expect_box(app, "Disconnect", "Disconnect!")
        app.check_running()
    finally:
        port.close()


def no_such_port(platform):
    """A name that names no port: "Connect Fail!" with the reason, and the
    ports the machine has, whichever they are."""
    app = platform.start()
    app.connect_only(platform.missing)
    _expect_box(app, "Connect", re.compile("Connect Fail!\nThere is no such port\\.\n"
                                           "(Ports on this computer: [^\n]+\\.|No serial port is on this computer\\.)"))
    app.check_running()


def send_big5(platform):
    """Chinese text where the system's narrow encoding is Big5: two bytes a
    character, exactly as Big5 has them."""
    port = platform.port()
    try:
        app = platform.start(big5=True)
        app.connect(port.name)
        app.enter_text("中文")
        expect_bytes(port, bytes.fromhex("a4a4a4e5"), "the Big5 Send")
        app.check_running()
    finally:
        port.close()


def close_during_stalled_send(platform):
    """A close request while a Send waits for a device that takes nothing
    cancels the Send and ends the program as a normal close does."""
    port = platform.port()
    try:
        app = platform.start()
        app.connect(port.name)
        # The first Send makes the line raw, which changes what the far
        # end's buffer holds; only then is it filled.
        app.enter_text("x")
        expect_bytes(port, b"x", "the first Send")
        port.fill()
        app.enter_text("stuck")
        app.wait_progress("the stalled Send")
        code = app.close()
        check(code == 0, f"comsend ended with {code} after its window was closed during a Send")
        platform.released(port)
    finally:
        port.close()


CASES = {case.__name__: case for case in (send_abc, no_such_port, send_big5, close_during_stalled_send)}
