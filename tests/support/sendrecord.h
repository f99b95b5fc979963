// The line-settings record Send builds: 4800 baud, 8 data bits, no parity,
// one stop bit, everything else zero; the checks of the port calls start
// from it.
#pragma once

#include "platform/serial.h"

#include <cstring>

inline DCB SendRecord()
{
    DCB dcb;
    std::memset(&dcb, 0, sizeof dcb);
    dcb.DCBlength = sizeof dcb;
    dcb.BaudRate = 4800;
    dcb.ByteSize = 8;
    return dcb;
}
