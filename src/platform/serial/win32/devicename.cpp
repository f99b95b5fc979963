#include "devicename.h"

#include <cctype>

namespace comsend {

namespace {

bool IsHighComName(std::string_view name)
{
    constexpr std::string_view prefix = "COM";
    if (name.size() < prefix.size() + 2 || name[prefix.size()] == '0')
        return false;
    for (std::size_t i = 0; i < name.size(); ++i) {
        const auto c = static_cast<unsigned char>(name[i]);
        const bool fits = i < prefix.size() ? std::toupper(c) == prefix[i] : std::isdigit(c) != 0;
        if (!fits)
            return false;
    }
    return true;
}

} // namespace

std::string DeviceName(std::string_view name)
{
    return IsHighComName(name) ? R"(\\.\)" + std::string(name) : std::string(name);
}

} // namespace comsend
