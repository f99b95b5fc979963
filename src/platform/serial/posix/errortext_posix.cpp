// Why a port operation failed, in plain words, for the errno values the
// serial layer keeps and its own values.
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
        return "There is no such port.";
    case ENOTTY:
        return "This is not a serial port.";
    case ERROR_OWN_TERMINAL:
        return "This is the terminal comsend was started from.";
    case EBUSY:
        return "Another program is using the port.";
    case EACCES:
    case EPERM:
        return "You may not use this port. Serial ports belong to the dialout group: "
               "add yourself with \"sudo adduser $USER dialout\" and log in again.";
    case EIO:
        return "The device does not answer: it may have been unplugged.";
    case EINVAL:
        return "The port does not take the line settings.";
    case ERROR_TIMEOUT:
        return "The device stopped taking bytes.";
    case ERROR_OPERATION_ABORTED:
        return "The send was cancelled.";
    case ERROR_NO_UNICODE_TRANSLATION:
        return "The text has a character that the system's encoding cannot carry.";
    default:
        return std::string("The system said: ") + std::strerror(static_cast<int>(Error)) + ".";
    }
}

} // namespace comsend
