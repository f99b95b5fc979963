// What a Send's port calls did, as one value from the serial layer to the
// form's report: why it did not finish, at which stage, and how much of the
// text is known to have left the port and how much may have.
#pragma once

#include <cstdint>

namespace comsend {

// When a port operation failed: while the port was being opened, while its
// line settings were being applied, or once it was held (writing, closing).
// The same error value can mean different things: on Windows
// ERROR_ACCESS_DENIED is another program's port at an open and a removed
// device afterwards, and a driver may refuse line settings with a value that
// otherwise means the device has gone.
enum class PortStage { Opening, Settings, Held };

struct SendAccount {
    std::uint32_t error = 0; // 0 once every byte is known to have left
    PortStage stage = PortStage::Held;
    std::uint32_t atLeast = 0; // known to have left the port
    std::uint32_t atMost = 0;  // may have left it

    bool Exact() const { return atMost == atLeast; }
};

} // namespace comsend
