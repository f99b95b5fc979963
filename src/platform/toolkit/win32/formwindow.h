// The window of a form: a top-level window whose keyboard the dialog manager
// runs (Tab, Enter, Esc; see messageloop.h), whose buttons' clicks call
// their handlers, and whose close request ends the program once the
// handler that may be running has finished.
#pragma once

#include "native.h"

#include <string>

namespace comsend {

// Registers the window class of the forms with this description name (the
// class is named after the form's class, "T" + name) and returns its name.
std::wstring RegisterFormClass(const TFormDescription &Description);

// Gives the focus back to the control that had it, or else to the first
// control that takes it.
void RestoreFocus(const NativeForm &Form);

} // namespace comsend
