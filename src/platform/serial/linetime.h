// How long the line takes for a character: a start bit, the data bits, the
// parity bit if there is one and the stop bits, at the line's speed. Both
// serial layers read the format from their port and ask this one function.
#pragma once

#include <chrono>
#include <cstdint>

namespace comsend::serial {

enum class StopBits { One, OneAndHalf, Two };

struct LineFormat {
    std::uint32_t bitsPerSecond = 0; // 0: a speed that has no rate
    std::uint8_t dataBits = 8;
    bool parity = false;
    StopBits stopBits = StopBits::One;
};

// Zero where the speed has no rate.
inline std::chrono::nanoseconds CharacterTime(const LineFormat &format)
{
    if (format.bitsPerSecond == 0)
        return std::chrono::nanoseconds::zero();
    // Counted in half bits, for 1.5 stop bits.
    const unsigned stopHalfBits = format.stopBits == StopBits::Two          ? 4
                                  : format.stopBits == StopBits::OneAndHalf ? 3
                                                                            : 2;
    const unsigned halfBits = 2 * (1 + format.dataBits + (format.parity ? 1 : 0)) + stopHalfBits;
    const auto nanoseconds = 1'000'000'000ULL * halfBits / (2ULL * format.bitsPerSecond);
    return std::chrono::nanoseconds(nanoseconds);
}

} // namespace comsend::serial
