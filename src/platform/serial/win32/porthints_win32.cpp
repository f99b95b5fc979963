// The advice on a failed open on Windows: for a missing port, the COM ports
// there are. Windows shows no user which program holds a port, and a COM
// name stays with its adapter when it is plugged in again, so there is
// nothing to add for a port in use, and nothing to note of an adapter.
#include "dosdevices.h"
#include "serial/hintlines.h"
#include "serial/reasons.h"

#include "platform/adapters.h"
#include "platform/portreasons.h"

#include <string_view>

namespace comsend {

std::string OpeningAdvice(const char * /*PortName*/, std::uint32_t Error)
{
    const char *reason = ReasonFor(Error, PortStage::Opening);
    if (reason == nullptr || std::string_view(reason) != reason::kNoSuchPort)
        return {};
    return "\n" + PortListLine(ComPorts());
}

AdapterNote NoteAdapter(const char * /*PortName*/)
{
    return {};
}

std::string AdapterBackAs(const AdapterNote & /*Note*/)
{
    return {};
}

} // namespace comsend
