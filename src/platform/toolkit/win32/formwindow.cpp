// The dialog manager's part: IsDialogMessage turns Enter into a click on the
// button DM_GETDEFID names and Esc into IDCANCEL. Enter on a focused button
// clicks that button; elsewhere it clicks the default button while it is
// enabled, and does nothing while it is not. Esc does nothing.
#include "formwindow.h"

#include "textcodec.h"
#include "toolkit/dispatch.h"

namespace comsend {

namespace {

TForm *FormOf(HWND window)
{
    return reinterpret_cast<TForm *>(::GetWindowLongPtrW(window, GWLP_USERDATA));
}

// The button Enter clicks: the focused one, else the enabled default one.
LRESULT DefaultButtonId(const NativeForm &form)
{
    const HWND focus = ::GetFocus();
    for (std::size_t i = 0; i < form.buttons.size(); ++i) {
        if (form.buttons[i] != nullptr && form.controls[i] == focus && ::IsWindowEnabled(focus))
            return MAKELRESULT(kFirstControlId + i, DC_HASDEFID);
    }
    if (form.defaultButton != nullptr && form.defaultButton->GetEnabled())
        return MAKELRESULT(::GetDlgCtrlID(HwndOf(*form.defaultButton)), DC_HASDEFID);
    return 0; // the dialog manager then sends IDOK, which nothing answers
}

// A click of a bound button, in a window that takes input: a click arriving
// while a modal box has the window disabled is dropped (a disabled button
// drops its own).
void Command(const NativeForm &form, WPARAM wParam, LPARAM lParam)
{
    const int index = LOWORD(wParam) - kFirstControlId;
    if (HIWORD(wParam) != BN_CLICKED || index < 0 || static_cast<std::size_t>(index) >= form.buttons.size())
        return;
    TBitBtn *button = form.buttons[static_cast<std::size_t>(index)];
    const auto source = reinterpret_cast<HWND>(lParam);
    if (button != nullptr && source == form.controls[static_cast<std::size_t>(index)]
        && ::IsWindowEnabled(form.window.get()))
        button->Click();
}

LRESULT Handle(TForm &form, HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    NativeForm &native = form.Native();
    switch (message) {
    case WM_COMMAND:
        Command(native, wParam, lParam);
        return 0;
    case DM_GETDEFID:
        return DefaultButtonId(native);
    case WM_CLOSE:
        if (CloseRequested(form))
            ::ShowWindow(window, SW_HIDE);
        return 0;
    case WM_ACTIVATE:
        if (LOWORD(wParam) == WA_INACTIVE) {
            const HWND focus = ::GetFocus();
            if (focus != nullptr && ::IsChild(window, focus))
                native.focus = focus;
        } else {
            RestoreFocus(native);
        }
        return 0;
    case WM_SETFOCUS:
        RestoreFocus(native);
        return 0;
    case WM_ENDSESSION:
        // Windows is shutting down or logging off: as a close request.
        if (wParam != FALSE && Application != nullptr)
            Application->Terminate();
        return 0;
    default:
        return ::DefWindowProcW(window, message, wParam, lParam);
    }
}

LRESULT CALLBACK FormWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCCREATE) {
        const auto *creation = reinterpret_cast<const CREATESTRUCTW *>(lParam);
        ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(creation->lpCreateParams));
    }
    TForm *form = FormOf(window);
    // Until the form has its window, and once it is being destroyed, the
    // window is a plain one.
    if (form == nullptr || form->Native().window.get() != window)
        return ::DefWindowProcW(window, message, wParam, lParam);
    // No exception may cross the system's frames; the handlers' own are
    // shown by their dispatch, so only a failure to show one ends here.
    try {
        return Handle(*form, window, message, wParam, lParam);
    } catch (...) {
        return 0;
    }
}

} // namespace

std::wstring RegisterFormClass(const TFormDescription &Description)
{
    std::wstring name = L"T" + WideFromUtf8(Description.Name);
    HINSTANCE instance = ::GetModuleHandleW(nullptr);
    WNDCLASSEXW windowClass{};
    if (::GetClassInfoExW(instance, name.c_str(), &windowClass))
        return name;
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = FormWindowProc;
    windowClass.hInstance = instance;
    // The program's icon, where the executable carries one (tests do not).
    windowClass.hIcon =
        static_cast<HICON>(::LoadImageW(instance, L"MAINICON", IMAGE_ICON, ::GetSystemMetrics(SM_CXICON),
                                        ::GetSystemMetrics(SM_CYICON), LR_SHARED));
    windowClass.hIconSm =
        static_cast<HICON>(::LoadImageW(instance, L"MAINICON", IMAGE_ICON, ::GetSystemMetrics(SM_CXSMICON),
                                        ::GetSystemMetrics(SM_CYSMICON), LR_SHARED));
    windowClass.hCursor = ::LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = name.c_str();
    ::RegisterClassExW(&windowClass);
    return name;
}

void RestoreFocus(const NativeForm &Form)
{
    const HWND window = Form.window.get();
    HWND target = Form.focus;
    if (target == nullptr || !::IsWindow(target) || !::IsChild(window, target) || !::IsWindowEnabled(target)
        || !::IsWindowVisible(target))
        target = ::GetNextDlgTabItem(window, nullptr, FALSE);
    if (target != nullptr)
        ::SetFocus(target);
}

} // namespace comsend
