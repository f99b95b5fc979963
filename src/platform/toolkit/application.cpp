// The parts of the application object that every backend shares: the global
// object, the runtime that makes it, the window loop's start and end, the
// message boxes' rule and the handlers' safety net.
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

void TApplication::Run()
{
    if (mainForm_ == nullptr || terminated_)
        return;
    mainForm_->Show();
    RunWindowLoop();
}

// Every running loop ends: the main one once the handler that may be
// running returns, a box's at once.
void TApplication::Terminate()
{
    terminated_ = true;
    EndWindowLoops();
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
