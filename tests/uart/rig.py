#!/usr/bin/env python3
"""The serial layer against the Linux 8250 driver on real (emulated) UARTs,
and against the kernel's USB stack with three families of USB serial
devices that are unplugged and stall.

Boots the distribution's kernel in QEMU (TCG; no KVM needed) with an
initramfs holding busybox, the guest program and the kernel's own USB
modules (usbcore, xhci, usbserial, ftdi_sio, ch341, cdc-acm, inserted by
/init), four 16550 ports and an xHCI controller with three devices:

    ttyS0    console and command channel
    ttyS1    COM2 \
    ttyS2    COM3  > data lines, each one end of a socketpair whose other end
    ttyS3    COM4 /  is ours: we are the device at the far end of the line
    ttyUSBn  an FTDI FT232B adapter (ftdiadapter.py)  \  served over QEMU's
    ttyUSBn  a CH340 adapter (ch340adapter.py)         > usb-redir devices,
    ttyACMn  a CDC-ACM board (cdcacm.py)              /  one connection each

QEMU's UART sends as fast as the socket takes bytes and holds the line when
it takes none, so the host sets the line's pace: 480 bytes a second is a
receiver at 4800 8N1; reading nothing is a far end that has stalled.

The USB devices are ours from the USB packets down (usbdevice.py): QEMU
hands every transfer of the guest's drivers to us over a socketpair in the
usbredir protocol, and we answer as the chip would, holding the driver's
transfers while the chip's buffer is full. QEMU's own usb-serial device
cannot model that: it holds the whole emulator while its character device
is slow. The kernel numbers the devices' nodes in the order they come, so
the guest finds each by its driver ("usb:ch341-uart"); plugged back after
an unplug, a device is a new one, under another name while a program still
holds the old.

Cases on different ports run side by side, cases on one port in order. For
each, the host sets the line's pace, sends "RUN <id> <port> <op> [count]"
over the console, waits for "@@RESULT <id> ...", drains the line and checks
that exactly the bytes the guest counts as sent arrived, once and in order.
Where a device is unplugged, the guest cues it ("@@UNPLUG <id>": as a send
starts, once it has handed every byte over, or while idle), and the host
unplugs a set time later, plainly or with its transfers failing first.
Where the far end stalls, the guest says when its Send has failed ("@@SENT
<id>"), and the host reads again, at once or only after the close. For
these the guest's account must hold against what arrived once the line has
carried what was left: no more known to have left than arrived, no fewer
possibly left than arrived.
"""

import argparse
import gzip
import lzma
import os
import pathlib
import select
import socket
import stat
import subprocess
import sys
import threading
import time

sys.dont_write_bytecode = True  # the rig lives in the source tree
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

import cdcacm  # noqa: E402
import ch340adapter  # noqa: E402
import ftdiadapter  # noqa: E402
import usbdevice  # noqa: E402

HERE = pathlib.Path(__file__).resolve().parent
RATE = 480  # bytes a second: 4800 baud, 10 bits a character


class Case:
    def __init__(self, case_id, op, title, count=0, hold_after=None, resume=None, unplug_after=None,
                 cut_below=None):
        self.id, self.op, self.title, self.count = case_id, op, title, count
        self.hold_after = hold_after  # seconds of reading before the host stops
        self.resume = resume  # the pace the host reads at again once the guest's Send has ended
        self.unplug_after = unplug_after  # seconds from the guest's cue to the unplug
        self.cut_below = cut_below  # fewer bytes than this arrive when the unplug falls where meant


# The most a USB family's driver holds: cdc_acm's sixteen 1,280-byte write
# buffers (usbserial holds 4,096 bytes and two transfers). While fewer than
# 30,000 minus this have arrived, the guest is still handing the text over;
# in the drain the guest's cue comes once it has handed every byte over.
DRIVER_HOLD = 16 * 1280


