// Input habits of the text boxes that the standard edit control lacks,
// added by subclassing: a box that asks the input method for Chinese entry
// whenever it gets the focus, and a memo that Tab and Esc leave.
#pragma once

#include <windows.h>

namespace comsend {

// While the box has focus, the input method is open in its native
// (Chinese) conversion mode.
void AskForChineseInput(HWND Box);

// Tab and Shift+Tab move to the next control and Esc goes to the window, as
// in a single-line box; Enter still starts a new line.
void LetKeysLeaveMemo(HWND Memo);

} // namespace comsend
