// How the window loop calls the form's handlers: one at a time to the end,
// an exception that escapes one shown to the user and the loop going on.
// Both backends call clicks through here, and ask it what a close request
// does.
//
// A press that arrives while a handler runs (it may be waiting in a message
// box, a progress box or a long open) is dropped, however it was delivered:
// a click, a key, or a screen reader's press through the accessibility
// interface, which no box's input filter sees. So is a press of a disabled
// button. Dropped, not queued, as a click on a window behind a modal box is:
// the user acts again on what the box's outcome shows.
#pragma once

#include "platform/controls.h"
#include "platform/form.h"

namespace comsend {

// Runs the handler of a control on the form unless one is running already.
// Meanwhile the form's text boxes take no change from anywhere but the
// handler itself (HoldTextBoxes), so that what a handler writes into one
// never overwrites, and never empties away, a change made while it ran.
void DispatchClick(const TNotifyEvent &Handler, TObject *Sender, TForm &Form);

// A close request for a form's window. Closing the main form ends the
// program: the application terminates. While a handler runs the window
// stays until it has finished (Terminate cancels what it waits for), so the
// answer is whether the window may go now.
bool CloseRequested(TForm &Form);

} // namespace comsend
