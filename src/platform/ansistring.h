// The toolkit's narrow string: text in the locale's own encoding (the
// codeset of LC_CTYPE: UTF-8 in most locales, Big5 under zh_TW.BIG5).
#pragma once

#include <string>

class AnsiString {
public:
    AnsiString() = default;
    AnsiString(const char *text)
        : narrow_(text != nullptr ? text : "") {} // NOLINT(google-explicit-constructor)

    // A text the narrow encoding cannot hold (a character outside the
    // codeset, or a NUL). It keeps the text, in UTF-8, so that it can be
    // shown again unchanged, but it has no narrow form: c_str() is empty.
    static AnsiString Unrepresentable(std::string utf8);

    // Never null: an empty string gives an empty NUL-terminated text.
    const char *c_str() const noexcept { return narrow_.c_str(); }
    bool IsEmpty() const noexcept { return narrow_.empty() && unrepresentable_.empty(); }
    bool IsRepresentable() const noexcept { return unrepresentable_.empty(); }
    const std::string &UnrepresentableText() const noexcept { return unrepresentable_; }

    friend bool operator==(const AnsiString &, const AnsiString &) = default;

private:
    std::string narrow_;
    std::string unrepresentable_;
};
