#include "portlist.h"

#include <algorithm>
#include <array>
#include <string_view>

namespace comsend {

namespace {

constexpr std::string_view kTtys = "/sys/class/tty/";
constexpr std::string_view kUsbDevices = "/sys/bus/usb/devices/";

// From a port's device up to its USB device: the port, its interface, the
// device.
constexpr int kLevelsToUsbDevice = 3;

struct Bridge {
    std::string_view vendor;
    std::string_view chip;
};

constexpr std::array kBridges{
    Bridge{"1a86", "CH340/CH341"},
    Bridge{"10c4", "CP210x"},
    Bridge{"0403", "FTDI"},
    Bridge{"067b", "PL2303"},
};

// ttyS2 before ttyS10: names compare by their letters, then by their number.
bool NameOrder(const std::string &a, const std::string &b)
{
    const auto split = [](const std::string &name) {
        const std::size_t digits = name.find_last_not_of("0123456789") + 1;
        return std::pair(std::string_view(name).substr(0, digits), name.size() - digits);
    };
    const auto [stemA, digitsA] = split(a);
    const auto [stemB, digitsB] = split(b);
    if (stemA != stemB)
        return stemA < stemB;
    return digitsA != digitsB ? digitsA < digitsB : a < b;
}

bool IsUnknownUart(const Machine &machine, const std::string &name)
{
    if (!name.starts_with("ttyS"))
        return false;
    const std::string type = machine.FirstLine(std::string(kTtys) + name + "/type");
    return type.empty() || type == "0";
}

// The USB product string of the device behind a port, if it is a USB one.
std::string UsbProduct(const Machine &machine, const std::string &name)
{
    std::string folder = machine.Resolved(std::string(kTtys) + name + "/device");
    for (int level = 0; level < kLevelsToUsbDevice && folder.starts_with("/sys/devices/"); ++level) {
        if (machine.Exists(folder + "/idVendor"))
            return machine.FirstLine(folder + "/product");
        folder.erase(folder.rfind('/'));
    }
    return {};
}

bool HasTty(const Machine &machine, const std::string &interface)
{
    const std::vector<std::string> entries = machine.Entries(std::string(kUsbDevices) + interface);
    return std::any_of(entries.begin(), entries.end(),
                       [](const std::string &entry) { return entry.starts_with("tty"); });
}

} // namespace

std::string StableName(const Machine &machine, const std::string &node)
{
    for (const std::string &link : machine.Entries(kById)) {
        if (machine.Resolved(std::string(kById) + link) == node)
            return link;
    }
    return {};
}

std::vector<std::string> SerialPorts(const Machine &machine)
{
    std::vector<std::string> names;
    for (const std::string &name : machine.Entries(kTtys)) {
        if (machine.Exists(std::string(kTtys) + name + "/device") && !IsUnknownUart(machine, name))
            names.push_back(name);
    }
    std::sort(names.begin(), names.end(), NameOrder);
    std::vector<std::string> ports;
    for (std::string name : names) {
        std::string label = UsbProduct(machine, name);
        std::replace(name.begin(), name.end(), '!', '/'); // sysfs's name for a node in a subfolder
        const std::string node = "/dev/" + name;
        if (label.empty())
            label = StableName(machine, node);
        ports.push_back(label.empty() ? node : node + " (" + label.append(")"));
    }
    return ports;
}

std::vector<std::string> AdaptersWithoutPort(const Machine &machine)
{
    const std::vector<std::string> entries = machine.Entries(kUsbDevices);
    std::vector<std::string> chips;
    for (const std::string &device : entries) {
        const std::string vendor = machine.FirstLine(std::string(kUsbDevices) + device + "/idVendor");
        const auto bridge = std::find_if(kBridges.begin(), kBridges.end(),
                                         [&](const Bridge &known) { return known.vendor == vendor; });
        if (bridge == kBridges.end())
            continue;
        // Its interfaces are listed beside it, as "1-1:1.0".
        const bool hasPort = std::any_of(entries.begin(), entries.end(), [&](const std::string &interface) {
            return interface.starts_with(device + ":") && HasTty(machine, interface);
        });
        const std::string chip(bridge->chip);
        if (!hasPort && std::find(chips.begin(), chips.end(), chip) == chips.end())
            chips.push_back(chip);
    }
    return chips;
}

} // namespace comsend
