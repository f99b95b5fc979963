// How the window loop calls the form's handlers: one at a time to the end,
// an exception that escapes one shown to the user and the loop going on.
// Both backends call clicks through here, and ask it what a close request
// does.
#pragma once

#include "platform/controls.h"
#include "platform/form.h"

namespace comsend {

void DispatchClick(const TNotifyEvent &Handler, TObject *Sender);

bool HandlerRunning();

// A close request for a form's window. Closing the main form ends the
// program: the application terminates. While a handler runs the window
// stays until it has finished (Terminate cancels what it waits for), so the
// answer is whether the window may go now.
bool CloseRequested(TForm &Form);

} // namespace comsend
