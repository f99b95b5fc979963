#include "support/narrow.h"

#include "textcodec.h"

// In the ANSI code page, by the conversion the text boxes hand typed text
// to the form with.
comsend::AnsiString Narrow(const char *utf8)
{
    return comsend::ToAnsiString(comsend::WideFromUtf8(utf8));
}
