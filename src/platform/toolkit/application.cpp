// The parts of the application object that every backend shares: the global
// object, the runtime that makes it, the message boxes' rule, the handlers'
// safety net and the lookup of what a form description names.
#include "backend.h"

#include "platform/application.h"
#include "platform/form.h"

#include <string>

namespace comsend {

TApplication *Application = nullptr;

namespace {

void ShowIfAnyoneIsLeft(BoxKind kind, const AnsiString &text)
{
    if (Application != nullptr && Application->Terminated())
        return; // nobody is left to read it
    ShowBox(kind, text);
}

} // namespace

void ShowMessage(const AnsiString &Msg)
{
    ShowIfAnyoneIsLeft(BoxKind::Message, Msg);
}

void TApplication::ShowException(const Exception &E)
{
    ShowIfAnyoneIsLeft(BoxKind::Error, E.Message);
}

void TApplication::HandleException(TObject * /*Sender*/)
{
    try {
        throw;
    } catch (const Exception &exception) {
        ShowException(exception);
    } catch (...) {
        ShowException(Exception(""));
    }
}

const TNotifyEvent &TForm::PublishedMethod(const char *Name) const
{
    static const TNotifyEvent none;
    if (Name == nullptr)
        return none;
    for (const auto &method : methods_) {
        if (std::string_view(method.Name) == Name)
            return method.Method;
    }
    throw Exception(AnsiString("The form has no handler " + std::string(Name)));
}

const TControlDescription &TForm::DescribedControl(const char *Name, TControlClass Class) const
{
    const TControlDescription *control = description_.Find(Name);
    if (control == nullptr || control->Class != Class)
        throw Exception(AnsiString("The form description has no control " + std::string(Name)));
    return *control;
}

ProgramRuntime::ProgramRuntime(const char *ProgramName)
    : application_(std::make_unique<TApplication>(ProgramName != nullptr ? ProgramName : "comsend"))
{
    Application = application_.get();
}

ProgramRuntime::~ProgramRuntime()
{
    Application = nullptr;
}

} // namespace comsend
