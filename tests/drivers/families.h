// What each system gives the cases (posixdrivers.cpp, win32drivers.cpp): its
// driver families, each a device's shape and the way its driver answers the
// system's calls, and the system's long-write port over a device.
#pragma once

#include "device.h"

#include <memory>
#include <span>

namespace drivers {

// How a family's driver answers the system's calls; each system has its own.
struct Calls;

struct Family {
    const char *name;
    Shape shape;
    const Calls *calls;
};

std::span<const Family> Families();

// The system's port, with the family's driver over the device behind the
// system's call table until the next.
std::unique_ptr<comsend::serial::PortIo> Plug(const Family &family, Device &plugged);

// What the system checks of the driver beyond the write, on the device as
// the case left it (Windows: the line settings).
void CheckSettings(Device &plugged);

} // namespace drivers
