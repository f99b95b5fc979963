"""The FTDI FT232B adapter of the UART rig (rig.py): a USB serial adapter
served to QEMU's usb-redir device over the usbredir protocol, as the chip
would answer its driver, with the far end of its serial line.

Its 128-byte transmit buffer empties onto the line at the line's pace, and a
bulk OUT transfer is answered only once all its bytes are in that buffer: the
chip NAKs packets while it is full, so the driver keeps the rest and counts
it as queued, while the guest runs on. Unplugging is the device leaving the
usbredir connection (what the chip held is lost, as it loses power); plugging
it back is a new device.
"""

import collections
import select
import struct
import threading
import time

CHIP_BUFFER = 128  # the FT232B's transmit buffer


# The usbredir protocol (usbredirproto.h): message types, and the peer
# capabilities we announce. QEMU puts a device on an xHCI port only for a
# peer with max-packet-size endpoint info, 64-bit ids and 32-bit bulk lengths.
(HELLO, DEVICE_CONNECT, DEVICE_DISCONNECT, INTERFACE_INFO, EP_INFO, SET_CONFIGURATION, GET_CONFIGURATION,
 CONFIGURATION_STATUS, SET_ALT_SETTING, GET_ALT_SETTING, ALT_SETTING_STATUS) = 0, 1, 2, 4, 5, 6, 7, 8, 9, 10, 11
CANCEL_DATA_PACKET, CONTROL_PACKET, BULK_PACKET = 21, 100, 101
CAP_CONNECT_DEVICE_VERSION, CAP_EP_INFO_MAX_PACKET_SIZE, CAP_64BITS_IDS, CAP_32BITS_BULK_LENGTH = 1, 4, 5, 6
STATUS_CANCELLED, STATUS_STALL = 1, 4
CONTROL = struct.Struct("<BBBBHHH")  # endpoint, request, request type, status, value, index, length
BULK = struct.Struct("<BBHIH")  # endpoint, status, length, stream id, length's high 16 bits

# The FT232B as it describes itself: full speed, one vendor-specific
# interface with a bulk IN (0x81) and a bulk OUT (0x02) endpoint.
DEVICE_DESCRIPTOR = struct.pack("<BBHBBBBHHHBBBB", 18, 1, 0x0200, 0, 0, 0, 8, 0x0403, 0x6001, 0x0400, 1, 2, 3, 1)
CONFIG_DESCRIPTOR = bytes([9, 2, 32, 0, 1, 1, 0, 0x80, 45,
                           9, 4, 0, 0, 2, 0xFF, 0xFF, 0xFF, 2,
                           7, 5, 0x81, 2, 64, 0, 0,
                           7, 5, 0x02, 2, 64, 0, 0])
STRINGS = [b"\x09\x04"] + [text.encode("utf-16-le") for text in ("FTDI", "USB <-> Serial", "RIG00001")]


