// The controls over their windows. A label that sizes itself follows its
// text; a control that is disabled while it has the focus passes the focus
// on to the next control that takes it, so that the keyboard still works.
#include "controlwindows.h"
#include "native.h"
#include "textcodec.h"

namespace comsend {

namespace {

bool HasFocus(HWND window)
{
    const HWND focus = ::GetFocus();
    return focus != nullptr && (focus == window || ::IsChild(window, focus));
}

} // namespace

TControl::TControl(TForm *Owner, const char *Name, TControlClass Class)
    : TComponent(Owner), description_(Owner->DescribedControl(Name, Class)),
      native_(std::make_unique<NativeControl>(
          NativeControl{Owner->Native().controls.at(Owner->Description().IndexOf(description_))}))
{}

TControl::~TControl() = default;

AnsiString TControl::GetText() const
{
    return ToAnsiString(WindowText(native_->window));
}

void TControl::SetText(const AnsiString &Text)
{
    ::SetWindowTextW(native_->window, FromAnsiString(Text).c_str());
    if (description_.AutoSize)
        FitToText(native_->window);
}

bool TControl::GetEnabled() const
{
    return ::IsWindowEnabled(native_->window) != FALSE;
}

void TControl::SetEnabled(bool Value)
{
    HWND window = native_->window;
    if (!Value && HasFocus(window)) {
        HWND next = ::GetNextDlgTabItem(::GetParent(window), window, FALSE);
        if (next != nullptr && next != window)
            ::SetFocus(next);
    }
    ::EnableWindow(window, Value ? TRUE : FALSE);
}

TBitBtn::TBitBtn(TForm *Owner, const char *Name)
    : TControl(Owner, Name, Class), onClick_(Owner->PublishedMethod(Description().OnClick))
{
    NativeForm &form = Owner->Native();
    form.buttons.at(Owner->Description().IndexOf(Description())) = this;
    if (Description().Kind == TBitBtnKind::bkOK)
        form.defaultButton = this;
}

} // namespace comsend
