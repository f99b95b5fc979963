// Why a port operation failed, in plain words, for the errno values the
// serial layer keeps and its own values.
#include "serial/reasons.h"

#include "platform/serial.h"

#include <cerrno>
#include <cstring>

namespace comsend {

std::string SysErrorMessage(DWORD Error)
{
    switch (Error) {
    case ENOENT:
    case ENXIO:
    case ENODEV:
    case ENOTDIR:
    case ENAMETOOLONG:
        return reason::kNoSuchPort;
    case ENOTTY:
        return reason::kNotSerialPort;
    case ERROR_OWN_TERMINAL:
        return "This is the terminal comsend was started from.";
    case EBUSY:
        return reason::kInUse;
    case EACCES:
    case EPERM:
        return "You may not use this port. Serial ports belong to the dialout group: "
               "add yourself with \"sudo adduser $USER dialout\" and log in again.";
    case EIO:
        return reason::kGone;
    case EINVAL:
        return reason::kSettingsRefused;
    case ERROR_TIMEOUT:
        return reason::kStalled;
    case ERROR_OPERATION_ABORTED:
        return reason::kCancelled;
    case ERROR_NO_UNICODE_TRANSLATION:
        return reason::kUnrepresentable;
    default:
        return std::string("The system said: ") + std::strerror(static_cast<int>(Error)) + ".";
    }
}

} // namespace comsend
