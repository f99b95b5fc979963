#include "linetime.h"

namespace comsend::serial {

std::chrono::nanoseconds CharacterTime(const LineFormat &format)
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
