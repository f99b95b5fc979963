#include "reports.h"

#include "platform/thousands.h"

#include <string>

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

AnsiString ConnectFailure(DWORD Error)
{
    const std::string reason =
        Error == ERROR_NO_UNICODE_TRANSLATION ? kUnwritableName : SysErrorMessage(Error, PortStage::Opening);
    return AnsiString("Connect Fail!\n" + reason);
}

PartialSend::PartialSend(const AnsiString &Text, SentBytes Sent, DWORD Error)
    : text_(Text), sent_(Sent), error_(Error)
{
    // Walk the characters up to the first byte not known to have left.
    while (resume_ < sent_.AtLeast) {
        const std::size_t length = Text.CharLengthAt(resume_);
        if (resume_ + length > sent_.AtLeast) {
            if (!sent_.Exact())
                break; // the character may not have left at all: it is kept
            cutCharacter_.assign(Text.c_str() + resume_, length);
            cutBytesSent_ = sent_.AtLeast - resume_;
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
        return Bytes(sent_.AtLeast) + " of " + total
               + (sent_.AtLeast == 1 ? " bytes was sent." : " bytes were sent.");
    return "Between " + Bytes(sent_.AtLeast) + " and " + Bytes(sent_.AtMost) + " of " + total
           + " bytes were sent.\nThe text box keeps everything after the first "
           + Bytes(static_cast<DWORD>(resume_)) + " bytes: sending it again may repeat up to "
           + Bytes(sent_.AtMost - static_cast<DWORD>(resume_)) + " bytes.";
}

AnsiString PartialSend::Message() const
{
    const std::string reason =
        error_ == ERROR_NO_UNICODE_TRANSLATION ? kUnwritableText : SysErrorMessage(error_, PortStage::Held);
    std::string message = error_ == ERROR_SEND_CANCELLED ? "Send cancelled." : "Send Fail!\n" + reason;
    message += "\n" + CountLine();
    if (!cutCharacter_.empty()) {
        message += "\nThe character \"" + cutCharacter_ + "\" was cut off after "
                   + std::to_string(cutBytesSent_) + " of its " + std::to_string(cutCharacter_.size())
                   + " bytes; it is not sent again.";
    }
    return AnsiString(message);
}

} // namespace comsend
