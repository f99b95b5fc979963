// Input habits of the text boxes that the standard edit control lacks,
// added by subclassing: a box that asks the input method for Chinese entry
// whenever it gets the focus, a memo that Tab and Esc leave, a box in which
// Up and Down recall texts, and a box held while a handler runs
// (toolkit/backend.h).
#pragma once

#include <windows.h>

namespace comsend {

class TEdit;

// While the box has focus, the input method is open in its native
// (Chinese) conversion mode.
void AskForChineseInput(HWND Box);

// Tab and Shift+Tab move to the next control and Esc goes to the window, as
// in a single-line box; Enter still starts a new line.
void LetKeysLeaveMemo(HWND Memo);

// Up and Down, which a single-line box takes as Left and Right, step
// through the texts the box recalls (toolkit/textrecall.h), the caret at
// the end of the text shown; not while the box is read-only (held).
void LetKeysRecall(HWND Box, TEdit &Edit);

// Held, the box is read-only, which stops the keyboard, the mouse and the
// input method and tells UI Automation that it takes no value; but
// WM_SETTEXT and EM_REPLACESEL, as UI Automation's SetValue and dictation
// tools send them, change a read-only box too, so they are dropped as well,
// and so is every other message that edits.
void HoldTextBox(HWND Box, bool Hold);

// Sets the box's text, held or not.
void SetBoxText(HWND Box, const wchar_t *Text);

} // namespace comsend
