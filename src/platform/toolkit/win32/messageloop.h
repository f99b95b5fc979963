// The one way every loop of the backend handles a message: the keyboard of
// a window that contains controls (WS_EX_CONTROLPARENT: the forms and the
// progress box) goes through the dialog manager, so that Tab, Enter and Esc
// work there as in a dialog box; everything else is translated and sent to
// its window.
#pragma once

#include <windows.h>

namespace comsend {

void DispatchOne(MSG &Message);

// Handles every message that is waiting and returns. When WM_QUIT is among
// them it stops there and returns false with its exit code; the message is
// off the queue, and the caller posts it again once its own loop has ended,
// so that every loop it is nested in ends too.
bool PumpWaiting(int &QuitCode);

// The window a modal box belongs to: the one the user is working in, else
// the main form's.
HWND ModalOwner();

} // namespace comsend
