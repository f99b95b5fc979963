// Work that takes longer than a click should: the window loop runs it in
// short steps, and once it has taken longer than a moment, shows a modal box
// with what it is doing, how far it has got and, where the work can stop
// early, a Cancel button, so that the windows keep painting and the user
// keeps a way out.
#pragma once

#include "ansistring.h"

#include <chrono>
#include <cstdint>
#include <functional>

namespace comsend {

// What the box shows: a line of text and, where Total is not 0, a bar.
struct TProgress {
    AnsiString Text;
    std::uint64_t Done = 0;
    std::uint64_t Total = 0;
};

struct TProgressWork {
    // Does a short piece of the work, a tenth of a second at most; false
    // once the work has ended, done or not.
    std::function<bool()> Step;
    // Asks the work to end as soon as it can; Step says when it has. Work
    // without one cannot be cut short: its box has no Cancel button, and a
    // close request waits for it.
    std::function<void()> Cancel;
    std::function<TProgress()> Progress;
};

// How long work runs before its box appears: work that ends sooner shows
// nothing, nor does work whose count is complete and that only waits for
// its end.
inline constexpr std::chrono::milliseconds kProgressDelay{500};

// Runs the work to its end. While the box is up the form takes no input, a
// close request cancels the work, and Cancel does too. Without a window
// toolkit (no application object) it runs without a box.
void RunWithProgress(const TProgressWork &Work);

} // namespace comsend
