#include "textcodec.h"

#include "toolkit/backend.h"

#include <algorithm>
#include <climits>

namespace comsend {

namespace {

// The conversions take int lengths; no text of a window comes near that.
int IntLength(std::size_t size)
{
    return static_cast<int>(std::min<std::size_t>(size, INT_MAX / 4));
}

bool HasNul(std::wstring_view text)
{
    return text.find(L'\0') != std::wstring_view::npos;
}

} // namespace

std::optional<std::string> EncodeText(std::wstring_view text, UINT codePage)
{
    if (text.empty())
        return std::string();
    if (HasNul(text))
        return std::nullopt;
    // UTF-8 has a form for every character: only a lone surrogate fails,
    // and the flag that reports it is the only one that code page takes.
    const bool utf8 = codePage == CP_UTF8;
    const DWORD flags = utf8 ? WC_ERR_INVALID_CHARS : WC_NO_BEST_FIT_CHARS;
    BOOL usedDefault = FALSE;
    BOOL *usedDefaultOut = utf8 ? nullptr : &usedDefault;
    const int length = IntLength(text.size());
    const int size =
        ::WideCharToMultiByte(codePage, flags, text.data(), length, nullptr, 0, nullptr, usedDefaultOut);
    if (size <= 0 || usedDefault)
        return std::nullopt;
    std::string narrow(static_cast<std::size_t>(size), '\0');
    ::WideCharToMultiByte(codePage, flags, text.data(), length, narrow.data(), size, nullptr, nullptr);
    // Some code pages give two characters the same bytes without calling it
    // a substitute; only a text that reads back unchanged is exact.
    if (DecodeText(narrow, codePage) != text)
        return std::nullopt;
    return narrow;
}

std::wstring DecodeText(std::string_view narrow, UINT codePage)
{
    if (narrow.empty())
        return {};
    const int length = IntLength(narrow.size());
    const int size = ::MultiByteToWideChar(codePage, 0, narrow.data(), length, nullptr, 0);
    if (size <= 0)
        return {};
    std::wstring wide(static_cast<std::size_t>(size), L'\0');
    ::MultiByteToWideChar(codePage, 0, narrow.data(), length, wide.data(), size);
    return wide;
}

std::wstring WideFromUtf8(std::string_view utf8)
{
    return DecodeText(utf8, CP_UTF8);
}

std::string Utf8FromWide(std::wstring_view wide)
{
    if (wide.empty())
        return {};
    // Lone surrogates become U+FFFD: the text is for showing again.
    const int length = IntLength(wide.size());
    const int size = ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), length, nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<std::size_t>(std::max(size, 0)), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), length, utf8.data(), size, nullptr, nullptr);
    return utf8;
}

AnsiString ToAnsiString(std::wstring_view text)
{
    if (auto narrow = EncodeText(text, ::GetACP()))
        return AnsiString(std::move(*narrow));
    return AnsiString::Unrepresentable(Utf8FromWide(text));
}

std::wstring FromAnsiString(const AnsiString &text)
{
    if (!text.IsRepresentable())
        return WideFromUtf8(text.UnrepresentableText());
    return DecodeText(text.c_str(), ::GetACP());
}

std::wstring WindowText(HWND window)
{
    const int length = ::GetWindowTextLengthW(window);
    if (length <= 0)
        return {};
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    const int copied = ::GetWindowTextW(window, text.data(), length + 1);
    text.resize(static_cast<std::size_t>(std::max(copied, 0)));
    return text;
}

// The first prefix of one to four bytes that the code page reads as one
// valid character: a DBCS lead byte needs its trail byte, UTF-8 its
// continuation bytes, and GB18030 at most four.
std::size_t NarrowCharacterLength(std::string_view Narrow)
{
    if (Narrow.empty())
        return 0;
    for (std::size_t length = 1; length <= std::min<std::size_t>(Narrow.size(), 4); ++length) {
        if (::MultiByteToWideChar(::GetACP(), MB_ERR_INVALID_CHARS, Narrow.data(), static_cast<int>(length),
                                  nullptr, 0)
            > 0)
            return length;
    }
    return 1; // a byte that starts no valid character counts as one
}

} // namespace comsend
