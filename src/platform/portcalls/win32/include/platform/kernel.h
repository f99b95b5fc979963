// The kernel's names the form code uses, from <windows.h>, with comsend's
// own error values under Windows-style names. Only the form's calls
// (platform/serial.h) see them; the serial layer below speaks its own terms.
#pragma once

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include "platform/errorcodes.h"

inline constexpr DWORD ERROR_SEND_CANCELLED = comsend::serial::kSendCancelled;
inline constexpr DWORD ERROR_SEND_STALLED = comsend::serial::kSendStalled;

namespace comsend {

// The line-settings record as the form code fills it in: the kernel's DCB,
// byte for byte, as a type of comsend's own. With the kernel's type, a call
// SetCommState(handle, &record) would find the kernel's SetCommState too
// (argument-dependent lookup searches the record type's namespace), and the
// two would be equally good; with this one, comsend's is the exact match.
struct DCB : ::DCB {};

using ::GetLastError;
using ::SetLastError;

} // namespace comsend
