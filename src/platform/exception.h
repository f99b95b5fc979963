// The toolkit's exception: the one family that the top level reports with
// its message.
#pragma once

#include "ansistring.h"

class Exception {
public:
    explicit Exception(const AnsiString &Msg) : Message(Msg) {}
    Exception(const Exception &) = default;
    Exception &operator=(const Exception &) = default;
    virtual ~Exception() = default;

    AnsiString Message;
};
