// The parts of the controls that every backend shares: binding to the
// control the form built, and a button's click. Reading and setting a
// control's text and state is the backend's (qt/controls.cpp,
// win32/controls.cpp).
#include "backend.h"
#include "dispatch.h"

namespace comsend {

TControl::TControl(TForm *Owner, const char *Name, TControlClass Class)
    : TComponent(Owner), description_(Owner->DescribedControl(Name, Class)),
      native_(MakeNativeControl(*Owner, description_))
{}

TControl::~TControl() = default;

TBitBtn::TBitBtn(TForm *Owner, const char *Name)
    : TControl(Owner, Name, Class), form_(*Owner), onClick_(Owner->PublishedMethod(Description().OnClick))
{
    BindButton(*Owner, *this);
}

void TBitBtn::Click()
{
    if (GetEnabled())
        DispatchClick(onClick_, this, form_);
}

} // namespace comsend
