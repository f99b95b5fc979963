// Text in the narrow encoding of the current locale: the codeset of
// LC_CTYPE, UTF-8 in most locales and Big5 under zh_TW.BIG5. iconv converts
// it from and to UTF-8, exactly or not at all: no character is ever replaced
// by a look-alike or a question mark.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace comsend {

// The locale's codeset, as iconv names it.
const char *LocaleCodeset();

// The UTF-8 text in the codeset, or nothing at the first character that has
// no form there.
std::optional<std::string> FromUtf8(const std::string &Utf8, const char *Codeset);

// The text in the codeset as UTF-8, or nothing where it is not valid there.
std::optional<std::string> ToUtf8(const std::string &Narrow, const char *Codeset);

// How many bytes the character at the start of the text takes in the
// locale's codeset: at least 1 (a byte that starts no valid character counts
// as one), 0 for an empty text.
std::size_t LocaleCharacterLength(std::string_view Narrow);

} // namespace comsend
