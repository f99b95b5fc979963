// The parts of the application object that every backend shares: the global
// object, the runtime that makes it, the handlers' safety net and the
// lookup of published handlers.
#include "platform/application.h"
#include "platform/form.h"

#include <string>

namespace comsend {

TApplication *Application = nullptr;

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
