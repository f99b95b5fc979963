#include "platform/thousands.h"

namespace comsend {

std::string WithThousandsSeparators(std::uint64_t Count)
{
    std::string digits = std::to_string(Count);
    for (auto at = static_cast<std::ptrdiff_t>(digits.size()) - 3; at > 0; at -= 3)
        digits.insert(static_cast<std::size_t>(at), 1, ',');
    return digits;
}

} // namespace comsend
