#include "faults.h"

#include "kernelcalls.h"

#include <algorithm>
#include <array>

namespace comsend::serial {

namespace {

constexpr std::array<DWORD, 7> kRemoved{ERROR_ACCESS_DENIED,        ERROR_GEN_FAILURE,    ERROR_BAD_COMMAND,
                                        ERROR_DEVICE_NOT_CONNECTED, ERROR_DEVICE_REMOVED, kErrorNoSuchDevice,
                                        ERROR_DEV_NOT_EXIST};
constexpr std::array<DWORD, 3> kNoSuchCall{ERROR_INVALID_FUNCTION, ERROR_NOT_SUPPORTED,
                                           ERROR_INVALID_PARAMETER};

bool In(DWORD error, const auto &values)
{
    return std::find(values.begin(), values.end(), error) != values.end();
}

bool MeansRemoved(DWORD error)
{
    return In(error, kRemoved);
}

} // namespace

bool MeansNoSuchCall(DWORD error)
{
    return In(error, kNoSuchCall);
}

DWORD GoneByStatus(HANDLE port)
{
    DWORD errors = 0;
    COMSTAT status{};
    if (Kernel().ClearCommError(port, &errors, &status))
        return 0;
    const DWORD probe = ::GetLastError();
    return MeansRemoved(probe) || probe == ERROR_INVALID_HANDLE ? probe : 0;
}

Failure Confirmed(HANDLE port, DWORD error)
{
    if (MeansRemoved(error))
        return {.code = error, .fault = Fault::Gone};
    if (const DWORD gone = GoneByStatus(port))
        return {.code = gone, .fault = Fault::Gone};
    const bool timeout = error == ERROR_SEM_TIMEOUT || error == ERROR_TIMEOUT;
    return {.code = error, .fault = timeout ? Fault::Timeout : Fault::Other};
}

} // namespace comsend::serial
