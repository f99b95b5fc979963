// The parts of the controls that every backend shares: binding to the
// control the form built, a text box's recall, and a button's click.
// Reading and setting a control's text and state is the backend's
// (backend.h).
#include "backend.h"
#include "dispatch.h"
#include "textrecall.h"

namespace comsend {

TControl::TControl(TForm *Owner, const char *Name, TControlClass Class)
    : TComponent(Owner), form_(*Owner), description_(Owner->DescribedControl(Name, Class))
{}

TEdit::TEdit(TForm *Owner, const char *Name)
    : TControl(Owner, Name, Class), recall_(std::make_unique<TextRecall>())
{
    BindRecallKeys(*this);
}

TEdit::~TEdit() = default;

void TEdit::AddRecall(const AnsiString &Text)
{
    recall_->Add(Text);
}

void TEdit::StepRecall(bool Older)
{
    const AnsiString current = GetText();
    if (const auto shown = Older ? recall_->Older(current) : recall_->Newer(current))
        SetText(*shown);
}

TBitBtn::TBitBtn(TForm *Owner, const char *Name)
    : TControl(Owner, Name, Class), onClick_(Owner->PublishedMethod(Description().OnClick))
{
    BindButton(*Owner, *this);
}

void TBitBtn::Click()
{
    if (GetEnabled())
        DispatchClick(onClick_, this, Form());
}

} // namespace comsend
