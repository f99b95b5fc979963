// What a Windows error value means on a port that is held. Drivers of
// removed USB adapters fail a write or a status query with
// ERROR_ACCESS_DENIED, ERROR_GEN_FAILURE, ERROR_BAD_COMMAND,
// ERROR_DEVICE_NOT_CONNECTED, ERROR_DEVICE_REMOVED, ERROR_NO_SUCH_DEVICE or
// ERROR_DEV_NOT_EXIST. Others are heard from removed devices and from
// working ones alike (ERROR_OPERATION_ABORTED, ERROR_IO_DEVICE,
// ERROR_NOT_FOUND, ERROR_INVALID_HANDLE), and some drivers refuse a call on
// a working device with a removal value (the CH340's refuses line settings
// with ERROR_GEN_FAILURE): for those only a later call can tell, so the
// device is asked for its status, and is gone only where that fails too.
// Virtual ports without a status query fail it with ERROR_INVALID_FUNCTION,
// ERROR_NOT_SUPPORTED or ERROR_INVALID_PARAMETER: they cannot tell.
#pragma once

#include "serial/portio.h"

#include <windows.h>

namespace comsend::serial {

// "A device which does not exist was specified", which mingw-w64's
// winerror.h does not name.
inline constexpr DWORD kErrorNoSuchDevice = 433;

bool MeansNoSuchCall(DWORD error);

// The failure of a call on the port: a removal value, or one that the
// device's status confirms as one (then the status query's own value).
Failure Confirmed(HANDLE port, DWORD error);

// What the device's status says: the value its query failed with where that
// means the device has gone, else 0.
DWORD GoneByStatus(HANDLE port);

} // namespace comsend::serial