def family(name, turn):
    """One USB family's cases: the control, and each way a device goes away.
    The families' lanes run side by side, each starting its list of ways to
    go at another place (`turn`), so that no two devices go at the same
    moment: a guest under emulation that handles three unplugs at once, one
    of them failing thousands of transfers, reacts to each far later than a
    computer would."""
    handover, drain = dict(unplug_after=3.0, cut_below=30000 - DRIVER_HOLD), dict(unplug_after=0.0, cut_below=2500)
    failing = "its transfers failing for a hub's poll first"
    ways = [
        Case(f"{name}_unplug_handover", "unplug_handover", "unplugged 3 s into handing over 30000 B: the Send "
             "fails, its account within what arrived, close at once", 30000, **handover),
        Case(f"{name}_unplug_drain", "unplug_drain", "unplugged while the driver drains 2500 B: the Send fails, "
             "its account within what arrived, close at once", 2500, **drain),
        Case(f"{name}_fail_handover", "fail_handover", f"unplugged 3 s into handing over 30000 B, {failing}: the "
             "Send fails, its account within what arrived", 30000, **handover),
        Case(f"{name}_fail_drain", "fail_drain", f"unplugged while the driver drains 2500 B, {failing}: the Send "
             "fails, its account within what arrived", 2500, **drain),
        Case(f"{name}_stall", "stall_close", "far end stops after 1 s: the Send fails by the stall rule, close at "
             "once, the account within what arrives once it reads again", 10000, hold_after=1.0),
        Case(f"{name}_stall_resume", "stall_resume", "far end stops after 1 s and reads again once the Send has "
             "failed: the account within what arrives, close at once", 10000, hold_after=1.0, resume=RATE),
        Case(f"{name}_unplug_idle", "unplug_idle", "unplugged while idle: SetCommState fails with its error, "
             "close at once; replugged under a new name, a send there arrives", 1000, unplug_after=0.0),
    ]
    return [Case(f"{name}_send10000", "send", "paced send 10000 B", 10000)] + ways[turn:] + ways[:turn]


# One list per port, in order. The 30,000-byte send (62.5 s of line time)
# sets the length of the run, so the other ports share the rest.
GROUPS = {
    "COM2": [
        Case("send_record", "send_record", "Send record: 4800 8N1 raw, no flow, DTR/RTS up at open, off after"),
        Case("uart_frames", "uart_frames", "frames a pty refuses: 7E2 7E1 5N1.5 6O1 8M1 taken"),
        Case("refused", "refused", "230400 7E1 refused, line left exactly as it was"),
        Case("send30000", "send", "paced send 30000 B, closed right after: all arrive", 30000),
    ],
    "COM3": [
        Case("send10000", "send", "paced send 10000 B", 10000),
        Case("send6000", "send", "paced send 6000 B", 6000),
        Case("send3000", "send", "paced send 3000 B", 3000),
    ],
    "COM4": [
        Case("exclusive", "exclusive", "exclusive use: second open EBUSY, reopen, free after close"),
        Case("stall", "stall", "far end stops reading: ends with ETIMEDOUT, queued rest discarded", 10000,
             hold_after=3.0, resume=float("inf")),
        Case("send4500", "send", "paced send 4500 B", 4500),
    ],
    # Each USB family on a port named by its driver, with the device that
    # plays it (see the docstring at the top).
    "usb:ftdi_sio": family("ftdi", 0),
    "usb:ch341-uart": family("ch341", 2),
    "usb:cdc_acm": family("acm", 5),
}


def payload(count):
    """The guest's Payload(): a 32-bit linear congruential sequence."""
    out, state = bytearray(count), count
    for i in range(count):
        state = (state * 1103515245 + 12345) & 0xFFFFFFFF
        out[i] = (state >> 16) & 0xFF
    return bytes(out)


class Line(usbdevice.FarEnd):
    """The host end of one data line: takes bytes at a pace, all at once, or not at all."""

    def __init__(self, conn):
        self.conn = conn
        conn.setblocking(False)
        self.lock = threading.Lock()
        self.data = bytearray()
        self.latest = 0.0
        self.set(None)
        threading.Thread(target=self._run, daemon=True).start()

    def drain(self, quiet=0.3):
        """Takes what is still on its way, until nothing has come for `quiet` seconds."""
        self.set(float("inf"))
        while time.monotonic() - max(self.latest, self.since) < quiet:
            time.sleep(0.05)
        self.set(None)

    def _receive(self, limit):
        try:
            chunk = self.conn.recv(limit)
        except BlockingIOError:
            return 0
        with self.lock:
            self.data += chunk
            self.latest = time.monotonic()
        return len(chunk)

    def _run(self):
        last = time.monotonic()
        while True:
            now = time.monotonic()
            with self.lock:
                rate = self._rate(now)
            if rate == float("inf"):
                select.select([self.conn], [], [], 0.05)
                self._receive(65536)
            elif rate is not None:
                # A receiver at `rate`: about five bytes every 10 ms at 480 B/s.
                with self.lock:
                    self.tokens = min(16.0, self.tokens + rate * (now - last))
                    want = int(self.tokens)
                got = self._receive(want) if want else 0
                with self.lock:
                    self.tokens -= got
            last = now
            time.sleep(0.01)


