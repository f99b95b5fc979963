#include "ttydevice.h"

#include <charconv>
#include <fstream>
#include <iterator>
#include <string>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>
#include <vector>

namespace comsend {

namespace {

struct DriverLine {
    unsigned major = 0;
    unsigned firstMinor = 0;
    unsigned lastMinor = 0;
    std::string_view type;
};

bool ParseNumber(std::string_view text, unsigned &value)
{
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc() && end == text.data() + text.size();
}

// The whitespace-separated fields of one line.
std::vector<std::string_view> Fields(std::string_view line)
{
    std::vector<std::string_view> fields;
    std::size_t at = line.find_first_not_of(" \t");
    while (at != std::string_view::npos) {
        const std::size_t end = line.find_first_of(" \t", at);
        fields.push_back(line.substr(at, end == std::string_view::npos ? end : end - at));
        at = end == std::string_view::npos ? end : line.find_first_not_of(" \t", end);
    }
    return fields;
}

bool ParseDriverLine(std::string_view line, DriverLine &driver)
{
    // Name and node come first; the last three fields are major, minors and type.
    const std::vector<std::string_view> fields = Fields(line);
    if (fields.size() < 5 || !ParseNumber(fields[fields.size() - 3], driver.major))
        return false;
    const std::string_view minors = fields[fields.size() - 2];
    const std::size_t dash = minors.find('-');
    if (dash == std::string_view::npos) {
        if (!ParseNumber(minors, driver.firstMinor))
            return false;
        driver.lastMinor = driver.firstMinor;
    } else if (!ParseNumber(minors.substr(0, dash), driver.firstMinor)
               || !ParseNumber(minors.substr(dash + 1), driver.lastMinor)) {
        return false;
    }
    driver.type = fields.back();
    return true;
}

// Serial lines are what the kernel's serial drivers register (the UARTs,
// USB and Bluetooth adapters, modems) and the slave sides of
// pseudo-terminals, which programs use as virtual serial lines. Everything
// else is a terminal of another kind: a virtual console ("console"), the
// system's own devices ("system", "system:/dev/tty", ...), a
// pseudo-terminal's master, and any type a newer kernel may add.
bool IsSerialLineType(std::string_view type)
{
    return type == "serial" || type == "pty:slave";
}

} // namespace

TtyVerdict ClassifyInDriverTable(std::string_view table, unsigned major, unsigned minor)
{
    bool parsedAny = false;
    while (!table.empty()) {
        const std::size_t newline = table.find('\n');
        const std::string_view line = table.substr(0, newline);
        table = newline == std::string_view::npos ? std::string_view() : table.substr(newline + 1);
        DriverLine driver;
        if (!ParseDriverLine(line, driver))
            continue;
        parsedAny = true;
        if (driver.major == major && minor >= driver.firstMinor && minor <= driver.lastMinor)
            return IsSerialLineType(driver.type) ? TtyVerdict::Terminal : TtyVerdict::NotTerminal;
    }
    return parsedAny ? TtyVerdict::NotTerminal : TtyVerdict::Unknown;
}

namespace {

// The controlling terminal's device from /proc/self/stat (its seventh field,
// tty_nr), or 0 where there is none. The command name in the second field is
// in parentheses and may hold spaces, so the fields are counted after it.
dev_t ControllingTerminal()
{
    std::ifstream file("/proc/self/stat");
    const std::string stat{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    const std::size_t afterName = stat.rfind(')');
    if (afterName == std::string::npos)
        return 0;
    // After the name: state, ppid, pgrp, session, tty_nr.
    const std::vector<std::string_view> fields = Fields(std::string_view(stat).substr(afterName + 1));
    unsigned number = 0;
    if (fields.size() < 5 || !ParseNumber(fields[4], number))
        return 0;
    return ::makedev((number >> 8) & 0xfffU, (number & 0xffU) | ((number >> 12) & 0xfff00U));
}

} // namespace

bool IsOwnTerminal(dev_t device)
{
    for (int fd = 0; fd <= 2; ++fd) {
        struct stat info {};
        if (::fstat(fd, &info) == 0 && S_ISCHR(info.st_mode) && info.st_rdev == device && ::isatty(fd) == 1)
            return true;
    }
    return device != 0 && ControllingTerminal() == device;
}

bool IsPseudoTerminalSlave(dev_t device)
{
    const unsigned major = ::major(device);
    return (major >= 136 && major <= 143) || major == 3;
}

bool IsSerialUart(dev_t device)
{
    return ::major(device) == 4 && ::minor(device) >= 64;
}

TtyVerdict ClassifyCharDevice(dev_t device)
{
    std::ifstream file("/proc/tty/drivers");
    if (!file)
        return TtyVerdict::Unknown;
    const std::string table{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    return ClassifyInDriverTable(table, ::major(device), ::minor(device));
}

} // namespace comsend
