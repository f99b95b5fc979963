// The Windows error values the kernel and the serial layer give. Drivers of
// removed USB adapters fail a write or a status query on a port that is held
// with the values faults.h lists; a value heard from working devices too
// reaches this table from a held port only where the device's status has
// confirmed it gone (faults.h), and held, comsend's port cannot be another
// program's. Line settings that a driver refuses are refused whatever the
// value, unless the status showed the device gone. An outgoing Bluetooth
// port whose device is off or out of range fails its open with
// ERROR_SEM_TIMEOUT after seconds. The system's own words come in the
// system's language and ANSI code page, which is what the message box shows.
// Where the port thread cannot be started, the program's open gives
// ERROR_NOT_ENOUGH_MEMORY, as the kernel's CreateThread does.
#include "faults.h"
#include "serial/reasons.h"

#include "platform/errorcodes.h"

#include <windows.h>

namespace comsend {

namespace {

using namespace reason;
using serial::kErrorNoSuchDevice;

constexpr ReasonRow kReasons[] = {
    {ERROR_FILE_NOT_FOUND, kNoSuchPort, kNoSuchPort},
    {ERROR_PATH_NOT_FOUND, kNoSuchPort, kNoSuchPort},
    {ERROR_INVALID_NAME, kNoSuchPort, kNoSuchPort},
    {ERROR_BAD_PATHNAME, kNoSuchPort, kNoSuchPort},
    {ERROR_FILENAME_EXCED_RANGE, kNoSuchPort, kNoSuchPort},
    {serial::kNotSerialPort, kNotSerialPort, kNotSerialPort},
    {ERROR_NOT_FOUND, kNoSuchPort, kDeviceError},
    {kErrorNoSuchDevice, kNoSuchPort, kGone},
    {ERROR_DEV_NOT_EXIST, kNoSuchPort, kGone},
    {ERROR_ACCESS_DENIED, kInUse, kGone},
    {ERROR_SHARING_VIOLATION, kInUse, kInUse},
    {ERROR_GEN_FAILURE, kDeviceError, kGone},
    {ERROR_DEVICE_NOT_CONNECTED, kGone, kGone},
    {ERROR_DEVICE_REMOVED, kGone, kGone},
    {ERROR_NOT_READY, kDeviceError, kDeviceError},
    {ERROR_BAD_COMMAND, kDeviceError, kGone},
    {ERROR_INVALID_HANDLE, kNotSerialPort, kDeviceError},
    {ERROR_IO_DEVICE, kDeviceError, kDeviceError},
    {ERROR_OPERATION_ABORTED, kAborted, kAborted},
    {ERROR_INVALID_PARAMETER, kSettingsRefused, kSettingsRefused},
    {ERROR_TIMEOUT, kNoAnswer, kStalled},
    {ERROR_SEM_TIMEOUT, kNoAnswer, kStalled},
    {serial::kSendCancelled, kCancelled, kCancelled},
    {serial::kSendStalled, kStalled, kStalled},
    {ERROR_NOT_ENOUGH_MEMORY, kShortOfMemory, kShortOfMemory},
    {ERROR_OUTOFMEMORY, kShortOfMemory, kShortOfMemory},
    {ERROR_NO_SYSTEM_RESOURCES, kShortOfMemory, kShortOfMemory},
    {ERROR_TOO_MANY_OPEN_FILES, kTooManyFiles, kTooManyFiles},
};

} // namespace

std::span<const ReasonRow> Reasons()
{
    return kReasons;
}

const char *ReasonAtEveryValue(PortStage stage)
{
    return stage == PortStage::Settings ? kSettingsRefused : nullptr;
}

// The system's message for the value, without its line end and final stop.
std::string SystemText(std::uint32_t error)
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
