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

std::string SysErrorMessage(std::uint32_t Error, PortStage Stage)
{
    if (const char *reason = ReasonAtEveryValue(Stage))
        return reason;
    for (const ReasonRow &row : Reasons()) {
        if (row.error == Error)
            return Column(row, Stage);
    }
    return "The system said: " + SystemText(Error) + ".";
}

} // namespace comsend
