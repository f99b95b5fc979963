// The texts a text box can recall with Up and Down, as a shell recalls its
// commands: the ones added, newest first, below them the text being typed.
// Up from the typed text keeps it and shows the newest; Down past the
// newest brings the typed text back. A recalled text that is edited
// becomes the typed text, so no edit is lost by stepping on. Kept in
// memory only, for as long as the program runs.
#pragma once

#include "platform/ansistring.h"

#include <cstddef>
#include <deque>
#include <optional>

namespace comsend {

class TextRecall {
public:
    // The oldest go once there are this many.
    static constexpr std::size_t kKept = 100;

    // A text just taken up; the same text again straight after is kept once.
    void Add(const AnsiString &Text);

    // What Up (Older) or Down shows while the box holds Current; nothing
    // where there is no step to take.
    std::optional<AnsiString> Older(const AnsiString &Current);
    std::optional<AnsiString> Newer(const AnsiString &Current);

private:
    // Back at the typed text when the shown text was edited.
    void Follow(const AnsiString &Current);
    const AnsiString &Show(std::size_t Index);

    std::deque<AnsiString> texts_; // newest first
    std::optional<std::size_t> shown_;
    AnsiString typed_;
};

} // namespace comsend
