#include "reports.h"

#include "platform/thousands.h"

#include <string>
#include <utility>

namespace comsend {

namespace {

// What the form refuses itself, before any port call: a name or a text that
// the system's narrow encoding cannot carry (ERROR_NO_UNICODE_TRANSLATION).
constexpr const char *kUnwritableName =
    "The port name has a character that the system's encoding cannot carry.";
constexpr const char *kUnwritableText = "The text has a character that the system's encoding cannot carry.";

std::string Bytes(DWORD count)
{
    return WithThousandsSeparators(count);
}

} // namespace

AnsiString ConnectFailure(const AnsiString &Name, DWORD Error)
{
    if (Error == ERROR_NO_UNICODE_TRANSLATION)
        return AnsiString(std::string("Connect Fail!\n") + kUnwritableName);
    return AnsiString("Connect Fail!\n" + SysErrorMessage(Error, PortStage::Opening)
                      + OpeningAdvice(Name.c_str(), Error));
}

AnsiString DisconnectMessage(const std::string &BackAs)
{
    if (BackAs.empty())
        return "Disconnect!";
    return AnsiString("Disconnect!\nThe adapter is back as " + BackAs + ": Connect to that name.");
}

PartialSend::PartialSend(const AnsiString &Text, const SendAccount &Sent, std::string BackAs)
    : text_(Text), sent_(Sent), backAs_(std::move(BackAs))
{
    // Walk the characters up to the first byte not known to have left.
    while (resume_ < sent_.atLeast) {
        const std::size_t length = Text.CharLengthAt(resume_);
        if (resume_ + length > sent_.atLeast) {
            if (!sent_.Exact())
                break; // the character may not have left at all: it is kept
            cutCharacter_.assign(Text.c_str() + resume_, length);
            cutBytesSent_ = sent_.atLeast - resume_;
        }
        resume_ += length;
    }
    unsent_ = Text.IsRepresentable() ? AnsiString(Text.c_str() + resume_) : Text;
}

std::string PartialSend::CountLine() const
{
    if (!text_.IsRepresentable())
        return "No byte was sent.";
    const std::string total = Bytes(static_cast<DWORD>(text_.Length()));
    if (sent_.Exact())
        return Bytes(sent_.atLeast) + " of " + total
               + (sent_.atLeast == 1 ? " bytes was sent." : " bytes were sent.");
    const std::string kept = resume_ == 0 ? "The text box keeps the whole text"
                                          : "The text box keeps everything after the first "
                                                + Bytes(static_cast<DWORD>(resume_)) + " bytes";
    return "Between " + Bytes(sent_.atLeast) + " and " + Bytes(sent_.atMost) + " of " + total
           + " bytes were sent.\n" + kept + ": sending it again may repeat up to "
           + Bytes(sent_.atMost - static_cast<DWORD>(resume_)) + " bytes.";
}

AnsiString PartialSend::Message() const
{
    const std::string reason = sent_.error == ERROR_NO_UNICODE_TRANSLATION
                                   ? kUnwritableText
                                   : SysErrorMessage(sent_.error, sent_.stage);
    std::string message = sent_.error == ERROR_SEND_CANCELLED ? "Send cancelled." : "Send Fail!\n" + reason;
    message += "\n" + CountLine();
    if (!cutCharacter_.empty()) {
        message += "\nThe character \"" + cutCharacter_ + "\" was cut off after "
                   + std::to_string(cutBytesSent_) + " of its " + std::to_string(cutCharacter_.size())
                   + " bytes; it is not sent again.";
    }
    if (!backAs_.empty())
        message += "\nThe adapter is back as " + backAs_ + ": Disconnect, then Connect to that name.";
    return AnsiString(message);
}

} // namespace comsend
