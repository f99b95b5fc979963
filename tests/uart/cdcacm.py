"""The native-USB board of the UART rig (rig.py), a CDC-ACM function as
boards with USB in their microcontroller present it to cdc_acm: an interface
association over a communication interface (class descriptors, an interrupt
IN for notifications, of which none come) and a data interface with bulk IN
and OUT endpoints of 64 bytes; its line coding is set and read back, and its
control line state set. The rest (the protocol, the buffer and its pacing,
unplugging) is usbdevice.py's: the board's firmware passes what it takes
to a UART of its own at the line's pace.
"""

import struct

from usbdevice import Device, strings

SET_LINE_CODING, GET_LINE_CODING, SET_CONTROL_LINE_STATE, SEND_BREAK = 0x20, 0x21, 0x22, 0x23


class Board(Device):
    DEVICE = struct.pack("<BBHBBBBHHHBBBB", 18, 1, 0x0200, 0xEF, 2, 1, 64, 0x2E8A, 0x000A, 0x0100, 1, 2, 3, 1)
    CONFIG = bytes([9, 2, 75, 0, 2, 1, 0, 0x80, 50,
                    8, 11, 0, 2, 2, 2, 0, 0,  # the interface association
                    9, 4, 0, 0, 1, 2, 2, 0, 0,  # communication: abstract control model
                    5, 0x24, 0x00, 0x20, 0x01,  # header, CDC 1.20
                    5, 0x24, 0x01, 0x00, 1,  # call management: data on interface 1
                    4, 0x24, 0x02, 0x02,  # ACM: line coding and serial state
                    5, 0x24, 0x06, 0, 1,  # union: interface 0 controls 1
                    7, 5, 0x81, 3, 8, 0, 16,
                    9, 4, 1, 0, 2, 0x0A, 0, 0, 0,  # data
                    7, 5, 0x02, 2, 64, 0, 0,
                    7, 5, 0x82, 2, 64, 0, 0])
    STRINGS = strings("Raspberry Pi", "Pico", "RIG00003")

    def reset(self):
        self.line_coding = struct.pack("<IBBB", 115200, 0, 0, 8)

    def setup(self, request, request_type, value, index, data):
        if request_type == 0x21 and request == SET_LINE_CODING and len(data) == 7:
            self.line_coding = bytes(data)
            return b""
        if request_type == 0xA1 and request == GET_LINE_CODING:
            return self.line_coding
        if request_type == 0x21 and request in (SET_CONTROL_LINE_STATE, SEND_BREAK):
            return b""
        return None
