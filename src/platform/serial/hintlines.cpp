#include "hintlines.h"

namespace comsend {

namespace {

// Enough to find the one meant; more would bury the message.
constexpr std::size_t kListedPorts = 5;

} // namespace

std::string Listed(const std::vector<std::string> &items, std::size_t shown)
{
    std::string list;
    for (std::size_t i = 0; i < items.size() && i < shown; ++i)
        list += (i == 0 ? "" : ", ") + items[i];
    if (items.size() > shown)
        list += ", and " + std::to_string(items.size() - shown) + " more";
    return list;
}

std::string PortListLine(const std::vector<std::string> &ports)
{
    if (ports.empty())
        return "No serial port is on this computer.";
    return "Ports on this computer: " + Listed(ports, kListedPorts) + ".";
}

} // namespace comsend
