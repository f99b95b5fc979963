// A line's settings in termios terms, kept apart from the system calls so
// that they can be checked on their own. Settings the line cannot take
// exactly are refused: a speed without a termios constant, a character size
// outside 5..8, a stop-bit count the character size does not allow.
#pragma once

#include "serial/port.h"

#include <termios.h>

namespace comsend {

// Puts the settings into a termios as a raw line: no input or output
// processing, no flow control, modem status ignored, receiver on. Flags not
// named here keep their values. False, the termios untouched, for settings
// the line cannot take.
bool ApplyLineSettings(const serial::LineSettings &settings, termios &tio);

// Whether a termios read back from the device carries every setting.
bool LineSettingsTook(const serial::LineSettings &settings, const termios &tio);

// Bits per second for a termios speed, or 0 where it has none.
unsigned long BitsPerSecond(speed_t speed);

} // namespace comsend
