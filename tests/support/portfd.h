// Finds the descriptor this process holds on a device path, so that a test
// can play another program's part on the port the form opened.
#pragma once

#include "platform/serial.h"

#include <string>

// Opens a port the way Connect does: read-write, for exclusive use.
HANDLE OpenPort(const std::string &name);

// The descriptor open on `path`, or -1.
int DescriptorOpenOn(const std::string &path);

// Writes to the descriptor until the device takes no more: a far end that
// never reads leaves the next write nowhere to go. Returns the bytes taken.
std::size_t FillUntilFull(int fd);
