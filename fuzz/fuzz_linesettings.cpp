// A line-settings record must be refused whenever termios cannot honour it,
// accepted otherwise, and once accepted must leave any termios it is applied
// to carrying exactly the line it describes; the read-back check must notice
// any setting a device failed to take and nothing else.
//
// Input: the 28-byte record, a termios to apply it to, a termios speed, then
// values for the members and flags that are meant to make no difference.
#include "fuzzcheck.h"
#include "linesettings.h"
#include "platform/kernel.h"
#include "support/sendrecord.h"

#include <array>
#include <optional>

using namespace comsend;

namespace {

struct Input {
    DCB record;
    termios before;
    speed_t speed;
    WORD xonLimit;
    WORD xoffLimit;
    char eofChar;
    char evtChar;
    std::uint8_t continueOnXoff;
    tcflag_t outputFlags;
    cc_t controlChar;
};

bool Has(tcflag_t flags, tcflag_t flag)
{
    return (flags & flag) != 0;
}

// What the record asks for that termios cannot do, or that names nothing.
bool MustRefuse(const DCB &d)
{
    const bool badFrame = d.DCBlength != sizeof(DCB) || d.ByteSize < 5 || d.ByteSize > 8
                          || d.Parity > SPACEPARITY || d.StopBits > TWOSTOPBITS
                          || (d.StopBits == ONE5STOPBITS && d.ByteSize != 5)
                          || (d.StopBits == TWOSTOPBITS && d.ByteSize == 5);
    const bool ctsOneWay = (d.fOutxCtsFlow != 0) != (d.fRtsControl == RTS_CONTROL_HANDSHAKE);
    const bool missingFeature = d.fOutxDsrFlow != 0 || d.fDsrSensitivity != 0
                                || d.fDtrControl >= DTR_CONTROL_HANDSHAKE
                                || d.fRtsControl == RTS_CONTROL_TOGGLE || ctsOneWay || d.fErrorChar != 0
                                || d.fNull != 0 || d.fAbortOnError != 0;
    const bool sameFlowChars = (d.fOutX != 0 || d.fInX != 0) && d.XonChar == d.XoffChar;
    return badFrame || missingFeature || sameFlowChars;
}

bool SameSettings(const LineSettings &a, const LineSettings &b)
{
    return a.speed == b.speed && a.characterSize == b.characterSize && a.parity == b.parity
           && a.oddParity == b.oddParity && a.stickParity == b.stickParity && a.checkParity == b.checkParity
           && a.extraStopBit == b.extraStopBit && a.rtsCtsFlow == b.rtsCtsFlow
           && a.xonXoffOutput == b.xonXoffOutput && a.xonXoffInput == b.xonXoffInput && a.xonChar == b.xonChar
           && a.xoffChar == b.xoffChar && a.dtr == b.dtr && a.rts == b.rts;
}

bool SameTermios(const termios &a, const termios &b)
{
    return a.c_iflag == b.c_iflag && a.c_oflag == b.c_oflag && a.c_cflag == b.c_cflag
           && a.c_lflag == b.c_lflag && a.c_line == b.c_line
           && std::memcmp(a.c_cc, b.c_cc, sizeof a.c_cc) == 0 && a.c_ispeed == b.c_ispeed
           && a.c_ospeed == b.c_ospeed;
}

ModemLine ExpectedLine(DWORD control)
{
    return control == 2 ? ModemLine::DriverControlled : control == 1 ? ModemLine::On : ModemLine::Off;
}

void CheckLineFlags(const DCB &d, const termios &tio)
{
    constexpr std::array<tcflag_t, 4> sizes{CS5, CS6, CS7, CS8};
    const bool mark = d.Parity == MARKPARITY;
    const bool space = d.Parity == SPACEPARITY;
    FUZZ_REQUIRE((tio.c_cflag & CSIZE) == sizes[d.ByteSize - 5]);
    FUZZ_REQUIRE(Has(tio.c_cflag, PARENB) == (d.Parity != NOPARITY));
    FUZZ_REQUIRE(Has(tio.c_cflag, PARODD) == (d.Parity == ODDPARITY || mark));
    FUZZ_REQUIRE(Has(tio.c_cflag, CMSPAR) == (mark || space));
    FUZZ_REQUIRE(Has(tio.c_cflag, CSTOPB) == (d.StopBits != ONESTOPBIT));
    FUZZ_REQUIRE(Has(tio.c_cflag, CRTSCTS) == (d.fOutxCtsFlow != 0));
    FUZZ_REQUIRE(Has(tio.c_cflag, CLOCAL) && Has(tio.c_cflag, CREAD));
    FUZZ_REQUIRE(Has(tio.c_iflag, INPCK) == (d.fParity != 0 && d.Parity != NOPARITY));
    FUZZ_REQUIRE(Has(tio.c_iflag, IXON) == (d.fOutX != 0));
    FUZZ_REQUIRE(Has(tio.c_iflag, IXOFF) == (d.fInX != 0));
    FUZZ_REQUIRE((tio.c_iflag & (ISTRIP | INLCR | IGNCR | ICRNL)) == 0);
    FUZZ_REQUIRE((tio.c_oflag & OPOST) == 0);
    FUZZ_REQUIRE((tio.c_lflag & (ICANON | ECHO | ECHONL | ISIG | IEXTEN)) == 0);
    if (d.fOutX != 0 || d.fInX != 0) {
        FUZZ_REQUIRE(tio.c_cc[VSTART] == static_cast<cc_t>(d.XonChar));
        FUZZ_REQUIRE(tio.c_cc[VSTOP] == static_cast<cc_t>(d.XoffChar));
    }
}

// Whatever the settings do not name stays as it was. The speed calls may
// touch bits of their own, so the comparison is with a copy that had only
// the speed set.
void CheckRestKept(const LineSettings &s, const termios &before, const termios &tio)
{
    termios reference = before;
    cfsetispeed(&reference, s.speed);
    cfsetospeed(&reference, s.speed);
    constexpr tcflag_t lineBits = CSIZE | PARENB | PARODD | CMSPAR | CSTOPB | CRTSCTS | CLOCAL | CREAD;
    FUZZ_REQUIRE((tio.c_cflag & ~lineBits) == (reference.c_cflag & ~lineBits));
    FUZZ_REQUIRE((tio.c_iflag & ~reference.c_iflag & ~(INPCK | IXON | IXOFF)) == 0);
    FUZZ_REQUIRE((tio.c_lflag & ~reference.c_lflag) == 0);
    // Job control is no line processing.
    FUZZ_REQUIRE((tio.c_lflag & (NOFLSH | TOSTOP)) == (reference.c_lflag & (NOFLSH | TOSTOP)));
    FUZZ_REQUIRE(tio.c_line == reference.c_line);
    FUZZ_REQUIRE(tio.c_ispeed == reference.c_ispeed && tio.c_ospeed == reference.c_ospeed);
    for (std::size_t i = 0; i < NCCS; ++i) {
        if (i != VMIN && i != VTIME && i != VSTART && i != VSTOP)
            FUZZ_REQUIRE(tio.c_cc[i] == reference.c_cc[i]);
    }
}

using Change = void (*)(termios &);

// Each is a setting a device could fail to take; the read-back check must
// see every one.
constexpr std::array<Change, 20> kMissedSettings{{
    [](termios &t) { t.c_oflag |= OPOST; },  [](termios &t) { t.c_cflag ^= PARENB; },
    [](termios &t) { t.c_cflag ^= PARODD; }, [](termios &t) { t.c_cflag ^= CMSPAR; },
    [](termios &t) { t.c_cflag ^= CSTOPB; }, [](termios &t) { t.c_cflag ^= CRTSCTS; },
    [](termios &t) { t.c_cflag ^= CLOCAL; }, [](termios &t) { t.c_cflag ^= CREAD; },
    [](termios &t) { t.c_cflag ^= CS6; },    [](termios &t) { t.c_cflag ^= CS7; },
    [](termios &t) { t.c_iflag ^= INPCK; },  [](termios &t) { t.c_iflag ^= IXON; },
    [](termios &t) { t.c_iflag ^= IXOFF; },  [](termios &t) { t.c_iflag |= ICRNL; },
    [](termios &t) { t.c_iflag |= ISTRIP; }, [](termios &t) { t.c_iflag |= INLCR; },
    [](termios &t) { t.c_iflag |= IGNCR; },  [](termios &t) { t.c_lflag |= ICANON; },
    [](termios &t) { t.c_lflag |= ECHO; },   [](termios &t) { t.c_lflag |= ISIG; },
}};

void CheckReadBackIsStrict(const LineSettings &s, const termios &tio)
{
    for (const Change change : kMissedSettings) {
        termios missed = tio;
        change(missed);
        FUZZ_REQUIRE(!LineSettingsTook(s, missed));
    }
    const speed_t other = s.speed == B9600 ? B4800 : B9600;
    termios slower = tio;
    cfsetospeed(&slower, other);
    FUZZ_REQUIRE(!LineSettingsTook(s, slower));
    slower = tio;
    cfsetispeed(&slower, other);
    FUZZ_REQUIRE(!LineSettingsTook(s, slower));
    if (s.xonXoffOutput || s.xonXoffInput) {
        termios chars = tio;
        chars.c_cc[VSTART] ^= 1U;
        FUZZ_REQUIRE(!LineSettingsTook(s, chars));
        chars = tio;
        chars.c_cc[VSTOP] ^= 1U;
        FUZZ_REQUIRE(!LineSettingsTook(s, chars));
    }
}

// Drivers keep output flags that do nothing without OPOST, hang-up and
// control characters of their own; none of that means a setting was missed.
void CheckReadBackIsNotPicky(const LineSettings &s, const termios &tio, const Input &in)
{
    termios kept = tio;
    kept.c_oflag = in.outputFlags & ~static_cast<tcflag_t>(OPOST);
    kept.c_cflag ^= HUPCL;
    const bool softwareFlow = s.xonXoffOutput || s.xonXoffInput;
    for (std::size_t i = 0; i < NCCS; ++i) {
        if (!softwareFlow || (i != VSTART && i != VSTOP))
            kept.c_cc[i] = static_cast<cc_t>(in.controlChar + i);
    }
    FUZZ_REQUIRE(LineSettingsTook(s, kept));
}

void CheckApplied(const DCB &d, const LineSettings &s, const Input &in)
{
    termios tio = in.before;
    ApplyLineSettings(s, tio);
    FUZZ_REQUIRE(LineSettingsTook(s, tio));
    FUZZ_REQUIRE(cfgetospeed(&tio) == s.speed && cfgetispeed(&tio) == s.speed);
    FUZZ_REQUIRE(BitsPerSecond(cfgetospeed(&tio)) == d.BaudRate);
    CheckLineFlags(d, tio);
    CheckRestKept(s, in.before, tio);
    termios again = tio;
    ApplyLineSettings(s, again);
    FUZZ_REQUIRE(SameTermios(again, tio));
    CheckReadBackIsStrict(s, tio);
    CheckReadBackIsNotPicky(s, tio, in);
}

// Members that only tune what termios does by itself, or serve event waiting.
void CheckIgnoredMembers(const DCB &d, const std::optional<LineSettings> &settings, const Input &in)
{
    DCB tuned = d;
    tuned.XonLim = in.xonLimit;
    tuned.XoffLim = in.xoffLimit;
    tuned.EofChar = in.eofChar;
    tuned.EvtChar = in.evtChar;
    tuned.fTXContinueOnXoff = in.continueOnXoff & 1U;
    const std::optional<LineSettings> tunedSettings = TranslateDcb(tuned);
    FUZZ_REQUIRE(tunedSettings.has_value() == settings.has_value());
    FUZZ_REQUIRE(!settings || SameSettings(*settings, *tunedSettings));
}

void CheckRecord(const DCB &d, const Input &in)
{
    const std::optional<LineSettings> settings = TranslateDcb(d);
    if (MustRefuse(d))
        FUZZ_REQUIRE(!settings.has_value());
    CheckIgnoredMembers(d, settings, in);
    if (!settings)
        return;
    FUZZ_REQUIRE(BitsPerSecond(settings->speed) == d.BaudRate);
    FUZZ_REQUIRE(settings->dtr == ExpectedLine(d.fDtrControl));
    FUZZ_REQUIRE(settings->rts == ExpectedLine(d.fRtsControl));
    CheckApplied(d, *settings, in);
}

// Every speed with a bit rate is reachable from a record asking for that rate.
void CheckSpeed(speed_t speed)
{
    const unsigned long bits = BitsPerSecond(speed);
    if (bits == 0)
        return;
    termios tio{};
    FUZZ_REQUIRE(cfsetospeed(&tio, speed) == 0);
    DCB d = SendRecord();
    d.BaudRate = static_cast<DWORD>(bits);
    FUZZ_REQUIRE(d.BaudRate == bits);
    const std::optional<LineSettings> settings = TranslateDcb(d);
    FUZZ_REQUIRE(settings.has_value() && settings->speed == speed);
}

} // namespace

