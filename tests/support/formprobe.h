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

enum class Key { Tab, Enter, Escape };

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
    // A key pressed on the focused control.
    void Press(Key key);
    void Click(const comsend::TBitBtn &button);

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

// A port a Connect opens, and a name that names no port, on this platform.
class TestPort {
public:
    TestPort();
    TestPort(const TestPort &) = delete;
    TestPort &operator=(const TestPort &) = delete;
    ~TestPort();

    std::string Name() const;
    static std::string Missing();

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};
