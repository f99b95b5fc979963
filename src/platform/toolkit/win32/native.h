// What stands behind the toolkit's objects in the Win32 backend (backend.h):
// a top-level window for each form, with a child window of a standard class
// for each control, and the common controls for the application. The
// backend's own sources and the Windows tests include this; the form code
// never does.
#pragma once

#include "annotations.h"
#include "handles.h"

#include "platform/application.h"
#include "platform/controls.h"
#include "platform/form.h"

#include <windows.h>

#include <vector>

namespace comsend {

// A control's window ID is its index in the form description plus this.
// The IDs stay clear of IDOK and IDCANCEL, which the dialog manager sends
// for Enter and Esc, and of 1001, the edit box inside a drop-down combo box.
inline constexpr int kFirstControlId = 100;

struct NativeForm {
    // The fonts and glyphs go after the windows that use them: they are
    // declared before the window.
    FontHandle font; // the form's own
    struct ControlFont {
        const TFontDescription *description;
        FontHandle handle;
    };
    std::vector<ControlFont> controlFonts; // one per description
    std::vector<IconHandle> glyphs;
    WindowHandle window;
    // Goes before the window, while its controls are there.
    AccessibleNotes notes;
    // Every control the description built, by its index there.
    std::vector<HWND> controls;
    // The bound buttons, by the same index; null for every other control.
    std::vector<TBitBtn *> buttons;
    TBitBtn *defaultButton = nullptr;
    // The control that has the focus while the window is active; kept while
    // another window is, and given the focus back on return.
    HWND focus = nullptr;
    // The screen's resolution when the form was built, and the one the
    // description was drawn at: its pixels are scaled by dpi / designPpi.
    int dpi = 96;
    int designPpi = 96;

    int Scaled(int pixels) const { return ::MulDiv(pixels, dpi, designPpi); }
};

struct NativeApplication {
    bool started = false; // Initialize has run
};

inline HWND HwndOf(const TControl &Control)
{
    const TForm &form = Control.Form();
    return form.Native().controls[form.Description().IndexOf(Control.Description())];
}

inline HWND WindowOf(const TForm &Form)
{
    return Form.Native().window.get();
}

} // namespace comsend
