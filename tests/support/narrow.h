// Text in the system's narrow encoding, made from UTF-8 the way the window
// toolkit makes it from what the user typed.
#pragma once

#include "platform/ansistring.h"

comsend::AnsiString Narrow(const char *utf8);