class Adapter:
    """The host end of the USB line: an FTDI FT232B behind QEMU's usb-redir
    device, and the far end of its serial line (see the docstring at the top).

    Same pacing as Line (set, take, drain); unplug() and plug() as a hand would.
    """

    def __init__(self, conn):
        self.conn, self.lock = conn, threading.Lock()
        self.data, self.latest = bytearray(), 0.0
        self.header = struct.Struct("<III")  # until both sides have said they take 64-bit ids
        self.greeted = self.plugged = False
        self.chip = bytearray()  # the transmit buffer
        self.outs = collections.deque()  # bulk OUT transfers not yet answered: [id, bytes left, length]
        self.ins = collections.deque()  # bulk IN transfers waiting for their modem status: [id]
        self.latency, self.next_in = 0.016, 0.0
        self.set(None)
        self._send(HELLO, 0, b"comsend uart rig".ljust(64, b"\0") + struct.pack(
            "<I", 1 << CAP_CONNECT_DEVICE_VERSION | 1 << CAP_EP_INFO_MAX_PACKET_SIZE | 1 << CAP_64BITS_IDS
            | 1 << CAP_32BITS_BULK_LENGTH))
        threading.Thread(target=self._run, daemon=True).start()

    def set(self, rate, _hold_after=None):
        """rate: bytes a second the line carries, None for none, float("inf") for all."""
        with self.lock:
            self.rate, self.tokens = rate, 0.0

    def take(self):
        with self.lock:
            data, self.data = bytes(self.data), bytearray()
        return data

    def drain(self, quiet=0.3):
        """Empties the chip and takes what the driver still sends, until `quiet` seconds without a byte."""
        self.set(float("inf"))
        while self.chip or self.outs or time.monotonic() - self.latest < quiet:
            time.sleep(0.05)
        self.set(None)

    def plug(self):
        with self.lock:
            if not self.plugged and self.greeted:
                self._connect()
            self.plugged = True

    def unplug(self):
        """The adapter leaves: the driver's transfers end unanswered, and what the chip held is lost."""
        with self.lock:
            if self.plugged and self.greeted:
                self._send(DEVICE_DISCONNECT, 0, b"")
            self.plugged, self.latency = False, 0.016
            for held in (self.chip, self.outs, self.ins):
                held.clear()

    def _send(self, kind, packet_id, body):
        self.conn.sendall(self.header.pack(kind, len(body), packet_id) + body)

    def _connect(self):
        types, sizes = [0xFF] * 32, [0] * 32  # 0xFF: no such endpoint
        for index, kind, size in ((0, 0, 8), (16, 0, 8), (2, 2, 64), (17, 2, 64)):  # OUT 0-15, IN 16-31
            types[index], sizes[index] = kind, size
        self._send(INTERFACE_INFO, 0, struct.pack("<I", 1) + bytes(32) + bytes([0xFF] * 96))
        self._send(EP_INFO, 0, bytes(types) + bytes(32) + bytes(32) + struct.pack("<32H", *sizes))
        self._send(DEVICE_CONNECT, 0, struct.pack("<BBBBHHH", 1, 0, 0, 0, 0x0403, 0x6001, 0x0400))

    def _modem_status(self):
        # CTS and DSR up; the line status says whether the chip has sent its last byte.
        return bytes([0x31, 0x00 if self.chip or self.outs else 0x60])

    def _setup(self, request, request_type, value):
        """The answer to a control request: its data (b"" for none), or None to stall."""
        if request_type == 0x80 and request == 6:  # GET_DESCRIPTOR
            kind, index = value >> 8, value & 0xFF
            if kind == 3 and index < len(STRINGS):
                return bytes([2 + len(STRINGS[index]), 3]) + STRINGS[index]
            return {1: DEVICE_DESCRIPTOR, 2: CONFIG_DESCRIPTOR}.get(kind)
        if request_type & 0x60 == 0:  # the other standard requests: status, features
            return bytes(2) if request == 0 else b""
        if request_type == 0x40:  # ftdi_sio's settings: reset, modem control, flow, baud rate, data, ...
            if request == 9:  # the latency timer
                self.latency = max(1, value & 0xFF) / 1000
            return b""
        if request_type == 0xC0:  # modem status, latency timer, an EEPROM word (blank)
            latency = bytes([round(self.latency * 1000)])
            return {0x05: self._modem_status(), 0x0A: latency, 0x90: b"\xff\xff"}.get(request)
        return None

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
            endpoint, request, request_type, _, value, index, length = CONTROL.unpack_from(body)
            answer = self._setup(request, request_type, value)
            data = (answer or b"")[:length]
            status, done = (STATUS_STALL, 0) if answer is None else (0, len(data) if request_type & 0x80 else length)
            self._send(CONTROL_PACKET, packet_id,
                       CONTROL.pack(endpoint, request, request_type, status, value, index, done) + data)
        elif kind == BULK_PACKET:
            endpoint, _, length, _, high = BULK.unpack_from(body)
            if endpoint & 0x80:
                self.ins.append([packet_id])
            else:
                self.outs.append([packet_id, body[BULK.size:], length | high << 16])
        elif kind in (SET_CONFIGURATION, GET_CONFIGURATION):
            self._send(CONFIGURATION_STATUS, packet_id, bytes([0, 1]))
        elif kind in (SET_ALT_SETTING, GET_ALT_SETTING):
            self._send(ALT_SETTING_STATUS, packet_id, bytes([0, body[0], 0]))
        elif kind == CANCEL_DATA_PACKET:
            for queue, endpoint in ((self.ins, 0x81), (self.outs, 0x02)):
                for transfer in [t for t in queue if t[0] == packet_id]:
                    queue.remove(transfer)
                    self._send(BULK_PACKET, packet_id, BULK.pack(endpoint, STATUS_CANCELLED, 0, 0, 0))
        # A reset needs no answer.

    def _tick(self, now, elapsed):
        if self.rate is not None:  # the chip's UART sends onto the line
            self.tokens = min(16.0, self.tokens + self.rate * elapsed) if self.rate != float("inf") else 1e9
            count = min(int(self.tokens), len(self.chip))
            if count:
                self.data += self.chip[:count]
                del self.chip[:count]
                self.tokens -= count
                self.latest = now
        while self.outs and len(self.chip) < CHIP_BUFFER:  # packets fill the buffer as it has room
            out = self.outs[0]
            room = CHIP_BUFFER - len(self.chip)
            self.chip += out[1][:room]
            out[1] = out[1][room:]
            if out[1]:
                break
            self.outs.popleft()
            self._send(BULK_PACKET, out[0], BULK.pack(0x02, 0, out[2] & 0xFFFF, 0, out[2] >> 16))
        if self.ins and now >= self.next_in:  # with nothing to read, the modem status once a latency period
            self._send(BULK_PACKET, self.ins.popleft()[0], BULK.pack(0x81, 0, 2, 0, 0) + self._modem_status())
            self.next_in = now + self.latency

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
