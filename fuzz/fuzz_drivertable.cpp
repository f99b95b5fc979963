// The terminal-driver table decides whether a device may be opened at all,
// so its reading must be predictable for any text the kernel could show:
// the first line that lists the device decides, lines that do not parse count
// for nothing, and layout (blank lines, spaces or tabs) never matters.
//
// Input: major (4 bytes), minor (4 bytes), a shape byte and two range widths
// for lines this target writes itself, then the table text.
#include "fuzzcheck.h"
#include "ttydevice.h"

#include <algorithm>
#include <array>
#include <climits>
#include <string>

using namespace comsend;

namespace {

struct Device {
    unsigned major;
    unsigned minor;
};

struct DriverType {
    std::string_view name;
    TtyVerdict verdict;
};

// The types the kernel prints; only serial drivers and pseudo-terminal
// slaves are serial lines.
constexpr std::array<DriverType, 8> kTypes{{
    {"serial", TtyVerdict::Terminal},
    {"pty:slave", TtyVerdict::Terminal},
    {"console", TtyVerdict::NotTerminal},
    {"type:7", TtyVerdict::NotTerminal},
    {"system", TtyVerdict::NotTerminal},
    {"system:/dev/tty", TtyVerdict::NotTerminal},
    {"system:vtmaster", TtyVerdict::NotTerminal},
    {"pty:master", TtyVerdict::NotTerminal},
}};

TtyVerdict Classify(std::string_view table, Device device)
{
    return ClassifyInDriverTable(table, device.major, device.minor);
}

std::string Joined(std::string_view first, std::string_view second)
{
    return std::string(first) + '\n' + std::string(second);
}

// A driver line as the kernel lays it out, in a spacing picked by the shape
// byte; some driver names hold a space, so the name may too.
std::string DriverLine(unsigned major, unsigned first, unsigned last, std::string_view type,
                       std::uint8_t shape)
{
    const std::string gap = (shape & 0x10) != 0 ? "\t" : "   ";
    const std::string lead = (shape & 0x20) != 0 ? " \t" : "";
    const std::string name = (shape & 0x40) != 0 ? "usb serial" : "serial";
    const std::string minors =
        first == last ? std::to_string(first) : std::to_string(first) + '-' + std::to_string(last);
    return lead + name + gap + "/dev/ttyX" + gap + std::to_string(major) + gap + minors + gap
           + std::string(type);
}

// Whether a line that lists the device decided the verdict, rather than the
// table merely holding parsable lines: a listing that calls the device a
// terminal added at the end changes an undecided verdict only.
bool DecidedByListing(std::string_view table, Device device)
{
    const TtyVerdict verdict = Classify(table, device);
    if (verdict != TtyVerdict::NotTerminal)
        return verdict == TtyVerdict::Terminal;
    const std::string terminal = DriverLine(device.major, device.minor, device.minor, "serial", 0);
    return Classify(Joined(table, terminal), device) == TtyVerdict::NotTerminal;
}

void CheckLayoutDoesNotMatter(std::string_view table, Device device, TtyVerdict verdict)
{
    FUZZ_REQUIRE(Classify("\n" + std::string(table), device) == verdict);
    FUZZ_REQUIRE(Classify(std::string(table) + "\n\n", device) == verdict);
    std::string tabbed(table);
    std::replace(tabbed.begin(), tabbed.end(), ' ', '\t');
    FUZZ_REQUIRE(Classify(tabbed, device) == verdict);
}

// Without a digit no line can give a major number, so nothing in the text is
// a table the verdict could come from.
void CheckUnreadableIsUnknown(std::string_view table, Device device)
{
    std::string letters(table);
    std::erase_if(letters, [](char c) { return c >= '0' && c <= '9'; });
    FUZZ_REQUIRE(Classify(letters, device) == TtyVerdict::Unknown);
}

// The table read as two halves cut at a line end gives the verdict the halves
// predict: a decided first half stands whatever follows, an unparsable one
// adds nothing, a parsable undecided one leaves the second half to decide.
void CheckSplitAt(std::string_view table, std::size_t newline, Device device, TtyVerdict verdict)
{
    const std::string_view first = table.substr(0, newline);
    const std::string_view second = table.substr(newline + 1);
    const TtyVerdict firstVerdict = Classify(first, device);
    const TtyVerdict secondVerdict = Classify(second, device);
    if (DecidedByListing(first, device))
        FUZZ_REQUIRE(verdict == firstVerdict);
    else if (firstVerdict == TtyVerdict::Unknown)
        FUZZ_REQUIRE(verdict == secondVerdict);
    else
        FUZZ_REQUIRE(verdict
                     == (secondVerdict == TtyVerdict::Unknown ? TtyVerdict::NotTerminal : secondVerdict));
}

void CheckSplits(std::string_view table, Device device, TtyVerdict verdict)
{
    const std::size_t firstNewline = table.find('\n');
    if (firstNewline == std::string_view::npos)
        return;
    const std::size_t middleNewline = table.find('\n', table.size() / 2);
    for (const std::size_t at : {firstNewline, middleNewline, table.rfind('\n')}) {
        if (at != std::string_view::npos)
            CheckSplitAt(table, at, device, verdict);
    }
}

// A line listing the device, put first, decides by its type alone; put last,
// it decides only what the table left undecided.
void CheckListing(std::string_view table, Device device, TtyVerdict verdict, std::uint8_t shape,
                  std::uint8_t below, std::uint8_t above)
{
    const DriverType &type = kTypes[shape % kTypes.size()];
    const unsigned first = device.minor - std::min<unsigned>(below, device.minor);
    const unsigned last = device.minor + std::min<unsigned>(above, UINT_MAX - device.minor);
    const std::string listing = DriverLine(device.major, first, last, type.name, shape);
    FUZZ_REQUIRE(Classify(listing, device) == type.verdict);
    FUZZ_REQUIRE(Classify(Joined(listing, table), device) == type.verdict);
    const TtyVerdict appended = Classify(Joined(table, listing), device);
    if (DecidedByListing(table, device))
        FUZZ_REQUIRE(appended == verdict);
    else
        FUZZ_REQUIRE(appended == type.verdict);
}

// Lines for the same major with the minor just outside their range, or for
// another major, list other devices: they only turn "unreadable" into "not
// a terminal".
void CheckNearMisses(std::string_view table, Device device, TtyVerdict verdict, std::uint8_t shape,
                     std::uint8_t width)
{
    const TtyVerdict expected = verdict == TtyVerdict::Unknown ? TtyVerdict::NotTerminal : verdict;
    const std::string_view type = kTypes[shape % kTypes.size()].name;
    std::string misses = DriverLine(device.major ^ 1U, device.minor, device.minor, type, shape);
    if (device.minor < UINT_MAX) {
        const unsigned first = device.minor + 1;
        misses += '\n'
                  + DriverLine(device.major, first, first + std::min<unsigned>(width, UINT_MAX - first), type,
                               shape);
    }
    if (device.minor > 0) {
        const unsigned last = device.minor - 1;
        misses += '\n' + DriverLine(device.major, last - std::min<unsigned>(width, last), last, type, shape);
    }
    FUZZ_REQUIRE(Classify(Joined(misses, table), device) == expected);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    fuzzcheck::ByteReader input(data, size);
    const Device device{input.Take<std::uint32_t>(), input.Take<std::uint32_t>()};
    const auto shape = input.Take<std::uint8_t>();
    const auto below = input.Take<std::uint8_t>();
    const auto above = input.Take<std::uint8_t>();
    const std::string_view table = input.Rest();

    const TtyVerdict verdict = Classify(table, device);
    CheckLayoutDoesNotMatter(table, device, verdict);
    CheckUnreadableIsUnknown(table, device);
    CheckSplits(table, device, verdict);
    CheckListing(table, device, verdict, shape, below, above);
    CheckNearMisses(table, device, verdict, shape, above);
    return 0;
}
