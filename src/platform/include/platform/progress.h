// Work that takes longer than a click should: the window loop runs it in
// short steps, and once it has taken longer than a moment, shows a modal box
// with how far it has got and a Cancel button, so that the windows keep
// painting and the user keeps a way out.
#pragma once

#include "ansistring.h"

#include <chrono>
#include <cstdint>

namespace comsend {

class TLongOperation {
public:
    TLongOperation() = default;
    TLongOperation(const TLongOperation &) = delete;
    TLongOperation &operator=(const TLongOperation &) = delete;
    virtual ~TLongOperation() = default;

    // Does a short piece of the work, a tenth of a second at most; false
    // once the work has ended, done or not.
    virtual bool Step() = 0;
    // Asks the work to end as soon as it can; Step says when it has.
    virtual void Cancel() = 0;

    // How far it has got, for the box.
    virtual std::uint64_t Done() const = 0;
    virtual std::uint64_t Total() const = 0;
    virtual AnsiString Describe() const = 0;
};

// How long an operation runs before its box appears: one that ends sooner
// shows nothing.
inline constexpr std::chrono::milliseconds kProgressDelay{500};

// Runs the operation to its end. While the box is up the form takes no
// input, a close request cancels the operation, and Cancel does too.
// Without a window toolkit (no application object) it runs without a box.
void RunWithProgress(TLongOperation &Operation);

} // namespace comsend
