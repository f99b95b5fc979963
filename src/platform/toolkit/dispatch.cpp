#include "dispatch.h"

#include "backend.h"

#include "platform/application.h"

namespace comsend {

namespace {

int running = 0;

} // namespace

void DispatchClick(const TNotifyEvent &Handler, TObject *Sender, TForm &Form)
{
    if (!Handler || HandlerRunning())
        return;
    ++running;
    HoldTextBoxes(Form, true);
    try {
        Handler(Sender);
    } catch (...) {
        Application->HandleException(Sender);
    }
    HoldTextBoxes(Form, false);
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
