"""The FTDI FT232B adapter of the UART rig (rig.py), as the chip answers
ftdi_sio: one vendor-specific interface with a bulk IN and a bulk OUT
endpoint, vendor requests for its settings, and a bulk IN that carries two
bytes of modem and line status once a latency period when there is nothing
to read. The rest (the protocol, the buffer and its pacing, unplugging) is
usbdevice.py's.
"""

import struct

from usbdevice import Device, strings


class Adapter(Device):
    DEVICE = struct.pack("<BBHBBBBHHHBBBB", 18, 1, 0x0200, 0, 0, 0, 8, 0x0403, 0x6001, 0x0400, 1, 2, 3, 1)
    CONFIG = bytes([9, 2, 32, 0, 1, 1, 0, 0x80, 45,
                    9, 4, 0, 0, 2, 0xFF, 0xFF, 0xFF, 2,
                    7, 5, 0x81, 2, 64, 0, 0,
                    7, 5, 0x02, 2, 64, 0, 0])
    STRINGS = strings("FTDI", "USB <-> Serial", "RIG00001")

    def reset(self):
        self.latency, self.next_in = 0.016, 0.0

    def _modem_status(self):
        # CTS and DSR up; the line status says whether the chip has sent its last byte.
        return bytes([0x31, 0x00 if self.buffer or self.outs else 0x60])

    def setup(self, request, request_type, value, index, data):
        if request_type == 0x40:  # ftdi_sio's settings: reset, modem control, flow, baud rate, data, ...
            if request == 9:  # the latency timer
                self.latency = max(1, value & 0xFF) / 1000
            return b""
        if request_type == 0xC0:  # modem status, latency timer, an EEPROM word (blank)
            latency = bytes([round(self.latency * 1000)])
            return {0x05: self._modem_status(), 0x0A: latency, 0x90: b"\xff\xff"}.get(request)
        return None

    def bulk_in(self, now):
        # With nothing to read, the modem status once a latency period.
        if now < self.next_in:
            return None
        self.next_in = now + self.latency
        return self._modem_status()
