// Counts as people read them in the program's English messages: 30,000.
#pragma once

#include <cstdint>
#include <string>

namespace comsend {

std::string WithThousandsSeparators(std::uint64_t Count);

} // namespace comsend
