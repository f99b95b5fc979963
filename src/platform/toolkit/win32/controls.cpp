// The controls over their windows. A label that sizes itself follows its
// text; a control that is disabled while it has the focus passes the focus
// on to the next control that takes it, so that the keyboard still works.
#include "controlwindows.h"
#include "native.h"
#include "textboxes.h"
#include "textcodec.h"
#include "toolkit/backend.h"

namespace comsend {

namespace {

bool HasFocus(HWND window)
{
    const HWND focus = ::GetFocus();
    return focus != nullptr && (focus == window || ::IsChild(window, focus));
}

} // namespace

AnsiString TControl::GetText() const
{
    return ToAnsiString(WindowText(HwndOf(*this)));
}

void TControl::SetText(const AnsiString &Text)
{
    HWND window = HwndOf(*this);
    const std::wstring text = FromAnsiString(Text);
    if (description_.Class == TControlClass::Edit)
        SetBoxText(window, text.c_str());
    else
        ::SetWindowTextW(window, text.c_str());
    if (description_.AutoSize)
        FitToText(window);
}

bool TControl::GetEnabled() const
{
    return ::IsWindowEnabled(HwndOf(*this)) != FALSE;
}

void TControl::SetEnabled(bool Value)
{
    HWND window = HwndOf(*this);
    if (!Value && HasFocus(window)) {
        HWND next = ::GetNextDlgTabItem(::GetParent(window), window, FALSE);
        if (next != nullptr && next != window)
            ::SetFocus(next);
    }
    ::EnableWindow(window, Value ? TRUE : FALSE);
}

void HoldTextBoxes(TForm &Form, bool Hold)
{
    const TFormDescription &description = Form.Description();
    for (std::size_t i = 0; i < description.Controls.size(); ++i) {
        if (description.Controls[i].Class == TControlClass::Edit)
            HoldTextBox(Form.Native().controls[i], Hold);
    }
}

void BindRecallKeys(TEdit &Edit)
{
    LetKeysRecall(HwndOf(Edit), Edit);
}

void BindButton(TForm &Form, TBitBtn &Button)
{
    NativeForm &form = Form.Native();
    form.buttons.at(Form.Description().IndexOf(Button.Description())) = &Button;
    if (Button.Description().Kind == TBitBtnKind::bkOK)
        form.defaultButton = &Button;
}

} // namespace comsend
