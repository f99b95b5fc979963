// The Windows port names "COMn" as both serial layers read them: "COM" in
// any letter case, then a number written without leading zeros, as Windows
// writes device names.
#pragma once

#include <algorithm>
#include <cctype>
#include <string_view>

namespace comsend {

// The n of "COMn" as written, or an empty view for any other name.
inline std::string_view ComNumberDigits(std::string_view name)
{
    constexpr std::string_view prefix = "COM";
    if (name.size() <= prefix.size() || name[prefix.size()] == '0')
        return {};
    const auto upper = [](char c) { return static_cast<char>(std::toupper(static_cast<unsigned char>(c))); };
    const auto digit = [](char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; };
    const std::string_view digits = name.substr(prefix.size());
    const bool com = std::equal(prefix.begin(), prefix.end(), name.begin(),
                                [&](char wanted, char c) { return upper(c) == wanted; });
    return com && std::all_of(digits.begin(), digits.end(), digit) ? digits : std::string_view();
}

} // namespace comsend
