#include "dispatch.h"

#include "platform/application.h"

namespace comsend {

namespace {

int running = 0;

} // namespace

void DispatchClick(const TNotifyEvent &Handler, TObject *Sender)
{
    if (!Handler || HandlerRunning())
        return;
    ++running;
    try {
        Handler(Sender);
    } catch (...) {
        Application->HandleException(Sender);
    }
    --running;
}

bool HandlerRunning()
{
    return running > 0;
}

bool CloseRequested(TForm &Form)
{
    const bool mainForm = Application != nullptr && Application->MainForm() == &Form;
    if (mainForm)
        Application->Terminate();
    return !(mainForm && HandlerRunning());
}

} // namespace comsend
