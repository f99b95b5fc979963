// The plain words each serial layer gives for why a port operation failed
// (errortext_posix.cpp, errortext_win32.cpp), kept in one place so that a
// reason reads the same on every system.
#pragma once

namespace comsend::reason {

inline constexpr const char *kNoSuchPort = "There is no such port.";
inline constexpr const char *kNotSerialPort = "This is not a serial port.";
inline constexpr const char *kInUse = "Another program is using the port.";
inline constexpr const char *kGone = "The device does not answer: it may have been unplugged.";
inline constexpr const char *kNoAnswer =
    "The device does not answer: a Bluetooth device may be off or out of range.";
inline constexpr const char *kSettingsRefused = "The port does not take the line settings.";
inline constexpr const char *kStalled = "The device stopped taking bytes.";
inline constexpr const char *kCancelled = "The send was cancelled.";
inline constexpr const char *kUnrepresentable =
    "The text has a character that the system's encoding cannot carry.";

} // namespace comsend::reason
