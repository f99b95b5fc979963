// comsend's own error values, the same on every system, with bit 29 set as
// Windows reserves for applications, so that none is ever taken for one of
// the system's (errno values are small).
#pragma once

#include <cstdint>

namespace comsend::serial {

// The user cancelled the send; a driver's own abort keeps its own value.
inline constexpr std::uint32_t kSendCancelled = 0x20000003U;
// No byte left the port for the stall margin beyond the line time of what
// it still held.
inline constexpr std::uint32_t kSendStalled = 0x20000004U;

} // namespace comsend::serial
