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

#include "platform/form.h"

#include <commctrl.h>

#include <utility>

namespace comsend {

namespace {

// The box's owner: the window the user is working in, else the main form.
HWND BoxOwner()
{
    if (HWND active = ::GetActiveWindow())
        return active;
    if (Application != nullptr && Application->MainForm() != nullptr)
        return Application->MainForm()->Native().window.get();
    return nullptr;
}

void ShowBox(UINT icon, const AnsiString &text)
{
    if (Application != nullptr && Application->Terminated())
        return; // nobody is left to read it
    const std::wstring title = Application != nullptr ? FromAnsiString(Application->Title().c_str()) : L"";
    ::MessageBoxW(BoxOwner(), FromAnsiString(text).c_str(), title.c_str(), MB_OK | icon);
}

} // namespace

TApplication::TApplication(std::string ProgramName)
    : TComponent(nullptr), programName_(std::move(ProgramName)),
      native_(std::make_unique<NativeApplication>())
{}

TApplication::~TApplication()
{
    // The forms own windows; they go before the application does.
    mainForm_ = nullptr;
    DestroyComponents();
}

void TApplication::Initialize()
{
    // Nothing on the command line has any effect. Windows always has a
    // desktop to show the window on, so there is nothing to check for.
    native_->instance = ::GetModuleHandleW(nullptr);
    INITCOMMONCONTROLSEX controls{};
    controls.dwSize = sizeof controls;
    controls.dwICC = ICC_STANDARD_CLASSES | ICC_PROGRESS_CLASS;
    ::InitCommonControlsEx(&controls);
    native_->started = true;
}

void TApplication::Run()
{
    if (mainForm_ == nullptr || terminated_)
        return;
    mainForm_->Show();
    MSG message{};
    while (::GetMessageW(&message, nullptr, 0, 0) > 0)
        DispatchOne(message);
}

void TApplication::ProcessMessages()
{
    int quitCode = 0;
    if (!PumpWaiting(quitCode))
        ::PostQuitMessage(quitCode);
}

void TApplication::ShowException(const Exception &E)
{
    ShowBox(MB_ICONERROR, E.Message);
}

void TApplication::Terminate()
{
    terminated_ = true;
    ::PostQuitMessage(0);
}

void ShowMessage(const AnsiString &Msg)
{
    ShowBox(0, Msg);
}

} // namespace comsend
