// The one way every loop of the backend handles a message: the keyboard of
// a window that contains controls (WS_EX_CONTROLPARENT: the forms and the
// boxes) goes through the dialog manager, so that Tab, Enter and Esc work
// there as in a dialog box; a key that repeats in a box is dropped;
// everything else is translated and sent to its window.
#pragma once

#include <windows.h>

namespace comsend {

void DispatchOne(MSG &Message);

// Handles every message that is waiting and returns. When WM_QUIT is among
// them it stops there and returns false with its exit code; the message is
// off the queue, and the caller posts it again once its own loop has ended,
// so that every loop it is nested in ends too.
bool PumpWaiting(int &QuitCode);

// A key message that only repeats a key held down since before (bit 30 of
// its lParam). It never acts in a box (a message box or a progress box), so
// that the Enter that started a Send, still held when its progress box
// appears, does not cancel it, nor dismiss the message that follows.
bool IsKeyRepeat(const MSG &Message);

// The window class of the progress box.
inline constexpr wchar_t kProgressBoxClass[] = L"comsendProgressBox";

// The window a modal box belongs to: the one the user is working in, else
// the main form's.
HWND ModalOwner();

} // namespace comsend
