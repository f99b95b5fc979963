// Conversion between the windows' UTF-16 text and the narrow text of
// AnsiString, in the system's ANSI code page (GetACP: 950 on a Traditional
// Chinese system; 65001, UTF-8 itself, where Windows is set to use UTF-8 for
// programs that are not Unicode). This is the only place where that
// conversion happens, and it takes the code page as it is, never CP_ACP,
// whose rules would be those of no code page in particular.
// A character the code page has no form for is never replaced by '?' or a
// look-alike: the text is kept as Unrepresentable instead.
#pragma once

#include "platform/ansistring.h"

#include <windows.h>

#include <optional>
#include <string>
#include <string_view>

namespace comsend {

// The text in the code page (a number, as GetACP gives it), or nothing when
// a character has no exact form there or the text holds a NUL or a lone
// surrogate.
std::optional<std::string> EncodeText(std::wstring_view text, UINT codePage);

// The narrow text read in the code page; bytes that are not valid there
// show as U+FFFD.
std::wstring DecodeText(std::string_view narrow, UINT codePage);

std::wstring WideFromUtf8(std::string_view utf8);
std::string Utf8FromWide(std::wstring_view wide);

// The same in the ANSI code page.
AnsiString ToAnsiString(std::wstring_view text);
std::wstring FromAnsiString(const AnsiString &text);

// A window's whole text.
std::wstring WindowText(HWND window);

} // namespace comsend
