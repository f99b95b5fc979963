// The errno values the POSIX serial layer keeps, and its own. After a USB
// adapter is unplugged its terminal is hung up, and every call on it fails
// with EIO (ENODEV or ENXIO from some drivers); a Bluetooth port whose
// device does not answer fails its open with ETIMEDOUT or EHOSTDOWN.
// ENOMEM is also what the program's open gives where it cannot start the
// thread the open runs on.
#include "serial/reasons.h"

#include "platform/errorcodes.h"

#include <cerrno>
#include <cstring>

namespace comsend {

namespace {

constexpr const char *kOwnTerminal = "This is the terminal comsend was started from.";
constexpr const char *kFolderRefused = "A folder on the way to the port cannot be opened.";

using namespace reason;

constexpr ReasonRow kReasons[] = {
    {ENOENT, kNoSuchPort, kNoSuchPort},
    {ENOTDIR, kNoSuchPort, kNoSuchPort},
    {ENAMETOOLONG, kNoSuchPort, kNoSuchPort},
    {ENXIO, kNoSuchPort, kGone},
    {ENODEV, kNoSuchPort, kGone},
    {ENOTTY, kNotSerialPort, kNotSerialPort},
    {serial::kOwnTerminal, kOwnTerminal, kOwnTerminal},
    {serial::kFolderRefused, kFolderRefused, kFolderRefused},
    {EBUSY, kInUse, kInUse},
    {EACCES, kNoPermission, kNoPermission},
    {EPERM, kNoPermission, kNoPermission},
    {EIO, kGone, kGone},
    {EHOSTDOWN, kNoAnswer, kGone},
    {EINVAL, kSettingsRefused, kSettingsRefused},
    {ETIMEDOUT, kNoAnswer, kStalled},
    {serial::kSendCancelled, kCancelled, kCancelled},
    {serial::kSendStalled, kStalled, kStalled},
    {ENOMEM, kShortOfMemory, kShortOfMemory},
    {EAGAIN, kShortOfMemory, kShortOfMemory},
    {EMFILE, kTooManyFiles, kTooManyFiles},
    {ENFILE, kTooManyFiles, kTooManyFiles},
};

} // namespace

std::span<const ReasonRow> Reasons()
{
    return kReasons;
}

const char *ReasonAtEveryValue(PortStage /*stage*/)
{
    return nullptr;
}

std::string SystemText(std::uint32_t error)
{
    return std::strerror(static_cast<int>(error));
}

} // namespace comsend
