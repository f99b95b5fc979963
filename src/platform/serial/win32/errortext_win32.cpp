// Why a port operation failed, in plain words, for the Windows error values
// the kernel and the serial layer give. Where a reason means the same as one
// on POSIX, the sentence is the same (reasons.h); anything else is the
// system's own text, in the system's language and ANSI code page, which is
// what the message box shows.
//
// Drivers of removed USB adapters fail the calls on a port that is held with
// ERROR_ACCESS_DENIED, ERROR_GEN_FAILURE, ERROR_BAD_COMMAND,
// ERROR_DEVICE_NOT_CONNECTED, ERROR_DEVICE_REMOVED or ERROR_OPERATION_ABORTED
// (a write aborted by the removal): held, comsend's port cannot be another
// program's. An outgoing Bluetooth port whose device is off or out of range
// fails its open with ERROR_SEM_TIMEOUT after seconds.
#include "serial/reasons.h"

#include "platform/serial.h"

#include <string>

namespace comsend {

namespace {

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

// The values whose meaning depends on whether the port was ours yet.
const char *StageReason(DWORD error, PortStage stage)
{
    const bool opening = stage == PortStage::Opening;
    switch (error) {
    case ERROR_ACCESS_DENIED:
        return opening ? reason::kInUse : reason::kGone;
    case ERROR_TIMEOUT:
    case ERROR_SEM_TIMEOUT:
        return opening ? reason::kNoAnswer : reason::kStalled;
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
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
    case ERROR_BAD_PATHNAME:
    case ERROR_FILENAME_EXCED_RANGE:
        return reason::kNoSuchPort;
    case ERROR_NOT_SERIAL_PORT:
        return reason::kNotSerialPort;
    case ERROR_SHARING_VIOLATION:
        return reason::kInUse;
    case ERROR_GEN_FAILURE:
    case ERROR_DEVICE_NOT_CONNECTED:
    case ERROR_DEVICE_REMOVED:
    case ERROR_NOT_READY:
    case ERROR_BAD_COMMAND:
    case ERROR_OPERATION_ABORTED:
        return reason::kGone;
    case ERROR_INVALID_PARAMETER:
        return reason::kSettingsRefused;
    case ERROR_SEND_CANCELLED:
        return reason::kCancelled;
    case ERROR_NO_UNICODE_TRANSLATION:
        return reason::kUnrepresentable;
    default:
        return "The system said: " + SystemText(Error) + ".";
    }
}

} // namespace comsend