class Console:
    """ttyS0: kernel messages and the guest's "@@" lines in, commands out."""

    def __init__(self, conn, log_path):
        self.conn, self.log = conn, open(log_path, "wb")
        self.cond = threading.Condition()
        self.markers, self.results = set(), {}
        threading.Thread(target=self._run, daemon=True).start()

    def send(self, line):
        with self.cond:
            self.conn.sendall(line.encode() + b"\n")

    def wait(self, marker, timeout):
        """Waits for "<word> <id>", or less once the case <id> has its result."""
        end = {marker, "RESULT " + marker.partition(" ")[2], "EOF"}
        with self.cond:
            return self.cond.wait_for(lambda: end & self.markers, timeout) and marker in self.markers

    def _run(self):
        pending = b""
        while chunk := self.conn.recv(4096):
            self.log.write(chunk)
            self.log.flush()
            *lines, pending = (pending + chunk).split(b"\n")
            for raw in lines:
                text = raw.decode("latin-1").strip()
                if "@@" in text:  # a kernel message may share the line
                    self._marker(text[text.index("@@") + 2:])
        with self.cond:
            self.markers.add("EOF")
            self.cond.notify_all()

    def _marker(self, text):
        word, _, rest = text.partition(" ")
        case_id, _, fields = rest.partition(" ")
        with self.cond:
            self.markers.add(f"{word} {case_id}".strip())
            if word == "RESULT":
                self.results[case_id] = dict(f.split("=", 1) for f in fields.split() if "=" in f)
            self.cond.notify_all()


# The cases whose Send ends without having sent everything, judged by their
# account against what arrived.
ACCOUNTED = {"unplug_handover", "unplug_drain", "fail_handover", "fail_drain", "stall_close", "stall_resume"}


def verdict(case, result, data):
    """The problems with one case: the guest's own, and the bytes the host got."""
    if result is None:
        return ["no result from the guest"]
    problems = result["problems"].split(",") if "problems" in result else []
    if case.op in ACCOUNTED:
        sent, at_most = int(result.get("sent", -1)), int(result.get("sent_at_most", -1))
        start = payload(case.count)[:len(data)]
        if data != start:
            bad = next(i for i, (a, b) in enumerate(zip(data, start)) if a != b)
            problems.append(f"bytes: the {len(data)} that arrived are not the text's start, first difference at {bad}"
                            f" ({data[bad:bad + 8].hex()} for {start[bad:bad + 8].hex()})")
        if case.cut_below is not None and len(data) >= case.cut_below:
            problems.append(f"unplugged too late: {len(data)} arrived")
        if not 0 <= sent <= len(data):
            problems.append(f"account: {sent} known to have left, but {len(data)} arrived")
        if at_most < len(data):
            problems.append(f"account: at most {at_most} may have left, but {len(data)} arrived")
    elif case.count:
        sent = int(result.get("sent", -1))
        expected = payload(case.count)[:sent] if sent >= 0 else None
        if data != expected:
            bad = next((i for i, (a, b) in enumerate(zip(data, expected or b"")) if a != b),
                       min(len(data), len(expected or b"")))
            problems.append(f"bytes: {len(data)} arrived for {sent} sent, first difference at {bad}")
    return problems


