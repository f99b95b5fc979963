#include "narrowtext.h"

#include <cerrno>
#include <cstring>
#include <cwchar>
#include <iconv.h>
#include <langinfo.h>

namespace comsend {

namespace {

bool IsUtf8(const char *codeset)
{
    return ::strcasecmp(codeset, "UTF-8") == 0 || ::strcasecmp(codeset, "UTF8") == 0;
}

// An iconv conversion descriptor that closes itself.
class Converter {
public:
    Converter(const char *to, const char *from) : cd_(::iconv_open(to, from)) {}
    Converter(const Converter &) = delete;
    Converter &operator=(const Converter &) = delete;
    ~Converter()
    {
        if (Valid())
            ::iconv_close(cd_);
    }
    bool Valid() const { return cd_ != reinterpret_cast<iconv_t>(-1); }

    // The whole input converted, or nothing at the first byte that has no
    // form in the target.
    std::optional<std::string> Convert(const std::string &input)
    {
        std::string output(input.size() * 4 + 16, '\0');
        char *in = const_cast<char *>(input.data()); // iconv's signature; it never writes the input
        std::size_t inLeft = input.size();
        char *out = output.data();
        std::size_t outLeft = output.size();
        bool done = false;
        while (!done) {
            const std::size_t result = ::iconv(cd_, inLeft > 0 ? &in : nullptr, &inLeft, &out, &outLeft);
            if (result == static_cast<std::size_t>(-1) && errno == E2BIG) {
                const std::size_t used = output.size() - outLeft;
                output.resize(output.size() * 2);
                out = output.data() + used;
                outLeft = output.size() - used;
            } else if (result != 0) {
                return std::nullopt; // invalid input, or a character iconv would have replaced
            } else {
                done = inLeft == 0;
            }
        }
        output.resize(output.size() - outLeft);
        return output;
    }

private:
    iconv_t cd_;
};

std::optional<std::string> Convert(const std::string &text, const char *to, const char *from)
{
    Converter converter(to, from);
    return converter.Valid() ? converter.Convert(text) : std::nullopt;
}

} // namespace

const char *LocaleCodeset()
{
    return ::nl_langinfo(CODESET);
}

std::optional<std::string> FromUtf8(const std::string &Utf8, const char *Codeset)
{
    return IsUtf8(Codeset) ? Utf8 : Convert(Utf8, Codeset, "UTF-8");
}

std::optional<std::string> ToUtf8(const std::string &Narrow, const char *Codeset)
{
    return IsUtf8(Codeset) ? Narrow : Convert(Narrow, "UTF-8", Codeset);
}

std::size_t LocaleCharacterLength(std::string_view Narrow)
{
    if (Narrow.empty())
        return 0;
    std::mbstate_t state{};
    const std::size_t length = std::mbrlen(Narrow.data(), Narrow.size(), &state);
    return length == 0 || length > Narrow.size() ? 1 : length;
}

} // namespace comsend
