#include "platform/formdescription.h"

#include <algorithm>

namespace comsend {

const TControlDescription *TFormDescription::Find(std::string_view ControlName) const
{
    const auto found = std::find_if(Controls.begin(), Controls.end(),
                                    [&](const TControlDescription &c) { return ControlName == c.Name; });
    return found == Controls.end() ? nullptr : &*found;
}

std::vector<std::size_t> TFormDescription::TabStops() const
{
    std::vector<std::size_t> stops;
    for (std::size_t i = 0; i < Controls.size(); ++i) {
        if (Controls[i].TabOrder >= 0)
            stops.push_back(i);
    }
    std::stable_sort(stops.begin(), stops.end(), [&](std::size_t a, std::size_t b) {
        return Controls[a].TabOrder < Controls[b].TabOrder;
    });
    return stops;
}

} // namespace comsend