def run_group(port, cases, console, line, outcomes, t0):
    for case in cases:
        line.take()
        line.set(RATE if case.count else None, case.hold_after)
        console.send(f"RUN {case.id} {port} {case.op} {case.count}")
        # A stalled send says when it has ended; the host then reads again
        # where the far end resumes, so that what the device still holds
        # reaches it, and otherwise only in the drain after the close.
        before = b""
        if case.hold_after is not None and console.wait(f"SENT {case.id}", 150):
            before = line.take()
            if case.resume is not None:
                line.set(case.resume)
        # The guest says when the unplug's time starts, and when it wants the
        # device back.
        if case.unplug_after is not None and console.wait(f"UNPLUG {case.id}", 150):
            time.sleep(case.unplug_after)
            line.unplug(fail_first=case.op.startswith("fail"))
            if case.op == "unplug_idle" and console.wait(f"PLUG {case.id}", 30):
                line.plug()
        console.wait(f"RESULT {case.id}", 150)
        if case.unplug_after is not None:
            line.plug()
        result = console.results.get(case.id)
        line.drain()
        after = line.take()
        data = before + after
        problems = verdict(case, result, data)
        outcomes.append((case, problems))
        facts = " ".join(f"{k}={v}" for k, v in (result or {}).items() if k != "problems")
        if case.count:
            facts += f" arrived={len(data)}"
        if case.hold_after is not None:
            facts += f" after_sent={len(after)}"
        print(f"[{time.monotonic() - t0:5.1f}s] {'FAIL' if problems else 'PASS'} {case.id}: {case.title}"
              f" | {port} {facts}" + "".join(f"\n    problem: {p}" for p in problems), flush=True)


def newc(entries):
    """An initramfs in the kernel's "newc" cpio format, written here so that
    the console device node needs neither cpio nor root."""
    out = bytearray()
    for number, (name, mode, data, rdev) in enumerate(entries + [("TRAILER!!!", 0, b"", 0)], 1):
        name_b = name.encode() + b"\0"
        fields = [number, mode, 0, 0, 1, 0, len(data), 0, 0, rdev >> 8, rdev & 0xFF, len(name_b), 0]
        out += b"070701" + b"".join(b"%08x" % f for f in fields) + name_b
        out += b"\0" * (-len(out) % 4) + data
        out += b"\0" * (-len(out) % 4)
    return bytes(out)


def has_interpreter(path):
    """Whether an ELF program asks for a dynamic loader (a PT_INTERP header)."""
    data = pathlib.Path(path).read_bytes()
    phoff = int.from_bytes(data[32:40], "little")
    size, count = int.from_bytes(data[54:56], "little"), int.from_bytes(data[56:58], "little")
    return any(int.from_bytes(data[phoff + i * size:][:4], "little") == 3 for i in range(count))


UNPACK = {".ko": bytes, ".xz": lzma.decompress, ".gz": gzip.decompress}  # busybox insmod takes plain ones


def usb_modules(kernel):
    """The USB devices' drivers from the kernel's own modules, uncompressed, each
    after those it needs (modules.dep lists all that a module needs, to be
    inserted from the last). One built into the kernel is not listed there."""
    root = pathlib.Path("/lib/modules") / pathlib.Path(kernel).name.removeprefix("vmlinuz-")
    if not (root / "modules.dep").exists():
        sys.exit(f"uart rig: no modules for {kernel} in {root}")
    needs = {}
    for line in (root / "modules.dep").read_text().splitlines():
        path, _, deps = line.partition(":")
        needs[pathlib.Path(path).name.partition(".ko")[0]] = (path, deps.split())
    order = []
    for name in ("usb-common", "usbcore", "xhci-hcd", "xhci-pci", "usbserial", "ftdi_sio", "ch341", "cdc-acm"):
        path, deps = needs.get(name, (None, []))
        order += [p for p in [*reversed(deps), path] if p and p not in order]
    if unknown := [p for p in order if pathlib.Path(p).suffix not in UNPACK]:
        sys.exit(f"uart rig: cannot unpack {unknown[0]}")
    return [(pathlib.Path(p).name.partition(".ko")[0], UNPACK[pathlib.Path(p).suffix]((root / p).read_bytes()))
            for p in order]


def initramfs(guest, busybox, modules):
    for program in (guest, busybox):
        if not os.path.exists(program) or has_interpreter(program):
            sys.exit(f"uart rig: {program} must be a static program (busybox comes from busybox-static)")
    directory, executable = stat.S_IFDIR | 0o755, stat.S_IFREG | 0o755
    # Numbered, so that /init inserts them in order.
    return newc([
        ("dev", directory, b"", 0), ("dev/console", stat.S_IFCHR | 0o600, b"", 5 << 8 | 1),
        ("proc", directory, b"", 0), ("sys", directory, b"", 0), ("bin", directory, b"", 0),
        ("modules", directory, b"", 0),
        ("bin/busybox", executable, pathlib.Path(busybox).read_bytes(), 0),
        ("init", executable, (HERE / "guest" / "init").read_bytes(), 0),
        ("harness", executable, pathlib.Path(guest).read_bytes(), 0),
    ] + [(f"modules/{i:02}-{name}.ko", stat.S_IFREG | 0o644, data, 0) for i, (name, data) in enumerate(modules)])


