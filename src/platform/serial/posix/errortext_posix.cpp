// The errno values the POSIX serial layer keeps, and its own. After a USB
// adapter is unplugged its terminal is hung up, and every call on it fails
// with EIO (ENODEV or ENXIO from some drivers); a Bluetooth port whose
// device does not answer fails its open with ETIMEDOUT or EHOSTDOWN.
#include "serial/reasons.h"

#include <cerrno>
#include <cstring>

namespace comsend {

namespace {

constexpr const char *kOwnTerminal = "This is the terminal comsend was started from.";
constexpr const char *kNoPermission = "You may not use this port. Serial ports belong to the dialout group: "
                                      "add yourself with \"sudo adduser $USER dialout\" and log in again.";

using namespace reason;

constexpr ReasonRow kReasons[] = {
    {ENOENT, kNoSuchPort, kNoSuchPort},
    {ENOTDIR, kNoSuchPort, kNoSuchPort},
    {ENAMETOOLONG, kNoSuchPort, kNoSuchPort},
    {ENXIO, kNoSuchPort, kGone},
    {ENODEV, kNoSuchPort, kGone},
    {ENOTTY, kNotSerialPort, kNotSerialPort},
    {ERROR_OWN_TERMINAL, kOwnTerminal, kOwnTerminal},
    {EBUSY, kInUse, kInUse},
    {EACCES, kNoPermission, kNoPermission},
    {EPERM, kNoPermission, kNoPermission},
    {EIO, kGone, kGone},
    {EHOSTDOWN, kNoAnswer, kGone},
    {EINVAL, kSettingsRefused, kSettingsRefused},
    {ETIMEDOUT, kNoAnswer, kStalled},
    {ERROR_SEND_CANCELLED, kCancelled, kCancelled},
};

} // namespace

std::span<const ReasonRow> Reasons()
{
    return kReasons;
}

std::string SystemText(DWORD error)
{
    return std::strerror(static_cast<int>(error));
}

} // namespace comsend
