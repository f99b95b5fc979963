// Translation of a line-settings record into termios terms, kept apart from
// the system calls so that it can be checked on its own.
//
// A record is refused when the OS cannot honour it exactly: a wrong
// DCBlength, a character size outside 5..8, an unknown parity or stop-bit
// code, a stop-bit count the character size does not allow, a speed that has
// no termios constant, or a feature termios lacks (DSR flow control or
// sensitivity, DTR handshaking, RTS toggling, CTS flow in one direction only,
// replacing or discarding received bytes, aborting on errors, software flow
// control whose XON and XOFF characters are equal). Members that only tune
// what termios does by itself (XonLim, XoffLim, fTXContinueOnXoff) or that
// serve event waiting (EofChar, EvtChar) are accepted and have no effect.
#pragma once

#include "platform/kernel.h"

#include <optional>
#include <termios.h>

namespace comsend {

enum class ModemLine { Off, On, DriverControlled };

struct LineSettings {
    speed_t speed;
    tcflag_t characterSize; // CS5..CS8
    bool parity;            // PARENB
    bool oddParity;         // PARODD
    bool stickParity;       // CMSPAR: mark or space
    bool checkParity;       // INPCK
    bool extraStopBit;      // CSTOPB: two stop bits, or 1.5 with 5 data bits
    bool rtsCtsFlow;        // CRTSCTS
    bool xonXoffOutput;     // IXON
    bool xonXoffInput;      // IXOFF
    cc_t xonChar;
    cc_t xoffChar;
    ModemLine dtr;
    ModemLine rts;
};

std::optional<LineSettings> TranslateDcb(const DCB &dcb);

// Puts the settings into a termios as a raw line: no input or output
// processing, modem status ignored, receiver on. Flags not named here keep
// their values.
void ApplyLineSettings(const LineSettings &settings, termios &tio);

// Whether a termios read back from the device carries every setting.
bool LineSettingsTook(const LineSettings &settings, const termios &tio);

// Bits per second for a termios speed, or 0 where it has none.
unsigned long BitsPerSecond(speed_t speed);

} // namespace comsend
