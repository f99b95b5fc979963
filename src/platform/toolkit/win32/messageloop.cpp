#include "messageloop.h"

#include "native.h"

#include <string_view>

namespace comsend {

namespace {

// A message box (the dialog class) or a progress box.
bool IsBox(HWND window)
{
    wchar_t name[32] = {};
    ::GetClassNameW(window, name, 32);
    return std::wstring_view(name) == L"#32770" || std::wstring_view(name) == kProgressBoxClass;
}

} // namespace

void DispatchOne(MSG &Message)
{
    HWND root = Message.hwnd != nullptr ? ::GetAncestor(Message.hwnd, GA_ROOT) : nullptr;
    if (root != nullptr && IsKeyRepeat(Message) && IsBox(root))
        return;
    if (root != nullptr && (::GetWindowLongPtrW(root, GWL_EXSTYLE) & WS_EX_CONTROLPARENT) != 0
        && ::IsDialogMessageW(root, &Message))
        return;
    ::TranslateMessage(&Message);
    ::DispatchMessageW(&Message);
}

bool PumpWaiting(int &QuitCode)
{
    MSG message{};
    while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            QuitCode = static_cast<int>(message.wParam);
            return false;
        }
        DispatchOne(message);
    }
    return true;
}

bool IsKeyRepeat(const MSG &Message)
{
    const bool key = Message.message == WM_KEYDOWN || Message.message == WM_SYSKEYDOWN
                     || Message.message == WM_CHAR || Message.message == WM_SYSCHAR;
    return key && (Message.lParam & (LPARAM{1} << 30)) != 0;
}

HWND ModalOwner()
{
    if (HWND active = ::GetActiveWindow())
        return active;
    if (Application != nullptr && Application->MainForm() != nullptr)
        return Application->MainForm()->Native().window.get();
    return nullptr;
}

} // namespace comsend
