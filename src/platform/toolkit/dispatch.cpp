#include "dispatch.h"

#include "backend.h"

#include "platform/application.h"

namespace comsend {

namespace {

int running = 0;

bool HandlerRunning()
{
    return running > 0;
}

// A handler's run, ended however it ends: even where showing its error
// throws, the next press is taken and the text boxes take typing again.
class HandlerRun {
public:
    explicit HandlerRun(TForm &Form) : form_(Form)
    {
        ++running;
        HoldTextBoxes(form_, true);
    }
    HandlerRun(const HandlerRun &) = delete;
    HandlerRun &operator=(const HandlerRun &) = delete;
    ~HandlerRun()
    {
        HoldTextBoxes(form_, false);
        --running;
    }

private:
    TForm &form_;
};

} // namespace

void DispatchClick(const TNotifyEvent &Handler, TObject *Sender, TForm &Form)
{
    if (!Handler || HandlerRunning())
        return;
    const HandlerRun run(Form);
    try {
        Handler(Sender);
    } catch (...) {
        Application->HandleException(Sender);
    }
}

bool CloseRequested(TForm &Form)
{
    const bool mainForm = Application != nullptr && Application->MainForm() == &Form;
    if (mainForm)
        Application->Terminate();
    return !(mainForm && HandlerRunning());
}

} // namespace comsend
