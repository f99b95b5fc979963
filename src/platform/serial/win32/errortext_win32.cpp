// The Windows error values the kernel and the serial layer give. Drivers of
// removed USB adapters fail the calls on a port that is held with
// ERROR_ACCESS_DENIED, ERROR_GEN_FAILURE, ERROR_BAD_COMMAND,
// ERROR_DEVICE_NOT_CONNECTED, ERROR_DEVICE_REMOVED or ERROR_OPERATION_ABORTED
// (a write aborted by the removal): held, comsend's port cannot be another
// program's. An outgoing Bluetooth port whose device is off or out of range
// fails its open with ERROR_SEM_TIMEOUT after seconds. The system's own
// words come in the system's language and ANSI code page, which is what the
// message box shows.
#include "serial/reasons.h"

namespace comsend {

namespace {

using namespace reason;

constexpr ReasonRow kReasons[] = {
    {ERROR_FILE_NOT_FOUND, kNoSuchPort, kNoSuchPort},
    {ERROR_PATH_NOT_FOUND, kNoSuchPort, kNoSuchPort},
    {ERROR_INVALID_NAME, kNoSuchPort, kNoSuchPort},
    {ERROR_BAD_PATHNAME, kNoSuchPort, kNoSuchPort},
    {ERROR_FILENAME_EXCED_RANGE, kNoSuchPort, kNoSuchPort},
    {ERROR_NOT_SERIAL_PORT, kNotSerialPort, kNotSerialPort},
    {ERROR_ACCESS_DENIED, kInUse, kGone},
    {ERROR_SHARING_VIOLATION, kInUse, kInUse},
    {ERROR_GEN_FAILURE, kGone, kGone},
    {ERROR_DEVICE_NOT_CONNECTED, kGone, kGone},
    {ERROR_DEVICE_REMOVED, kGone, kGone},
    {ERROR_NOT_READY, kGone, kGone},
    {ERROR_BAD_COMMAND, kGone, kGone},
    {ERROR_OPERATION_ABORTED, kGone, kGone},
    {ERROR_INVALID_PARAMETER, kSettingsRefused, kSettingsRefused},
    {ERROR_TIMEOUT, kNoAnswer, kStalled},
    {ERROR_SEM_TIMEOUT, kNoAnswer, kStalled},
    {ERROR_SEND_CANCELLED, kCancelled, kCancelled},
};

} // namespace

std::span<const ReasonRow> Reasons()
{
    return kReasons;
}

// The system's message for the value, without its line end and final stop.
std::string SystemText(DWORD error)
{
    char text[512] = {};
    const DWORD length = ::FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS
                                              | FORMAT_MESSAGE_MAX_WIDTH_MASK,
                                          nullptr, error, 0, text, sizeof text, nullptr);
    std::string message(text, length);
    while (!message.empty()
           && (message.back() == ' ' || message.back() == '.' || message.back() == '\r'
               || message.back() == '\n'))
        message.pop_back();
    return message.empty() ? "error " + std::to_string(error) : message;
}

} // namespace comsend
