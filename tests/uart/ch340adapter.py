"""The CH340 adapter of the UART rig (rig.py), as the chip answers ch341:
one vendor-specific interface with bulk IN and OUT endpoints of 32 bytes and
an interrupt IN for modem status changes (none come), and vendor requests
that read the chip's version and read and write its registers (divisor and
prescaler, line control, break, modem status) or set its modem lines. The
rest (the protocol, the buffer and its pacing, unplugging) is usbdevice.py's.
"""

import struct

from usbdevice import Device, strings

VERSION = 0x31  # a chip that takes the line control register
READ_VERSION, WRITE_REG, READ_REG, SERIAL_INIT, MODEM_CTRL = 0x5F, 0x9A, 0x95, 0xA1, 0xA4


class Adapter(Device):
    DEVICE = struct.pack("<BBHBBBBHHHBBBB", 18, 1, 0x0110, 0xFF, 0, 0, 8, 0x1A86, 0x7523, 0x0264, 0, 1, 0, 1)
    CONFIG = bytes([9, 2, 39, 0, 1, 1, 0, 0x80, 49,
                    9, 4, 0, 0, 3, 0xFF, 1, 2, 0,
                    7, 5, 0x82, 2, 32, 0, 0,
                    7, 5, 0x02, 2, 32, 0, 0,
                    7, 5, 0x81, 3, 8, 0, 1])
    STRINGS = strings("USB Serial")

    def reset(self):
        # Register 0x06 holds the modem inputs inverted: CTS and DSR up.
        self.registers = {0x05: 0x01, 0x06: 0xFC, 0x07: 0xEE, 0x18: 0xC3}

    def setup(self, request, request_type, value, index, data):
        if request_type == 0xC0 and request == READ_VERSION:
            return bytes([VERSION, 0])
        if request_type == 0xC0 and request == READ_REG:  # two registers, named by value's bytes
            return bytes(self.registers.get(value >> shift & 0xFF, 0) for shift in (0, 8))
        if request_type == 0x40 and request == WRITE_REG:  # value names two registers, index their contents
            for shift in (0, 8):
                self.registers[value >> shift & 0xFF] = index >> shift & 0xFF
            return b""
        if request_type == 0x40 and request in (SERIAL_INIT, MODEM_CTRL):
            return b""
        return None
