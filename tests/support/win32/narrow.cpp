#include "support/narrow.h"

#include <windows.h>

#include <string>

// In the ANSI code page, as the text boxes hand typed text to the form.
comsend::AnsiString Narrow(const char *utf8)
{
    const int wide = ::MultiByteToWideChar(CP_UTF8, 0, utf8, -1, nullptr, 0);
    std::wstring text(static_cast<std::size_t>(wide), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, utf8, -1, text.data(), wide);
    BOOL lossy = FALSE;
    const int size =
        ::WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text.c_str(), -1, nullptr, 0, nullptr, &lossy);
    std::string narrow(static_cast<std::size_t>(size), '\0');
    ::WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text.c_str(), -1, narrow.data(), size, nullptr,
                          &lossy);
    if (lossy)
        return comsend::AnsiString::Unrepresentable(utf8);
    return {narrow.c_str()};
}
