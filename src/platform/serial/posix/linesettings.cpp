#include "linesettings.h"

#include <array>
#include <optional>
#include <utility>

namespace comsend {

namespace {

using serial::LineSettings;
using serial::Parity;
using serial::StopBits;

constexpr std::array<std::pair<unsigned long, speed_t>, 30> kSpeeds{{
    {50, B50},           {75, B75},           {110, B110},         {134, B134},         {150, B150},
    {200, B200},         {300, B300},         {600, B600},         {1200, B1200},       {1800, B1800},
    {2400, B2400},       {4800, B4800},       {9600, B9600},       {19200, B19200},     {38400, B38400},
    {57600, B57600},     {115200, B115200},   {230400, B230400},   {460800, B460800},   {500000, B500000},
    {576000, B576000},   {921600, B921600},   {1000000, B1000000}, {1152000, B1152000}, {1500000, B1500000},
    {2000000, B2000000}, {2500000, B2500000}, {3000000, B3000000}, {3500000, B3500000}, {4000000, B4000000},
}};

constexpr std::array<tcflag_t, 4> kCharacterSizes{CS5, CS6, CS7, CS8};

constexpr tcflag_t kInputProcessing = IGNBRK | BRKINT | IGNPAR | PARMRK | INPCK | ISTRIP | INLCR | IGNCR
                                      | ICRNL | IUCLC | IXON | IXANY | IXOFF | IMAXBEL;
constexpr tcflag_t kLocalProcessing =
    ISIG | ICANON | XCASE | ECHO | ECHOE | ECHOK | ECHONL | ECHOCTL | ECHOPRT | ECHOKE | IEXTEN;
constexpr tcflag_t kLineFlags = CSIZE | PARENB | PARODD | CMSPAR | CSTOPB | CRTSCTS | CLOCAL | CREAD;

std::optional<speed_t> SpeedFor(std::uint32_t bitsPerSecond)
{
    for (const auto &[bits, speed] : kSpeeds) {
        if (bits == bitsPerSecond)
            return speed;
    }
    return std::nullopt;
}

// The line flags for the settings, if termios has them. CSTOPB is two stop
// bits, or one and a half with five data bits.
std::optional<tcflag_t> LineFlags(const LineSettings &s)
{
    const bool stopBitsFit =
        s.stopBits == StopBits::One || (s.stopBits == StopBits::OneAndHalf) == (s.dataBits == 5);
    if (s.dataBits < 5 || s.dataBits > 8 || !stopBitsFit)
        return std::nullopt;
    const bool odd = s.parity == Parity::Odd || s.parity == Parity::Mark;
    const bool stick = s.parity == Parity::Mark || s.parity == Parity::Space;
    return kCharacterSizes.at(s.dataBits - 5U) | (s.parity != Parity::None ? PARENB : 0U)
           | (odd ? PARODD : 0U) | (stick ? CMSPAR : 0U) | (s.stopBits != StopBits::One ? CSTOPB : 0U)
           | CLOCAL | CREAD;
}

} // namespace

bool ApplyLineSettings(const LineSettings &settings, termios &tio)
{
    const auto speed = SpeedFor(settings.bitsPerSecond);
    const auto flags = LineFlags(settings);
    if (!speed || !flags)
        return false;
    tio.c_iflag &= ~kInputProcessing;
    tio.c_oflag = 0;
    tio.c_lflag &= ~kLocalProcessing;
    tio.c_cflag = (tio.c_cflag & ~kLineFlags) | *flags;
    tio.c_cc[VMIN] = 1;
    tio.c_cc[VTIME] = 0;
    cfsetispeed(&tio, *speed);
    cfsetospeed(&tio, *speed);
    return true;
}

bool LineSettingsTook(const LineSettings &settings, const termios &tio)
{
    const auto speed = SpeedFor(settings.bitsPerSecond);
    const auto flags = LineFlags(settings);
    return speed && flags && cfgetispeed(&tio) == *speed && cfgetospeed(&tio) == *speed
           && (tio.c_cflag & kLineFlags) == *flags && (tio.c_iflag & kInputProcessing) == 0
           && (tio.c_oflag & OPOST) == 0 && (tio.c_lflag & kLocalProcessing) == 0;
}

unsigned long BitsPerSecond(speed_t speed)
{
    for (const auto &[bits, constant] : kSpeeds) {
        if (constant == speed)
            return bits;
    }
    return 0;
}

} // namespace comsend
