// The controls a form description places, seen through the operations the
// form code uses: read and set the text, enable and disable, for a text box
// the texts Up and Down recall, and for a button, the handler its click
// calls. Each one stands for the control its form's window built from the
// description under its name; the window backend finds it there.
#pragma once

#include "ansistring.h"
#include "component.h"
#include "formdescription.h"

#include <functional>
#include <memory>

namespace comsend {

class TForm;
class TextRecall;

using TNotifyEvent = std::function<void(TObject *Sender)>;

class TControl : public TComponent {
public:
    // Takes over the control the form built from its description under Name;
    // throws an Exception when there is none of the expected class.
    TControl(TForm *Owner, const char *Name, TControlClass Class);

    AnsiString GetText() const;
    void SetText(const AnsiString &Text);
    bool GetEnabled() const;
    void SetEnabled(bool Value);

    const TControlDescription &Description() const { return description_; }
    // The form whose window holds the control.
    TForm &Form() const { return form_; }

private:
    TForm &form_;
    const TControlDescription &description_;
};

class TLabel : public TControl {
public:
    static constexpr TControlClass Class = TControlClass::Label;
    TLabel(TForm *Owner, const char *Name) : TControl(Owner, Name, Class) {}
};

class TComboBox : public TControl {
public:
    static constexpr TControlClass Class = TControlClass::ComboBox;
    TComboBox(TForm *Owner, const char *Name) : TControl(Owner, Name, Class) {}
};

class TEdit : public TControl {
public:
    static constexpr TControlClass Class = TControlClass::Edit;
    TEdit(TForm *Owner, const char *Name);
    ~TEdit() override;

    // Adds a text to those that Up and Down step through in the box, newest
    // first, below them the text being typed (toolkit/textrecall.h).
    void AddRecall(const AnsiString &Text);
    // Up (Older) or Down pressed in the box: shows the text it steps to, if
    // there is one, through SetText, so that it is the box's own text for
    // every reader. Not while the box is held (toolkit/backend.h).
    void StepRecall(bool Older);

private:
    std::unique_ptr<TextRecall> recall_;
};

class TMemo : public TControl {
public:
    static constexpr TControlClass Class = TControlClass::Memo;
    TMemo(TForm *Owner, const char *Name) : TControl(Owner, Name, Class) {}
};

class TBitBtn : public TControl {
public:
    static constexpr TControlClass Class = TControlClass::BitBtn;
    TBitBtn(TForm *Owner, const char *Name);

    // Runs the click handler the way the window loop does: not while the
    // button is disabled or another handler runs; an exception that escapes
    // it is shown, and the loop goes on.
    void Click();

private:
    TNotifyEvent onClick_;
};

} // namespace comsend
