// A USB adapter unplugged while its port is held comes back under another
// name (/dev/ttyUSB1 for /dev/ttyUSB0), since the old one is still taken;
// only its stable name (Linux's /dev/serial/by-id/) follows it. Connect
// notes the stable name of what it opened, so that a failure later can say
// where the adapter went. Windows keeps a COM name with its adapter, so
// there nothing is noted.
#pragma once

#include <cstdint>
#include <string>

namespace comsend {

struct AdapterNote {
    std::string stableName; // empty: nothing to follow
    std::string node;       // the device it named at the open
    std::uint64_t inode = 0;
};

// The adapter behind the port the name opens, noted once it is open.
AdapterNote NoteAdapter(const char *PortName);

// The node the adapter is back under, where the noted node has gone and
// the stable name now names another one; empty otherwise.
std::string AdapterBackAs(const AdapterNote &Note);

} // namespace comsend
