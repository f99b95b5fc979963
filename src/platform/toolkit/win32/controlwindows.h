// The child window for each kind of control a form description places: a
// window of the standard class, with the description's text, font, size and
// start state, and the habits of its kind (the port box's list, a button's
// glyph, the text boxes' keys and input method, a label sizing itself).
#pragma once

#include "native.h"

namespace comsend {

// Creates the control with the description's index `index` in the form's
// window, scaled to the form's resolution; null when the system refused.
// Glyphs it draws are kept in the form.
HWND CreateControlWindow(const TControlDescription &d, int index, NativeForm &form, HFONT font);

// Sizes a label to its text in its font, from where it stands.
void FitToText(HWND Label);

} // namespace comsend
