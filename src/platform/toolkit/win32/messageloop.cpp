#include "messageloop.h"

#include "native.h"

namespace comsend {

void DispatchOne(MSG &Message)
{
    HWND root = Message.hwnd != nullptr ? ::GetAncestor(Message.hwnd, GA_ROOT) : nullptr;
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

HWND ModalOwner()
{
    if (HWND active = ::GetActiveWindow())
        return active;
    if (Application != nullptr && Application->MainForm() != nullptr)
        return Application->MainForm()->Native().window.get();
    return nullptr;
}

} // namespace comsend
