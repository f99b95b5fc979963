// The kernel's calls the Windows serial layer makes, through one table.
// The program always uses the kernel's own; a test may put another table in
// its place, to make the calls fail as real drivers do (a removed USB
// adapter, a driver that ignores a timeout or a hold) where wine cannot.
#pragma once

#include "serial/port.h"

#include <windows.h>

namespace comsend {

// A port is the kernel's handle, as a number of the serial layer's own.
inline HANDLE HandleOf(serial::Port port)
{
    return reinterpret_cast<HANDLE>(static_cast<std::intptr_t>(port));
}

struct KernelCalls {
    decltype(&::CreateFileA) CreateFileA;
    decltype(&::CloseHandle) CloseHandle;
    decltype(&::GetCommState) GetCommState;
    decltype(&::SetCommState) SetCommState;
    decltype(&::SetCommTimeouts) SetCommTimeouts;
    decltype(&::WriteFile) WriteFile;
    decltype(&::ClearCommError) ClearCommError;
    decltype(&::PurgeComm) PurgeComm;
    decltype(&::EscapeCommFunction) EscapeCommFunction;
    // The waits of the long write, so that a test's driver can keep time.
    decltype(&::WaitForSingleObject) WaitForSingleObject;
    decltype(&::Sleep) Sleep;
};

// The table in use.
const KernelCalls &Kernel();

// The kernel's own table.
const KernelCalls &SystemKernel();

// Puts a table in place (the kernel's own for null) and returns the one it
// replaces. Not for use while a call may be running.
const KernelCalls *UseKernelCalls(const KernelCalls *calls);

} // namespace comsend
