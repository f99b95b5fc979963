#include "platform/formdescription.h"

#include <algorithm>

namespace comsend {

const TControlDescription *TFormDescription::Find(std::string_view ControlName) const
{
    const auto found = std::find_if(Controls.begin(), Controls.end(),
                                    [&](const TControlDescription &c) { return ControlName == c.Name; });
    return found == Controls.end() ? nullptr : &*found;
}

} // namespace comsend
