#include "reasons.h"

#include "platform/portreasons.h"

namespace comsend {

namespace {

const char *Column(const ReasonRow &row, PortStage stage)
{
    switch (stage) {
    case PortStage::Opening:
        return row.opening;
    case PortStage::Settings:
        return row.settings != nullptr ? row.settings : row.held;
    case PortStage::Held:
        break;
    }
    return row.held;
}

} // namespace

const char *ReasonFor(std::uint32_t error, PortStage stage)
{
    if (const char *reason = ReasonAtEveryValue(stage))
        return reason;
    for (const ReasonRow &row : Reasons()) {
        if (row.error == error)
            return Column(row, stage);
    }
    return nullptr;
}

std::string SysErrorMessage(std::uint32_t Error, PortStage Stage)
{
    const char *reason = ReasonFor(Error, Stage);
    return reason != nullptr ? reason : "The system said: " + SystemText(Error) + ".";
}

} // namespace comsend
