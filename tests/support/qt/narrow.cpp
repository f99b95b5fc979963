#include "support/narrow.h"

#include "textcodec.h"

#include <QString>

comsend::AnsiString Narrow(const char *utf8)
{
    return comsend::ToAnsiString(QString::fromUtf8(utf8));
}
