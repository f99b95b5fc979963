// Conversion between the widgets' text and the narrow text of AnsiString,
// in the codeset of the current locale: Qt's text as UTF-8, and UTF-8 in the
// codeset as POSIX converts it (posix/narrowtext.h). This is the only place
// where the widgets' text is converted.
#pragma once

#include "platform/ansistring.h"

#include <optional>
#include <string>

class QString;

namespace comsend {

// The text in the named codeset (as iconv names it), or nothing when a
// character has no form there or the text holds a NUL. Never substitutes.
std::optional<std::string> EncodeText(const QString &text, const char *codeset);

// The narrow text read in the named codeset; bytes that are not valid there
// show as U+FFFD.
QString DecodeText(const std::string &narrow, const char *codeset);

// The same in the codeset of the current locale.
AnsiString ToAnsiString(const QString &text);
QString FromAnsiString(const AnsiString &text);

} // namespace comsend
