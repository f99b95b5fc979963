// A line's settings must be refused whenever termios cannot honour them,
// accepted otherwise, and once accepted must leave any termios they are
// applied to carrying exactly that line; the read-back check must notice
// any setting a device failed to take and nothing else.
//
// Input: the settings (speed, data bits, parity, stop bits), a termios to
// apply them to, a termios speed, then values for what drivers keep that
// makes no difference.
#include "fuzzcheck.h"
#include "linesettings.h"

#include <array>
#include <cstring>

using namespace comsend;
using serial::LineSettings;
using serial::Parity;
using serial::StopBits;

namespace {

struct Input {
    LineSettings settings;
    termios before;
    speed_t speed;
    tcflag_t outputFlags;
    cc_t controlChar;
};

bool Has(tcflag_t flags, tcflag_t flag)
{
    return (flags & flag) != 0;
}

// A frame termios cannot carry; a speed without a constant is refused too
// (CheckSpeed finds every speed that has one accepted).
bool BadFrame(const LineSettings &s)
{
    return s.dataBits < 5 || s.dataBits > 8 || (s.stopBits == StopBits::OneAndHalf && s.dataBits != 5)
           || (s.stopBits == StopBits::Two && s.dataBits == 5);
}

speed_t SpeedOf(const termios &tio)
{
    return cfgetospeed(&tio);
}

bool SameTermios(const termios &a, const termios &b)
{
    return a.c_iflag == b.c_iflag && a.c_oflag == b.c_oflag && a.c_cflag == b.c_cflag
           && a.c_lflag == b.c_lflag && a.c_line == b.c_line
           && std::memcmp(a.c_cc, b.c_cc, sizeof a.c_cc) == 0 && a.c_ispeed == b.c_ispeed
           && a.c_ospeed == b.c_ospeed;
}

void CheckLineFlags(const LineSettings &s, const termios &tio)
{
    constexpr std::array<tcflag_t, 4> sizes{CS5, CS6, CS7, CS8};
    const bool mark = s.parity == Parity::Mark;
    const bool space = s.parity == Parity::Space;
    FUZZ_REQUIRE((tio.c_cflag & CSIZE) == sizes[s.dataBits - 5U]);
    FUZZ_REQUIRE(Has(tio.c_cflag, PARENB) == (s.parity != Parity::None));
    FUZZ_REQUIRE(Has(tio.c_cflag, PARODD) == (s.parity == Parity::Odd || mark));
    FUZZ_REQUIRE(Has(tio.c_cflag, CMSPAR) == (mark || space));
    FUZZ_REQUIRE(Has(tio.c_cflag, CSTOPB) == (s.stopBits != StopBits::One));
    FUZZ_REQUIRE(!Has(tio.c_cflag, CRTSCTS));
    FUZZ_REQUIRE(Has(tio.c_cflag, CLOCAL) && Has(tio.c_cflag, CREAD));
    FUZZ_REQUIRE((tio.c_iflag & (INPCK | IXON | IXOFF | ISTRIP | INLCR | IGNCR | ICRNL)) == 0);
    FUZZ_REQUIRE((tio.c_oflag & OPOST) == 0);
    FUZZ_REQUIRE((tio.c_lflag & (ICANON | ECHO | ECHONL | ISIG | IEXTEN)) == 0);
}

// Whatever the settings do not name stays as it was. The speed calls may
// touch bits of their own, so the comparison is with a copy that had only
// the speed set.
void CheckRestKept(const termios &before, const termios &tio)
{
    termios reference = before;
    cfsetispeed(&reference, SpeedOf(tio));
    cfsetospeed(&reference, SpeedOf(tio));
    constexpr tcflag_t lineBits = CSIZE | PARENB | PARODD | CMSPAR | CSTOPB | CRTSCTS | CLOCAL | CREAD;
    FUZZ_REQUIRE((tio.c_cflag & ~lineBits) == (reference.c_cflag & ~lineBits));
    FUZZ_REQUIRE((tio.c_iflag & ~reference.c_iflag) == 0);
    FUZZ_REQUIRE((tio.c_lflag & ~reference.c_lflag) == 0);
    // Job control is no line processing.
    FUZZ_REQUIRE((tio.c_lflag & (NOFLSH | TOSTOP)) == (reference.c_lflag & (NOFLSH | TOSTOP)));
    FUZZ_REQUIRE(tio.c_line == reference.c_line);
    FUZZ_REQUIRE(tio.c_ispeed == reference.c_ispeed && tio.c_ospeed == reference.c_ospeed);
    for (std::size_t i = 0; i < NCCS; ++i) {
        if (i != VMIN && i != VTIME)
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
    const speed_t other = SpeedOf(tio) == B9600 ? B4800 : B9600;
    termios slower = tio;
    cfsetospeed(&slower, other);
    FUZZ_REQUIRE(!LineSettingsTook(s, slower));
    slower = tio;
    cfsetispeed(&slower, other);
    FUZZ_REQUIRE(!LineSettingsTook(s, slower));
}

// Drivers keep output flags that do nothing without OPOST, hang-up and
// control characters of their own; none of that means a setting was missed.
void CheckReadBackIsNotPicky(const LineSettings &s, const termios &tio, const Input &in)
{
    termios kept = tio;
    kept.c_oflag = in.outputFlags & ~static_cast<tcflag_t>(OPOST);
    kept.c_cflag ^= HUPCL;
    for (std::size_t i = 0; i < NCCS; ++i)
        kept.c_cc[i] = static_cast<cc_t>(in.controlChar + i);
    FUZZ_REQUIRE(LineSettingsTook(s, kept));
}

void CheckSettings(const LineSettings &s, const Input &in)
{
    termios tio = in.before;
    const bool applied = ApplyLineSettings(s, tio);
    if (BadFrame(s))
        FUZZ_REQUIRE(!applied);
    if (!applied) {
        FUZZ_REQUIRE(SameTermios(tio, in.before));
        return;
    }
    FUZZ_REQUIRE(LineSettingsTook(s, tio));
    FUZZ_REQUIRE(cfgetispeed(&tio) == SpeedOf(tio));
    FUZZ_REQUIRE(BitsPerSecond(SpeedOf(tio)) == s.bitsPerSecond);
    CheckLineFlags(s, tio);
    CheckRestKept(in.before, tio);
    termios again = tio;
    FUZZ_REQUIRE(ApplyLineSettings(s, again));
    FUZZ_REQUIRE(SameTermios(again, tio));
    CheckReadBackIsStrict(s, tio);
    CheckReadBackIsNotPicky(s, tio, in);
}

// Every speed with a bit rate is reachable from settings asking for that rate.
void CheckSpeed(speed_t speed)
{
    const unsigned long bits = BitsPerSecond(speed);
    if (bits == 0)
        return;
    termios tio{};
    LineSettings s;
    s.bitsPerSecond = static_cast<std::uint32_t>(bits);
    FUZZ_REQUIRE(ApplyLineSettings(s, tio) && SpeedOf(tio) == speed);
}

} // namespace

// Send's own line must always be usable: 4800 8N1.
extern "C" int LLVMFuzzerInitialize(int * /*argc*/, char *** /*argv*/)
{
    termios tio{};
    FUZZ_REQUIRE(ApplyLineSettings(LineSettings{}, tio) && BitsPerSecond(SpeedOf(tio)) == 4800);
    FUZZ_REQUIRE((tio.c_cflag & (CSIZE | PARENB | CSTOPB | CRTSCTS)) == CS8);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    fuzzcheck::ByteReader reader(data, size);
    Input in{};
    in.settings.bitsPerSecond = reader.Take<std::uint32_t>();
    in.settings.dataBits = reader.Take<std::uint8_t>();
    in.settings.parity = static_cast<Parity>(reader.Take<std::uint8_t>() % 5U);
    in.settings.stopBits = static_cast<StopBits>(reader.Take<std::uint8_t>() % 3U);
    in.before = reader.Take<termios>();
    in.speed = reader.Take<speed_t>();
    in.outputFlags = reader.Take<tcflag_t>();
    in.controlChar = reader.Take<cc_t>();

    // Random speeds almost never have a constant; the twin at 4800 baud lets
    // the rest of each line be explored, and must be accepted whenever the
    // refusal rules allow it.
    CheckSettings(in.settings, in);
    LineSettings at4800 = in.settings;
    at4800.bitsPerSecond = 4800;
    termios tio = in.before;
    FUZZ_REQUIRE(ApplyLineSettings(at4800, tio) == !BadFrame(at4800));
    CheckSettings(at4800, in);
    CheckSpeed(in.speed);
    return 0;
}
