// Why a port operation failed, in plain words, for the errno values the
// serial layer keeps and its own values. After a USB adapter is unplugged
// its terminal is hung up, and every call on it fails with EIO; a Bluetooth
// port whose device does not answer fails its open with ETIMEDOUT or
// EHOSTDOWN.
#include "serial/reasons.h"

#include "platform/serial.h"

#include <cerrno>
#include <cstring>

namespace comsend {

namespace {

// The values whose meaning depends on whether the port was ours yet.
const char *StageReason(DWORD error, PortStage stage)
{
    const bool opening = stage == PortStage::Opening;
    switch (error) {
    case ENXIO:
    case ENODEV:
        return opening ? reason::kNoSuchPort : reason::kGone;
    case ETIMEDOUT:
        return opening ? reason::kNoAnswer : reason::kStalled;
    case EHOSTDOWN:
        return opening ? reason::kNoAnswer : reason::kGone;
    default:
        return nullptr;
    }
}

} // namespace

std::string SysErrorMessage(DWORD Error, PortStage Stage)
{
    if (const char *reason = StageReason(Error, Stage))
        return reason;
    switch (Error) {
    case ENOENT:
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
    case ERROR_SEND_CANCELLED:
        return reason::kCancelled;
    case ERROR_NO_UNICODE_TRANSLATION:
        return reason::kUnrepresentable;
    default:
        return std::string("The system said: ") + std::strerror(static_cast<int>(Error)) + ".";
    }
}

} // namespace comsend
