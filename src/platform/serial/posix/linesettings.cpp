#include "linesettings.h"

#include <algorithm>
#include <array>
#include <utility>

namespace comsend {

namespace {

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

std::optional<speed_t> SpeedFor(DWORD baudRate)
{
    for (const auto &[bits, speed] : kSpeeds) {
        if (bits == baudRate)
            return speed;
    }
    return std::nullopt;
}

bool StopBitsAllowed(BYTE stopBits, BYTE byteSize)
{
    switch (stopBits) {
    case ONESTOPBIT:
        return true;
    case ONE5STOPBITS:
        return byteSize == 5;
    case TWOSTOPBITS:
        return byteSize != 5;
    default:
        return false;
    }
}

// Features of the record that termios has no way to provide.
bool AsksForMissingFeature(const DCB &dcb)
{
    const bool ctsHandshake = dcb.fOutxCtsFlow != 0;
    const bool rtsHandshake = dcb.fRtsControl == RTS_CONTROL_HANDSHAKE;
    return dcb.fOutxDsrFlow != 0 || dcb.fDsrSensitivity != 0 || dcb.fDtrControl == DTR_CONTROL_HANDSHAKE
           || dcb.fDtrControl > DTR_CONTROL_HANDSHAKE || dcb.fRtsControl == RTS_CONTROL_TOGGLE
           || ctsHandshake != rtsHandshake || dcb.fErrorChar != 0 || dcb.fNull != 0 || dcb.fAbortOnError != 0
           || ((dcb.fOutX != 0 || dcb.fInX != 0) && dcb.XonChar == dcb.XoffChar);
}

ModemLine LineFor(DWORD control, DWORD enable, DWORD handshake)
{
    if (control == handshake)
        return ModemLine::DriverControlled;
    return control == enable ? ModemLine::On : ModemLine::Off;
}

} // namespace

std::optional<LineSettings> TranslateDcb(const DCB &dcb)
{
    const auto speed = SpeedFor(dcb.BaudRate);
    const bool valid = dcb.DCBlength == sizeof(DCB) && speed && dcb.ByteSize >= 5 && dcb.ByteSize <= 8
                       && dcb.Parity <= SPACEPARITY && StopBitsAllowed(dcb.StopBits, dcb.ByteSize)
                       && !AsksForMissingFeature(dcb);
    if (!valid)
        return std::nullopt;
    return LineSettings{
        .speed = *speed,
        .characterSize = kCharacterSizes.at(dcb.ByteSize - 5U),
        .parity = dcb.Parity != NOPARITY,
        .oddParity = dcb.Parity == ODDPARITY || dcb.Parity == MARKPARITY,
        .stickParity = dcb.Parity == MARKPARITY || dcb.Parity == SPACEPARITY,
        .checkParity = dcb.fParity != 0 && dcb.Parity != NOPARITY,
        .extraStopBit = dcb.StopBits != ONESTOPBIT,
        .rtsCtsFlow = dcb.fOutxCtsFlow != 0,
        .xonXoffOutput = dcb.fOutX != 0,
        .xonXoffInput = dcb.fInX != 0,
        .xonChar = static_cast<cc_t>(dcb.XonChar),
        .xoffChar = static_cast<cc_t>(dcb.XoffChar),
        .dtr = LineFor(dcb.fDtrControl, DTR_CONTROL_ENABLE, DTR_CONTROL_HANDSHAKE),
        .rts = LineFor(dcb.fRtsControl, RTS_CONTROL_ENABLE, RTS_CONTROL_HANDSHAKE),
    };
}

namespace {

tcflag_t InputFlags(const LineSettings &s)
{
    return (s.checkParity ? INPCK : 0U) | (s.xonXoffOutput ? IXON : 0U) | (s.xonXoffInput ? IXOFF : 0U);
}

tcflag_t LineFlags(const LineSettings &s)
{
    return s.characterSize | (s.parity ? PARENB : 0U) | (s.oddParity ? PARODD : 0U)
           | (s.stickParity ? CMSPAR : 0U) | (s.extraStopBit ? CSTOPB : 0U) | (s.rtsCtsFlow ? CRTSCTS : 0U)
           | CLOCAL | CREAD;
}

} // namespace

void ApplyLineSettings(const LineSettings &settings, termios &tio)
{
    tio.c_iflag = (tio.c_iflag & ~kInputProcessing) | InputFlags(settings);
    tio.c_oflag = 0;
    tio.c_lflag &= ~kLocalProcessing;
    tio.c_cflag = (tio.c_cflag & ~kLineFlags) | LineFlags(settings);
    tio.c_cc[VMIN] = 1;
    tio.c_cc[VTIME] = 0;
    tio.c_cc[VSTART] = settings.xonChar;
    tio.c_cc[VSTOP] = settings.xoffChar;
    cfsetispeed(&tio, settings.speed);
    cfsetospeed(&tio, settings.speed);
}

bool LineSettingsTook(const LineSettings &settings, const termios &tio)
{
    const bool flowCharsTook =
        (!settings.xonXoffOutput && !settings.xonXoffInput)
        || (tio.c_cc[VSTART] == settings.xonChar && tio.c_cc[VSTOP] == settings.xoffChar);
    return cfgetispeed(&tio) == settings.speed && cfgetospeed(&tio) == settings.speed
           && (tio.c_cflag & kLineFlags) == LineFlags(settings)
           && (tio.c_iflag & kInputProcessing) == InputFlags(settings) && (tio.c_oflag & OPOST) == 0
           && (tio.c_lflag & kLocalProcessing) == 0 && flowCharsTook;
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
