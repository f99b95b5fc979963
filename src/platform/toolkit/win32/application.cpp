// The application object on Win32: the common controls, the window loop,
// message boxes, and the end of the program on a close request.
//
// Terminate posts WM_QUIT. Every loop ends on it: the main loop here, a
// message box's (which posts it again as it returns) and the progress box's
// (progress.cpp), so that a handler waiting in one of them gets control back
// and finishes, after which the main loop ends too.
#include "messageloop.h"
#include "native.h"
#include "textcodec.h"
#include "toolkit/backend.h"

#include <commctrl.h>

#include <utility>

namespace comsend {

namespace {

// The message box's own loop offers each message to the thread's filter
// hooks first: a key that repeats is dropped there, as in the boxes that
// the backend's own loops run.
LRESULT CALLBACK DropKeyRepeats(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == MSGF_DIALOGBOX && IsKeyRepeat(*reinterpret_cast<const MSG *>(lParam)))
        return TRUE;
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

} // namespace

void ShowBox(BoxKind Kind, const AnsiString &Text)
{
    const std::wstring title = Application != nullptr ? FromAnsiString(Application->Title().c_str()) : L"";
    HHOOK hook = ::SetWindowsHookExW(WH_MSGFILTER, DropKeyRepeats, nullptr, ::GetCurrentThreadId());
    ::MessageBoxW(ModalOwner(), FromAnsiString(Text).c_str(), title.c_str(),
                  MB_OK | (Kind == BoxKind::Error ? MB_ICONERROR : 0U));
    if (hook != nullptr)
        ::UnhookWindowsHookEx(hook);
}

bool ToolkitStarted()
{
    return Application != nullptr && Application->Native().started;
}

TApplication::TApplication(std::string ProgramName)
    : TComponent(nullptr), programName_(std::move(ProgramName)),
      native_(std::make_unique<NativeApplication>())
{}

// The forms go first: their windows' last messages still find the
// application whole.
TApplication::~TApplication()
{
    mainForm_ = nullptr;
    DestroyComponents();
}

void TApplication::Initialize()
{
    // Nothing on the command line has any effect. Windows always has a
    // desktop to show the window on, so there is nothing to check for.
    INITCOMMONCONTROLSEX controls{};
    controls.dwSize = sizeof controls;
    controls.dwICC = ICC_STANDARD_CLASSES | ICC_PROGRESS_CLASS;
    ::InitCommonControlsEx(&controls);
    native_->started = true;
}

void RunWindowLoop()
{
    MSG message{};
    while (::GetMessageW(&message, nullptr, 0, 0) > 0)
        DispatchOne(message);
}

void EndWindowLoops()
{
    ::PostQuitMessage(0);
}

} // namespace comsend
