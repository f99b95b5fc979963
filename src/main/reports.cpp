#include "reports.h"

#include "platform/thousands.h"

#include <string>

namespace comsend {

AnsiString FailureMessage(const char *Outcome, DWORD Error)
{
    return AnsiString(std::string(Outcome) + "\n" + SysErrorMessage(Error));
}

PartialSend::PartialSend(const AnsiString &Text, DWORD Sent, DWORD Error)
    : sent_(Sent), total_(static_cast<DWORD>(Text.Length())), error_(Error)
{
    // Walk the characters up to where the line stopped.
    std::size_t resume = 0;
    while (resume < Sent) {
        const std::size_t length = Text.CharLengthAt(resume);
        if (resume + length > Sent) {
            cutCharacter_.assign(Text.c_str() + resume, length);
            cutBytesSent_ = Sent - resume;
        }
        resume += length;
    }
    unsent_ = AnsiString(Text.c_str() + resume);
}

AnsiString PartialSend::Message() const
{
    std::string message =
        error_ == ERROR_OPERATION_ABORTED ? "Send cancelled." : "Send Fail!\n" + SysErrorMessage(error_);
    message += "\n" + WithThousandsSeparators(sent_) + " of " + WithThousandsSeparators(total_)
               + (sent_ == 1 ? " bytes was sent." : " bytes were sent.");
    if (!cutCharacter_.empty()) {
        message += "\nThe character \"" + cutCharacter_ + "\" was cut off after "
                   + std::to_string(cutBytesSent_) + " of its " + std::to_string(cutCharacter_.size())
                   + " bytes; it is not sent again.";
    }
    return AnsiString(message);
}

} // namespace comsend
