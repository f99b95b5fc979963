#include "kernelcalls.h"

#include <utility>

namespace comsend {

namespace {

// Not constexpr: the calls come from DLLs, whose addresses are known at load time.
const KernelCalls kSystem{
    .CreateFileA = ::CreateFileA,
    .CloseHandle = ::CloseHandle,
    .GetCommState = ::GetCommState,
    .SetCommState = ::SetCommState,
    .SetCommTimeouts = ::SetCommTimeouts,
    .WriteFile = ::WriteFile,
    .ClearCommError = ::ClearCommError,
    .PurgeComm = ::PurgeComm,
    .EscapeCommFunction = ::EscapeCommFunction,
    .WaitForSingleObject = ::WaitForSingleObject,
    .Sleep = ::Sleep,
};

const KernelCalls *current = &kSystem;

} // namespace

const KernelCalls &Kernel()
{
    return *current;
}

const KernelCalls &SystemKernel()
{
    return kSystem;
}

const KernelCalls *UseKernelCalls(const KernelCalls *calls)
{
    return std::exchange(current, calls != nullptr ? calls : &kSystem);
}

} // namespace comsend
