// Port-name resolution must hold to its contract for any name a user can
// type. The COMn rule is restated here a different way from the code under
// test (byte-wise letter matching, decimal arithmetic on the digit string), so
// that one mistake made in both places is unlikely.
#include "fuzzcheck.h"
#include "portname.h"

#include <optional>
#include <string>

using namespace comsend;

namespace {

// Longer numbers are taken as ordinary names: the code under test caps them
// because no machine has such a port and n - 1 must stay exact.
constexpr std::size_t kMaxComDigits = 9;

bool IsLetter(char c, char lower)
{
    return c == lower || c == static_cast<char>(lower - 'a' + 'A');
}

bool IsDecimal(std::string_view text)
{
    for (const char c : text) {
        if (c < '0' || c > '9')
            return false;
    }
    return !text.empty();
}

// The n of a name that is exactly "COMn" in any letter case, as written.
std::optional<std::string_view> ComDigits(std::string_view name)
{
    if (name.size() < 4 || !IsLetter(name[0], 'c') || !IsLetter(name[1], 'o') || !IsLetter(name[2], 'm'))
        return std::nullopt;
    const std::string_view digits = name.substr(3);
    if (!IsDecimal(digits) || digits.front() == '0' || digits.size() > kMaxComDigits)
        return std::nullopt;
    return digits;
}

// n - 1 for a decimal n >= 1 without leading zeros, done on the text so that
// no integer conversion is shared with the code under test.
std::string DecimalMinusOne(std::string_view digits)
{
    std::string result(digits);
    std::size_t at = result.size() - 1;
    while (result[at] == '0') {
        result[at] = '9';
        --at;
    }
    --result[at];
    if (result.size() > 1 && result.front() == '0')
        result.erase(0, 1);
    return result;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::string_view name(reinterpret_cast<const char *>(data), size);
    const std::optional<std::string> path = ResolvePortName(name);
    if (name.empty()) {
        FUZZ_REQUIRE(!path.has_value());
        return 0;
    }
    FUZZ_REQUIRE(path.has_value());
    FUZZ_REQUIRE(!path->empty() && path->front() == '/');
    if (const auto digits = ComDigits(name))
        FUZZ_REQUIRE(*path == "/dev/ttyS" + DecimalMinusOne(*digits));
    else if (name.front() == '/')
        FUZZ_REQUIRE(*path == name);
    else
        FUZZ_REQUIRE(*path == "/dev/" + std::string(name));
    return 0;
}
