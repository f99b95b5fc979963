// What the form tells the user when a Connect or a Send fails, or a
// Disconnect finds the adapter elsewhere, and what a Send that did not
// finish leaves in the text box.
#pragma once

#include "platform/serial.h"
#include "platform/toolkit.h"

namespace comsend {

// "Connect Fail!" and, on a second line, why the open of the named port
// failed, with what to do about it on the lines below; for
// ERROR_NO_UNICODE_TRANSLATION, that the port name cannot be written.
AnsiString ConnectFailure(const AnsiString &Name, DWORD Error);

// "Disconnect!", and where the adapter is back, if it is (GetAdapterBackAs).
AnsiString DisconnectMessage(const std::string &BackAs);

// A Send that failed or was cancelled. The text box keeps everything from
// the first byte not known to have left, so that nothing typed is lost and,
// where the count is exact, a retry goes on where the line stopped without
// sending any byte twice. Where the line stopped inside a character of
// several bytes, that character arrived broken; it is left out of the text
// box too, and the message names it, so that the user can decide to type it
// again. Where the count is a range, a retry may repeat up to its width, and
// the message says so, and where the adapter is back, if it is
// (GetAdapterBackAs).
class PartialSend {
public:
    PartialSend(const AnsiString &Text, const SendAccount &Sent, std::string BackAs = {});

    const AnsiString &Unsent() const { return unsent_; }
    AnsiString Message() const;

private:
    std::string CountLine() const;

    AnsiString text_;
    SendAccount sent_;
    std::string backAs_;
    std::size_t resume_ = 0;   // the first byte the text box keeps
    std::string cutCharacter_; // narrow bytes of the broken character
    std::size_t cutBytesSent_ = 0;
    AnsiString unsent_;
};

} // namespace comsend
