// Owners for the GDI and USER objects the backend creates (fonts, icons,
// windows), so that every one is given back exactly once, however a
// form's creation ends.
#pragma once

#include <windows.h>

#include <memory>
#include <type_traits>

namespace comsend {

struct GdiObjectDeleter {
    void operator()(HGDIOBJ object) const { ::DeleteObject(object); }
};
struct IconDeleter {
    void operator()(HICON icon) const { ::DestroyIcon(icon); }
};

// A window is cut off from its owner object before it goes, so that the
// messages its destruction sends never reach an object being destroyed.
struct WindowDeleter {
    void operator()(HWND window) const
    {
        ::SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        ::DestroyWindow(window);
    }
};

using FontHandle = std::unique_ptr<std::remove_pointer_t<HFONT>, GdiObjectDeleter>;
using IconHandle = std::unique_ptr<std::remove_pointer_t<HICON>, IconDeleter>;
using WindowHandle = std::unique_ptr<std::remove_pointer_t<HWND>, WindowDeleter>;

} // namespace comsend
