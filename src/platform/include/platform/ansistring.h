// The toolkit's narrow string: text in the system's narrow encoding (on
// POSIX the codeset of LC_CTYPE, UTF-8 in most locales and Big5 under
// zh_TW.BIG5; on Windows the ANSI code page, 950 on a Traditional Chinese
// system).
#pragma once

#include <cstddef>
#include <string>
#include <utility>

namespace comsend {

class AnsiString {
public:
    AnsiString() = default;
    AnsiString(const char *text)
        : narrow_(text != nullptr ? text : "") {} // NOLINT(google-explicit-constructor)
    explicit AnsiString(std::string narrow) : narrow_(std::move(narrow)) {}

    // A text the narrow encoding cannot hold (a character outside the
    // codeset, or a NUL). It keeps the text, in UTF-8, so that it can be
    // shown again unchanged, but it has no narrow form: c_str() is empty.
    static AnsiString Unrepresentable(std::string utf8);

    // Never null: an empty string gives an empty NUL-terminated text.
    const char *c_str() const noexcept { return narrow_.c_str(); }
    std::size_t Length() const noexcept { return narrow_.size(); }
    bool IsEmpty() const noexcept { return narrow_.empty() && unrepresentable_.empty(); }
    bool IsRepresentable() const noexcept { return unrepresentable_.empty(); }
    const std::string &UnrepresentableText() const noexcept { return unrepresentable_; }

    // How many bytes the character that starts at byte Index takes in the
    // narrow encoding: at least 1 and at most what is left of the text (a
    // byte that starts no valid character counts as one); 0 past the end.
    std::size_t CharLengthAt(std::size_t Index) const;

    friend bool operator==(const AnsiString &, const AnsiString &) = default;

private:
    std::string narrow_;
    std::string unrepresentable_;
};

} // namespace comsend