// Send's own record must always be usable: 4800 8N1, no flow control, DTR
// and RTS off.
extern "C" int LLVMFuzzerInitialize(int * /*argc*/, char *** /*argv*/)
{
    const std::optional<LineSettings> s = TranslateDcb(SendRecord());
    FUZZ_REQUIRE(s.has_value() && BitsPerSecond(s->speed) == 4800 && s->characterSize == CS8);
    FUZZ_REQUIRE(!s->parity && !s->extraStopBit && !s->rtsCtsFlow && !s->xonXoffOutput && !s->xonXoffInput);
    FUZZ_REQUIRE(s->dtr == ModemLine::Off && s->rts == ModemLine::Off);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    fuzzcheck::ByteReader reader(data, size);
    Input in{};
    in.record = reader.Take<DCB>();
    in.before = reader.Take<termios>();
    in.speed = reader.Take<speed_t>();
    in.xonLimit = reader.Take<WORD>();
    in.xoffLimit = reader.Take<WORD>();
    in.eofChar = reader.Take<char>();
    in.evtChar = reader.Take<char>();
    in.continueOnXoff = reader.Take<std::uint8_t>();
    in.outputFlags = reader.Take<tcflag_t>();
    in.controlChar = reader.Take<cc_t>();

    // Random lengths are almost never right; the corrected twin lets the rest
    // of each record be explored, and at 4800 baud every record the refusal
    // rules allow must be accepted.
    CheckRecord(in.record, in);
    DCB sized = in.record;
    sized.DCBlength = sizeof(DCB);
    CheckRecord(sized, in);
    DCB at4800 = sized;
    at4800.BaudRate = 4800;
    FUZZ_REQUIRE(TranslateDcb(at4800).has_value() == !MustRefuse(at4800));
    CheckRecord(at4800, in);
    CheckSpeed(in.speed);
    return 0;
}
