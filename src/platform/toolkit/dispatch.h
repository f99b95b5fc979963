// How the window loop calls the form's handlers: one at a time to the end,
// an exception that escapes one shown to the user and the loop going on.
// Both backends call clicks through here, and ask it whether a handler is
// still running before they act on a close request.
#pragma once

#include "platform/controls.h"

namespace comsend {

void DispatchClick(const TNotifyEvent &Handler, TObject *Sender);

bool HandlerRunning();

} // namespace comsend
