#include "reasons.h"

#include "platform/portreasons.h"

namespace comsend {

const char *ReasonFor(std::uint32_t error, PortStage stage)
{
    if (const char *reason = ReasonAtEveryValue(stage))
        return reason;
    for (const ReasonRow &row : Reasons()) {
        if (row.error == error)
            return stage == PortStage::Opening ? row.opening : row.held;
    }
    return nullptr;
}

std::string SysErrorMessage(std::uint32_t Error, PortStage Stage)
{
    const char *reason = ReasonFor(Error, Stage);
    return reason != nullptr ? reason : "The system said: " + SystemText(Error) + ".";
}

} // namespace comsend
