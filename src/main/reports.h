// What the form tells the user when a Connect or a Send fails, and what a
// Send that stopped part-way leaves in the text box.
#pragma once

#include "platform/serial.h"
#include "platform/toolkit.h"

namespace comsend {

// The outcome ("Connect Fail!", "Send Fail!") and, on a second line, why.
AnsiString FailureMessage(const char *Outcome, DWORD Error);

// A Send whose write failed or was cancelled after `Sent` bytes of the text
// had left the port. The text box keeps exactly what did not go out, so that
// a retry goes on where the line stopped and no byte is ever sent twice.
// Where the line stopped inside a character of several bytes, that
// character arrived broken; it is left out of the text box too, and the
// message names it, so that the user can decide to type it again.
class PartialSend {
public:
    PartialSend(const AnsiString &Text, DWORD Sent, DWORD Error);

    const AnsiString &Unsent() const { return unsent_; }
    AnsiString Message() const;

private:
    DWORD sent_;
    DWORD total_;
    DWORD error_;
    std::string cutCharacter_; // narrow bytes of the broken character
    std::size_t cutBytesSent_ = 0;
    AnsiString unsent_;
};

} // namespace comsend
