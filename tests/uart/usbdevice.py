"""What the USB devices of the UART rig (rig.py) share: a device served to
QEMU's usb-redir device over the usbredir protocol, as a USB serial chip
answers its driver, with the far end of its serial line.

A family's file (ftdiadapter.py, ch340adapter.py, cdcacm.py) holds only its
descriptors and its own requests; this one speaks the protocol, enumerates
the device from its descriptors, and plays the chip's transmit path: a
128-byte buffer that empties onto the line at the line's pace, filled by
bulk OUT packets only while one fits, so that a full buffer NAKs them, the
driver's transfer stays unanswered and the driver keeps the rest queued.

Unplugging is the device leaving the usbredir connection: what the chip
held is lost, as it loses power; plugged back it is a new device. An unplug
whose transfers fail first is a device pulled out behind a hub: it is gone
at once, but for FAIL_TIME, until the hub reports the removal, every
transfer is answered with an I/O error; then it leaves.
"""

import collections
import select
import struct
import threading
import time

CHIP_BUFFER = 128  # what the chip's transmit buffer holds
FAIL_TIME = 0.25  # about a hub's status poll

# The usbredir protocol (usbredirproto.h): message types, and the peer
# capabilities we announce. QEMU puts a device on an xHCI port only for a
# peer with max-packet-size endpoint info, 64-bit ids and 32-bit bulk lengths.
(HELLO, DEVICE_CONNECT, DEVICE_DISCONNECT, INTERFACE_INFO, EP_INFO, SET_CONFIGURATION, GET_CONFIGURATION,
 CONFIGURATION_STATUS, SET_ALT_SETTING, GET_ALT_SETTING, ALT_SETTING_STATUS) = 0, 1, 2, 4, 5, 6, 7, 8, 9, 10, 11
CANCEL_DATA_PACKET, CONTROL_PACKET, BULK_PACKET = 21, 100, 101
CAP_CONNECT_DEVICE_VERSION, CAP_EP_INFO_MAX_PACKET_SIZE, CAP_64BITS_IDS, CAP_32BITS_BULK_LENGTH = 1, 4, 5, 6
STATUS_CANCELLED, STATUS_IOERROR, STATUS_STALL = 1, 3, 4
SPEED_FULL = 1
CONTROL = struct.Struct("<BBBBHHH")  # endpoint, request, request type, status, value, index, length
BULK = struct.Struct("<BBHIH")  # endpoint, status, length, stream id, length's high 16 bits


def strings(*texts):
    """String descriptors' contents: English (US), then the texts from index 1."""
    return [b"\x09\x04"] + [text.encode("utf-16-le") for text in texts]


class Transfer:
    """A bulk transfer not yet answered."""

    def __init__(self, packet_id, endpoint, data, length, packet_size):
        self.id, self.endpoint, self.data, self.length = packet_id, endpoint, data, length
        self.packet_size = packet_size


class FarEnd:
    """The pace at which the far end of a line takes bytes, and what it has
    taken: shared by the rig's UART lines (rig.Line) and the USB devices. A
    subclass has `lock` and `data`, and adds to `data` as the pace allows."""

    def set(self, rate, hold_after=None):
        """rate: bytes a second the line carries, None for none, float("inf") for all;
        hold_after: seconds after which it carries none."""
        with self.lock:
            now = time.monotonic()
            self.rate, self.since, self.tokens = rate, now, 0.0
            self.hold_at = now + hold_after if hold_after is not None else None

    def take(self):
        with self.lock:
            data, self.data = bytes(self.data), bytearray()
        return data

    def _rate(self, now):
        """The pace now: none once the hold has begun. Called with the lock held."""
        return None if self.hold_at is not None and now >= self.hold_at else self.rate


