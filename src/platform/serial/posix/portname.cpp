#include "portname.h"

#include "serial/comname.h"

#include <charconv>

namespace comsend {

namespace {

// Longer numbers name no port any machine has; the cap keeps n - 1 exact.
constexpr std::size_t kMaxPortDigits = 9;

// The n of "COMn" when the name is exactly that, written without leading zeros
// as Windows device names are.
std::optional<unsigned long> ComPortNumber(std::string_view name)
{
    const std::string_view digits = ComNumberDigits(name);
    if (digits.empty() || digits.size() > kMaxPortDigits)
        return std::nullopt;
    unsigned long number = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), number);
    if (error != std::errc() || end != digits.data() + digits.size())
        return std::nullopt;
    return number;
}

} // namespace

std::optional<std::string> ResolvePortName(std::string_view name)
{
    if (name.empty())
        return std::nullopt;
    if (const auto number = ComPortNumber(name))
        return "/dev/ttyS" + std::to_string(*number - 1);
    if (name.front() == '/')
        return std::string(name);
    return "/dev/" + std::string(name);
}

} // namespace comsend
