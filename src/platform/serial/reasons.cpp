#include "reasons.h"

#include "platform/portreasons.h"

namespace comsend {

std::string SysErrorMessage(DWORD Error, PortStage Stage)
{
    for (const ReasonRow &row : Reasons()) {
        if (row.error == Error)
            return Stage == PortStage::Opening ? row.opening : row.held;
    }
    return "The system said: " + SystemText(Error) + ".";
}

} // namespace comsend
