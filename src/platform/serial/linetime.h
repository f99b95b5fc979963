// How long the line takes for a character: a start bit, the data bits, the
// parity bit if there is one and the stop bits, at the line's speed. Both
// serial layers read the format from their port and ask this one function.
#pragma once

#include "platform/kernel.h"

#include <chrono>

namespace comsend {

struct LineFormat {
    DWORD bitsPerSecond = 0; // 0: a speed that has no rate
    BYTE dataBits = 8;
    bool parity = false;
    BYTE stopBits = ONESTOPBIT; // ONESTOPBIT, ONE5STOPBITS or TWOSTOPBITS
};

// Zero where the speed has no rate.
std::chrono::nanoseconds CharacterTime(const LineFormat &format);

} // namespace comsend