def main():
    ap = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    ap.add_argument("guest", help="the static guest program (uart_guest)")
    ap.add_argument("--out", default="uart-rig", help="folder for the initramfs and the logs")
    ap.add_argument("--only", help="comma-separated case ids")
    ap.add_argument("--kernel", default=(sorted(pathlib.Path("/boot").glob("vmlinuz-*")) or [""])[-1])
    ap.add_argument("--busybox", default="/bin/busybox")
    args = ap.parse_args()
    if not os.access(args.kernel, os.R_OK):
        sys.exit(f"uart rig: cannot read the kernel image {args.kernel}")
    groups = {port: [c for c in cases if not args.only or c.id in args.only.split(",")]
              for port, cases in GROUPS.items()}

    out = pathlib.Path(args.out)
    out.mkdir(parents=True, exist_ok=True)
    (out / "initramfs.cpio").write_bytes(initramfs(args.guest, args.busybox, usb_modules(args.kernel)))

    # Socketpairs handed to QEMU as open descriptors: our end exists before
    # the guest can send a byte (a socket chardev with nobody connected drops
    # it), and QEMU's send buffer at its minimum leaves about 6 bytes in the
    # socket, so that what is past the driver is about what a 16550's FIFO
    # and shift register hold.
    # The last three pairs carry the USB devices' usbredir connections.
    devices = [ftdiadapter.Adapter, ch340adapter.Adapter, cdcacm.Board]
    pairs = [socket.socketpair() for _ in range(4 + len(devices))]
    chardevs = ["-device", "qemu-xhci,id=xhci"]
    for i, (_, qemu_end) in enumerate(pairs):
        if 0 < i < 4:
            qemu_end.setsockopt(socket.SOL_SOCKET, socket.SO_SNDBUF, 1)
        chardevs += ["-chardev", f"socket,id=s{i},fd={qemu_end.fileno()}"]
        chardevs += ["-serial", f"chardev:s{i}"] if i < 4 else ["-device", f"usb-redir,chardev=s{i},bus=xhci.0"]
    qemu = ["qemu-system-x86_64", "-M", "pc", "-accel", "tcg", "-m", "256", "-smp", "2", "-nodefaults",
            "-no-user-config", "-display", "none", "-no-reboot", "-kernel", str(args.kernel),
            "-initrd", str(out / "initramfs.cpio"),
            "-append", "console=ttyS0 quiet loglevel=3 panic=-1 rdinit=/init"] + chardevs
    t0 = time.monotonic()
    with open(out / "qemu.log", "wb") as qemu_log:
        proc = subprocess.Popen(qemu, stdin=subprocess.DEVNULL, stdout=qemu_log, stderr=subprocess.STDOUT,
                                pass_fds=[q.fileno() for _, q in pairs])
    for _, qemu_end in pairs:
        qemu_end.close()
    outcomes = []
    try:
        console = Console(pairs[0][0], out / "console.log")
        ends = [Line(pairs[i][0]) for i in (1, 2, 3)] + [kind(pairs[4 + i][0]) for i, kind in enumerate(devices)]
        for device in ends[3:]:
            device.plug()
        if not console.wait("READY", 120):
            sys.exit(f"uart rig: the guest never became ready; see {out}/console.log and qemu.log")
        boot_s = time.monotonic() - t0
        print(f"uart rig: guest ready after {boot_s:.1f} s", flush=True)
        threads = [threading.Thread(target=run_group, args=(port, cases, console, line, outcomes, t0))
                   for (port, cases), line in zip(groups.items(), ends)]
        for thread in threads:
            thread.start()
        for thread in threads:
            thread.join()
        console.send("QUIT")
        console.wait("BYE", 30)
        proc.wait(timeout=30)
    finally:
        if proc.poll() is None:
            proc.kill()
            proc.wait()
    failed = [case.id for case, problems in outcomes if problems]
    print(f"uart rig: {len(outcomes) - len(failed)} of {len(outcomes)} cases passed"
          + (f", failed: {', '.join(failed)}" if failed else "")
          + f"; boot {boot_s:.1f} s, QEMU {time.monotonic() - t0:.1f} s in all")
    return 1 if failed or not outcomes else 0


if __name__ == "__main__":
    sys.exit(main())
