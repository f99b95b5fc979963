// Why a port operation failed, in plain words: the sentences both serial
// layers give, so that a reason reads the same on every system, and the
// lookup they share (reasons.cpp). Each layer has its own table of the error
// values its calls fail with (posix/errortext_posix.cpp,
// win32/errortext_win32.cpp): one value may mean another thing while the
// port is being opened than once it is held (its line settings being
// applied counts as held), and anything not in the table is said in the
// system's own words, unless the layer has one sentence for every value at
// the stage.
#pragma once

#include "platform/sendaccount.h"

#include <cstdint>

#include <span>
#include <string>

namespace comsend {

namespace reason {

inline constexpr const char *kNoSuchPort = "There is no such port.";
inline constexpr const char *kNotSerialPort = "This is not a serial port.";
inline constexpr const char *kInUse = "Another program is using the port.";
inline constexpr const char *kNoPermission = "You may not use this port.";
inline constexpr const char *kGone = "The device does not answer: it may have been unplugged.";
inline constexpr const char *kNoAnswer =
    "The device does not answer: a Bluetooth device may be off or out of range.";
inline constexpr const char *kSettingsRefused = "The port does not take the line settings.";
inline constexpr const char *kStalled = "The device stopped taking bytes.";
inline constexpr const char *kCancelled = "The send was cancelled.";
inline constexpr const char *kDeviceError = "The device reported an error: unplug it and plug it in again.";
inline constexpr const char *kAborted = "The port's driver broke off the send.";
inline constexpr const char *kShortOfMemory = "The system is short of memory or threads.";
inline constexpr const char *kTooManyFiles = "Too many files are open.";

} // namespace reason

struct ReasonRow {
    std::uint32_t error;
    const char *opening; // while the port is being opened
    const char *held;    // once it is held
};

// The layer's table.
std::span<const ReasonRow> Reasons();

// What every value means at the stage, where one sentence says it, or
// nullptr: then the table, or the system's own words.
const char *ReasonAtEveryValue(PortStage stage);

// The layer's sentence for the value at the stage, or nullptr where it has
// none and the system's own words say it.
const char *ReasonFor(std::uint32_t error, PortStage stage);

// The system's own words for an error value, without a final stop.
std::string SystemText(std::uint32_t error);

} // namespace comsend
