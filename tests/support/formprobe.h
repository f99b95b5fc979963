// Drives the main form through its real controls and real message boxes, as
// a user would, on whichever window backend the program is built with: the
// form tests are written once against this and run on every backend.
#pragma once

#include "support/buttonstates.h"
#include "tform1.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

struct Rect {
    int left;
    int top;
    int width;
    int height;
    friend bool operator==(const Rect &, const Rect &) = default;
};
std::ostream &operator<<(std::ostream &out, const Rect &r);

enum class Key { Tab, Enter, Escape, Up, Down };
// A key pressed, or one that only repeats because it has been held down
// since before.
enum class Stroke { Pressed, Repeated };

class FormProbe {
public:
    explicit FormProbe(comsend::TForm1 &form);
    FormProbe(const FormProbe &) = delete;
    FormProbe &operator=(const FormProbe &) = delete;

    // Shows the form and gives it the keyboard.
    void ShowAndActivate();

    // What the user sees. Texts are UTF-8.
    std::string WindowCaption() const;
    Rect WindowRect() const;                                  // on the screen, frame included
    Rect ControlRect(const comsend::TControl &control) const; // in the form's client area
    std::string Text(const comsend::TControl &control) const;
    std::vector<std::string> Items(const comsend::TComboBox &box) const;
    bool Editable(const comsend::TComboBox &box) const;
    // The size the control's current text needs in its font.
    Rect TextExtent(const comsend::TControl &control) const;
    ButtonStates States() const;
    // The control that has the keyboard focus, or nullptr.
    const comsend::TControl *Focused() const;
    // Whether the box, once it has the focus, has asked the input method
    // for Chinese entry.
    bool AsksForChineseInput(const comsend::TControl &box);

    // What the user does.
    void Focus(const comsend::TControl &control);
    // Replaces the box's text by typing it.
    void Type(const comsend::TControl &box, const std::string &text);
    // A key pressed on the focused control, in whichever window has the
    // keyboard (a box's, while one is up). A repeated key is left to the loop
    // that runs, as the keyboard's own would be.
    void Press(Key key, Stroke stroke = Stroke::Pressed);
    void Click(const comsend::TBitBtn &button);
    // A press through the accessibility interface, as a screen reader makes
    // it: AT-SPI's doAction on Linux, the BM_CLICK of UI Automation's Invoke
    // on Windows. Neither goes through a box's input filters.
    void AccessiblePress(const comsend::TBitBtn &button);
    // Edits through the accessibility interface, as a screen reader or a
    // dictation tool does: replaces the box's whole text, then inserts the
    // text at its start (AT-SPI's EditableText on Linux; WM_SETTEXT and
    // EM_REPLACESEL, as UI Automation and dictation send them, on Windows).
    void AccessibleEdit(const comsend::TControl &box, const std::string &text);
    // The text of the box that is up (a message box, or a progress box's
    // line), or "" where none is.
    std::string BoxUp() const;

private:
    bool HasFocus(const comsend::TControl &control) const;

    comsend::TForm1 &form_;
};

// A click on a button of any form, as the user's.
void ClickButton(const comsend::TBitBtn &button);

// Answers the message boxes that come up while `action` runs, as a user
// would: records the text of each, calls `whileUp` while it is up, and
// presses its one button.
struct AnsweredBoxes {
    std::vector<std::string> texts;
    int withOtherButtons = 0; // boxes that did not have exactly one button
};
AnsweredBoxes AnswerBoxes(const std::function<void()> &action, const std::function<void()> &whileUp = {});

// Runs `action` and, every 10 ms or so while one of the program's boxes is
// up (a message box or a progress box), calls `inBox` with its kind and its
// text, from the box's own loop. A message box is answered with its one
// button once `inBox` returns true for it; a progress box goes with its
// work. Returns the texts of the message boxes answered.
enum class ShownBox { Message, Progress };
std::vector<std::string>
ScriptBoxes(const std::function<void()> &action,
            const std::function<bool(ShownBox kind, const std::string &text)> &inBox);

// A port a Connect opens, and a name that names no port, on this platform.
// The far end of a port that reads takes whatever a test sends; one that
// has stopped takes nothing once its buffer is full.
enum class FarEnd { Reads, Stopped };
class TestPort {
public:
    explicit TestPort(FarEnd farEnd = FarEnd::Reads);
    TestPort(const TestPort &) = delete;
    TestPort &operator=(const TestPort &) = delete;
    ~TestPort();

    std::string Name() const;
    static std::string Missing();

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};
