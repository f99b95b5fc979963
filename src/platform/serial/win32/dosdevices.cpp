#include "dosdevices.h"

#include "serial/comname.h"

#include <algorithm>
#include <utility>

namespace comsend {

namespace {

QueryDosDeviceCall current = ::QueryDosDeviceA;

// A machine with every driver installed has some thousands of names.
constexpr DWORD kFirstSize = 64 * 1024;
constexpr DWORD kLargestSize = 16 * 1024 * 1024;

// Every DOS device name, each ended by a NUL.
std::string AllNames()
{
    for (DWORD size = kFirstSize; size <= kLargestSize; size *= 2) {
        std::string names(size, '\0');
        const DWORD length = current(nullptr, names.data(), size);
        if (length != 0) {
            names.resize(length);
            return names;
        }
        if (::GetLastError() != ERROR_INSUFFICIENT_BUFFER)
            break;
    }
    return {};
}

} // namespace

QueryDosDeviceCall UseQueryDosDevice(QueryDosDeviceCall call)
{
    return std::exchange(current, call != nullptr ? call : ::QueryDosDeviceA);
}

std::vector<std::string> ComPorts()
{
    const std::string names = AllNames();
    std::vector<std::string> ports;
    for (std::size_t at = 0; at < names.size();) {
        const std::size_t end = std::min(names.find('\0', at), names.size());
        const std::string name = names.substr(at, end - at);
        if (!ComNumberDigits(name).empty())
            ports.push_back(name);
        at = end + 1;
    }
    // The digits have no leading zero, so the shorter number is the smaller.
    std::sort(ports.begin(), ports.end(), [](const std::string &a, const std::string &b) {
        return a.size() != b.size() ? a.size() < b.size() : a < b;
    });
    ports.erase(std::unique(ports.begin(), ports.end()), ports.end());
    return ports;
}

} // namespace comsend
