// The contract of a window backend: what each one (qt/, win32/, chosen by
// CMake) supplies to the toolkit's shared code, and nothing else. The shared
// code decides when each comes up (application.cpp, controls.cpp,
// dispatch.cpp, progress.cpp); a backend only makes it.
//
// A backend defines, in its native.h, what stands behind the toolkit's
// objects: NativeApplication (the toolkit itself) and NativeForm (a form's
// window, with the controls the description built, in its order, which the
// controls find by their description). Where those types are complete, in
// the backend's sources, it defines these members of the toolkit's classes:
//
//   TApplication   constructor, destructor (the forms go before the
//                  toolkit), Initialize
//   TForm          constructor (the window and every control of the
//                  description), destructor, Show
//   TControl       GetText, SetText, GetEnabled, SetEnabled
//   ProgressBox    all of it (below)
//
// and the functions below.
#pragma once

#include "platform/ansistring.h"
#include "platform/controls.h"
#include "platform/form.h"
#include "platform/progress.h"

#include <cstddef>
#include <memory>
#include <string_view>

namespace comsend {

// Makes the button's click call TBitBtn::Click, and an OK button the form's
// default button.
void BindButton(TForm &Form, TBitBtn &Button);

// Makes Up and Down in the text box call TEdit::StepRecall, with the caret
// at the end of the text shown, except while the box is held.
void BindRecallKeys(TEdit &Edit);

// Holds the form's text boxes (its TEdit controls) while a handler runs, or
// lets them go: held, a box takes no change from the keyboard, the mouse,
// the input method, or a screen reader's or dictation tool's edit through
// the accessibility interface; only TControl::SetText changes it. It shows
// itself read-only meanwhile.
void HoldTextBoxes(TForm &Form, bool Hold);

// How many bytes the character at the start of the text takes in the
// system's narrow encoding (the locale's on POSIX, the ANSI code page on
// Windows): at least 1, a byte that starts no valid character counting as
// one; 0 for an empty text.
std::size_t NarrowCharacterLength(std::string_view Narrow);

// Runs the window loop until EndWindowLoops, which ends every loop that
// runs, a box's included.
void RunWindowLoop();
void EndWindowLoops();

enum class BoxKind { Message, Error };

// A modal box with the text and one acknowledge button, captioned with the
// program's name; returns when it is dismissed.
void ShowBox(BoxKind Kind, const AnsiString &Text);

// Whether the window toolkit has started (TApplication::Initialize).
bool ToolkitStarted();

// The box a long operation shows while it runs, from its construction to
// its destruction: a Cancel button only where the work can be cancelled, a
// bar only where its progress has a total. While it is up the rest of the
// program takes no input.
class ProgressBox {
public:
    explicit ProgressBox(const TProgressWork &Work);
    ProgressBox(const ProgressBox &) = delete;
    ProgressBox &operator=(const ProgressBox &) = delete;
    ~ProgressBox();

    // Handles the events waiting and, when asked to redraw, shows how far
    // the operation has got.
    void Update(bool Redraw);
    // Cancel pressed, the box closed, or the window system asked to quit.
    bool CancelRequested() const;

private:
    struct Window;
    std::unique_ptr<Window> window_;
};

// Where a progress box's bar stands, from 0 to kProgressScale.
inline constexpr int kProgressScale = 1000;
int ProgressPosition(const TProgress &Progress);

} // namespace comsend