class Device(FarEnd):
    """The host end of one USB line (see the docstring at the top).

    Paced as a FarEnd (set, take; drain); unplug() and plug() as a hand
    would. A family sets DEVICE, CONFIG and STRINGS and answers its class or
    vendor requests in setup(); bulk_in() answers the driver's reads, held
    (as NAKed) by default, and reset() clears the family's state for a new
    device.
    """

    DEVICE = CONFIG = b""
    STRINGS = []

    def __init__(self, conn):
        self.conn, self.lock = conn, threading.Lock()
        self.data, self.latest = bytearray(), 0.0
        self.header = struct.Struct("<III")  # until both sides have said they take 64-bit ids
        self.greeted = self.plugged = self.failing = False
        self.buffer = bytearray()  # the chip's transmit buffer
        self.outs, self.ins = collections.deque(), collections.deque()  # Transfers not yet answered
        self.interfaces, self.endpoints = self._layout()
        self.reset()
        self.set(None)
        self._send(HELLO, 0, b"comsend uart rig".ljust(64, b"\0") + struct.pack(
            "<I", 1 << CAP_CONNECT_DEVICE_VERSION | 1 << CAP_EP_INFO_MAX_PACKET_SIZE | 1 << CAP_64BITS_IDS
            | 1 << CAP_32BITS_BULK_LENGTH))
        threading.Thread(target=self._run, daemon=True).start()

    # What a family gives.

    def setup(self, request, request_type, value, index, data):
        """The answer to a class or vendor request: its data (b"" for none), or None to stall."""
        return None

    def bulk_in(self, now):
        """What to answer the oldest waiting bulk IN transfer with now, or None to keep it waiting."""
        return None

    def reset(self):
        """The family's state as a new device has it."""

    # The hand and the far end of the line.

    def drain(self, quiet=0.3):
        """Empties the chip and takes what the driver still sends, until `quiet` seconds without a byte."""
        self.set(float("inf"))
        while self.buffer or self.outs or time.monotonic() - max(self.latest, self.since) < quiet:
            time.sleep(0.05)
        self.set(None)

    def plug(self):
        with self.lock:
            if not self.plugged and self.greeted:
                self._connect()
            self.plugged = True

    def unplug(self, fail_first=False):
        """The device leaves: the driver's transfers end unanswered, and what the chip held is lost.
        fail_first: its transfers fail for FAIL_TIME before it leaves."""
        with self.lock:
            self.buffer.clear()
            self.failing = failing = fail_first and self.plugged
            if failing:
                self._fail_waiting()
        if failing:
            time.sleep(FAIL_TIME)
        with self.lock:
            if self.plugged and self.greeted:
                self._send(DEVICE_DISCONNECT, 0, b"")
            self.plugged = self.failing = False
            self.outs.clear()
            self.ins.clear()
            self.reset()

    # The protocol.

    def _layout(self):
        """The interfaces (number, class, subclass, protocol) and the endpoints
        (address: type, max packet size, interval, interface) in CONFIG."""
        interfaces, endpoints, at, interface = [], {0x00: (0, 64, 0, 0), 0x80: (0, 64, 0, 0)}, 0, 0
        while at < len(self.CONFIG):
            length, kind = self.CONFIG[at], self.CONFIG[at + 1]
            if kind == 4:
                interface = self.CONFIG[at + 2]
                interfaces.append((interface, *self.CONFIG[at + 5:at + 8]))
            elif kind == 5:
                address, attributes, size, interval = struct.unpack_from("<BBHB", self.CONFIG, at + 2)
                endpoints[address] = (attributes & 3, size, interval, interface)
            at += length
        return interfaces, endpoints

    def _send(self, kind, packet_id, body):
        self.conn.sendall(self.header.pack(kind, len(body), packet_id) + body)

    def _connect(self):
        numbers, classes, subclasses, protocols = (bytes(column).ljust(32, b"\xff") for column in
                                                   zip(*self.interfaces))
        self._send(INTERFACE_INFO, 0, struct.pack("<I", len(self.interfaces)) + numbers + classes + subclasses
                   + protocols)
        types, intervals, interfaces, sizes = [0xFF] * 32, [0] * 32, [0] * 32, [0] * 32  # 0xFF: no such endpoint
        for address, (kind, size, interval, interface) in self.endpoints.items():
            index = (address & 0x0F) | (address & 0x80) >> 3  # OUT 0-15, IN 16-31
            types[index], sizes[index], intervals[index], interfaces[index] = kind, size, interval, interface
        self._send(EP_INFO, 0, bytes(types) + bytes(intervals) + bytes(interfaces) + struct.pack("<32H", *sizes))
        device_class, subclass, protocol = self.DEVICE[4:7]
        vendor, product, version = struct.unpack_from("<HHH", self.DEVICE, 8)
        self._send(DEVICE_CONNECT, 0, struct.pack("<BBBBHHH", SPEED_FULL, device_class, subclass, protocol,
                                                  vendor, product, version))

    def _standard(self, request, request_type, value):
        if request_type == 0x80 and request == 6:  # GET_DESCRIPTOR
            kind, index = value >> 8, value & 0xFF
            if kind == 3 and index < len(self.STRINGS):
                return bytes([2 + len(self.STRINGS[index]), 3]) + self.STRINGS[index]
            return {1: self.DEVICE, 2: self.CONFIG}.get(kind)
        return bytes(2) if request == 0 else b""  # the others: status, features

    def _control(self, packet_id, body):
        endpoint, request, request_type, _, value, index, length = CONTROL.unpack_from(body)
        if self.failing:
            answer = None
        elif request_type & 0x60 == 0:
            answer = self._standard(request, request_type, value)
        else:
            answer = self.setup(request, request_type, value, index, body[CONTROL.size:])
        data = (answer or b"")[:length] if request_type & 0x80 else b""
        if answer is None:
            status, done = STATUS_IOERROR if self.failing else STATUS_STALL, 0
        else:
            status, done = 0, len(data) if request_type & 0x80 else length
        self._send(CONTROL_PACKET, packet_id, CONTROL.pack(endpoint, request, request_type, status, value, index,
                                                           done) + data)

    def _answer(self, transfer, status, data=b""):
        length = len(data) if transfer.endpoint & 0x80 else transfer.length if status == 0 else 0
        self._send(BULK_PACKET, transfer.id, BULK.pack(transfer.endpoint, status, length & 0xFFFF, 0, length >> 16)
                   + data)

    def _fail_waiting(self):
        for queue in (self.ins, self.outs):
            while queue:
                self._answer(queue.popleft(), STATUS_IOERROR)

    def _packet(self, kind, packet_id, body):
        if kind == HELLO:
            if struct.unpack_from("<I", body, 64)[0] & (1 << CAP_64BITS_IDS):
                self.header = struct.Struct("<IIQ")
            self.greeted = True
            if self.plugged:
                self._connect()
        elif not self.plugged:
            return  # for the device that has gone
        elif kind == CONTROL_PACKET:
            self._control(packet_id, body)
        elif kind == BULK_PACKET:
            endpoint, _, length, _, high = BULK.unpack_from(body)
            transfer = Transfer(packet_id, endpoint, body[BULK.size:], length | high << 16,
                                self.endpoints.get(endpoint, (0, 64))[1])
            (self.ins if endpoint & 0x80 else self.outs).append(transfer)
            if self.failing:
                self._fail_waiting()
        elif kind in (SET_CONFIGURATION, GET_CONFIGURATION):
            self._send(CONFIGURATION_STATUS, packet_id, bytes([0, 1]))
        elif kind in (SET_ALT_SETTING, GET_ALT_SETTING):
            self._send(ALT_SETTING_STATUS, packet_id, bytes([0, body[0], body[1] if kind == SET_ALT_SETTING else 0]))
        elif kind == CANCEL_DATA_PACKET:
            for queue in (self.ins, self.outs):
                for transfer in [t for t in queue if t.id == packet_id]:
                    queue.remove(transfer)
                    self._answer(transfer, STATUS_CANCELLED)
        # A reset, and starting or stopping an interrupt endpoint's polling,
        # need no answer: the interrupt endpoints have nothing to say.

    def _tick(self, now, elapsed):
        rate = self._rate(now)
        if rate is not None:  # the chip's UART sends onto the line
            self.tokens = min(16.0, self.tokens + rate * elapsed) if rate != float("inf") else 1e9
            count = min(int(self.tokens), len(self.buffer))
            if count:
                self.data += self.buffer[:count]
                del self.buffer[:count]
                self.tokens -= count
                self.latest = now
        # Whole packets, in order. A device's USB controller takes a packet
        # only into a free buffer of the endpoint's packet size, whatever the
        # packet's length: a short packet waits for as much room as a full one.
        while self.outs and not self.failing:
            out = self.outs[0]
            packet = out.data[:out.packet_size]
            if out.packet_size > CHIP_BUFFER - len(self.buffer):
                break
            self.buffer += packet
            out.data = out.data[len(packet):]
            if not out.data:
                self.outs.popleft()
                self._answer(out, 0)
        if self.ins and (answer := self.bulk_in(now)) is not None:
            self._answer(self.ins.popleft(), 0, answer)

    def _run(self):
        pending, last = b"", time.monotonic()
        while True:
            if select.select([self.conn], [], [], 0.01)[0]:
                chunk = self.conn.recv(65536)
                if not chunk:
                    return
                pending += chunk
            now = time.monotonic()
            with self.lock:
                while len(pending) >= self.header.size:  # the header's size changes after the hellos
                    kind, length, packet_id = self.header.unpack_from(pending)
                    end = self.header.size + length
                    if len(pending) < end:
                        break
                    body, pending = pending[self.header.size:end], pending[end:]
                    self._packet(kind, packet_id, body)
                self._tick(now, now - last)
            last = now
