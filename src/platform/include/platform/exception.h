// The toolkit's exception: the one family that the top level reports with
// its message.
#pragma once

#include "ansistring.h"

#include <utility>

namespace comsend {

class Exception {
public:
    explicit Exception(AnsiString Msg) : Message(std::move(Msg)) {}
    Exception(const Exception &) = default;
    Exception &operator=(const Exception &) = default;
    virtual ~Exception() = default;

    AnsiString Message;
};

} // namespace comsend
