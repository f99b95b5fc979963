// The progress box on Win32: an owned popup window with the work's text
// and, where the work has them, a progress bar and a Cancel button. While it is up its owner is
// disabled, so the form takes no input, but a close request still reaches
// the form, which then ends the program (formwindow.cpp): the WM_QUIT that
// follows cancels the work here and is posted again afterwards. Cancel,
// Esc and closing the box cancel it too.
#include "fonts.h"
#include "messageloop.h"
#include "native.h"
#include "textcodec.h"
#include "toolkit/backend.h"

#include <commctrl.h>

#include <memory>
#include <string>

namespace comsend {

namespace {

// The box's layout in pixels at 96 dpi.
constexpr int kMargin = 12;
constexpr int kInnerWidth = 300;
constexpr int kTextHeight = 16;
constexpr int kBarHeight = 18;
constexpr int kButtonWidth = 75;
constexpr int kButtonHeight = 23;
constexpr int kGap = 10;

LRESULT CALLBACK BoxProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto *cancelled = reinterpret_cast<bool *>(::GetWindowLongPtrW(window, GWLP_USERDATA));
    const bool cancel = (message == WM_COMMAND && LOWORD(wParam) == IDCANCEL) || message == WM_CLOSE;
    if (cancel && cancelled != nullptr) {
        *cancelled = true;
        return 0;
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

void RegisterBoxClass(HINSTANCE instance)
{
    WNDCLASSEXW windowClass{};
    if (::GetClassInfoExW(instance, kProgressBoxClass, &windowClass))
        return;
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = BoxProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = ::LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = kProgressBoxClass;
    ::RegisterClassExW(&windowClass);
}

} // namespace

struct ProgressBox::Window {
    Window(const TProgressWork &work, HWND owner) : work_(work), owner_(owner)
    {
        HINSTANCE instance = ::GetModuleHandleW(nullptr);
        RegisterBoxClass(instance);
        const int dpi = ScreenDpi();
        const auto px = [dpi](int pixels) { return ::MulDiv(pixels, dpi, 96); };
        const bool withBar = work_.Progress().Total != 0;
        const bool withCancel = static_cast<bool>(work_.Cancel);
        const int inner =
            kTextHeight + (withBar ? kGap + kBarHeight : 0) + (withCancel ? kGap + kButtonHeight : 0);
        RECT frame{0, 0, px(2 * kMargin + kInnerWidth), px(2 * kMargin + inner)};
        const DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU;
        const DWORD exStyle = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;
        ::AdjustWindowRectEx(&frame, style, FALSE, exStyle);
        const std::wstring title = FromAnsiString(Application->Title().c_str());
        box_.reset(::CreateWindowExW(exStyle, kProgressBoxClass, title.c_str(), style, CW_USEDEFAULT,
                                     CW_USEDEFAULT, frame.right - frame.left, frame.bottom - frame.top, owner,
                                     nullptr, instance, nullptr));
        if (!box_)
            return;
        ::SetWindowLongPtrW(box_.get(), GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&cancelled_));
        const auto child = [&](const wchar_t *cls, const wchar_t *text, DWORD childStyle, int top, int left,
                               int width, int height, int id) {
            HWND control = ::CreateWindowExW(
                0, cls, text, WS_CHILD | WS_VISIBLE | childStyle, px(left), px(top), px(width), px(height),
                box_.get(), reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, nullptr);
            ::SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);
            return control;
        };
        NONCLIENTMETRICSW metrics{};
        metrics.cbSize = sizeof metrics;
        if (::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0))
            font_.reset(::CreateFontIndirectW(&metrics.lfMessageFont));
        int top = kMargin;
        text_ =
            child(L"STATIC", L"", SS_LEFTNOWORDWRAP | SS_NOPREFIX, top, kMargin, kInnerWidth, kTextHeight, 0);
        top += kTextHeight + kGap;
        if (withBar) {
            bar_ = child(PROGRESS_CLASSW, L"", 0, top, kMargin, kInnerWidth, kBarHeight, 0);
            ::SendMessageW(bar_, PBM_SETRANGE32, 0, kProgressScale);
            top += kBarHeight + kGap;
        }
        HWND cancel = nullptr;
        if (withCancel)
            cancel = child(WC_BUTTONW, L"Cancel", BS_PUSHBUTTON | WS_TABSTOP, top,
                           kMargin + (kInnerWidth - kButtonWidth) / 2, kButtonWidth, kButtonHeight, IDCANCEL);
        Refresh();
        CentreOnScreen();
        ::ShowWindow(box_.get(), SW_SHOW);
        if (owner_ != nullptr)
            ::EnableWindow(owner_, FALSE);
        ::SetFocus(cancel != nullptr ? cancel : box_.get());
    }
    Window(const Window &) = delete;
    Window &operator=(const Window &) = delete;
    ~Window()
    {
        // The owner takes input again before the box goes, so that it is
        // the window that becomes active.
        if (owner_ != nullptr)
            ::EnableWindow(owner_, TRUE);
        box_.reset();
        // A quit that ended this loop ends the loops around it too.
        if (quit_)
            ::PostQuitMessage(quitCode_);
    }

    void Refresh()
    {
        const TProgress progress = work_.Progress();
        const std::wstring text = FromAnsiString(progress.Text);
        if (text != shown_) {
            ::SetWindowTextW(text_, text.c_str());
            shown_ = text;
        }
        if (bar_ != nullptr)
            ::SendMessageW(bar_, PBM_SETPOS, static_cast<WPARAM>(ProgressPosition(progress)), 0);
    }

    // Centred on the work area of the owner's monitor, where the program's
    // message boxes come up too.
    void CentreOnScreen()
    {
        MONITORINFO monitor{};
        monitor.cbSize = sizeof monitor;
        RECT area{};
        if (::GetMonitorInfoW(::MonitorFromWindow(owner_, MONITOR_DEFAULTTOPRIMARY), &monitor))
            area = monitor.rcWork;
        else
            ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
        RECT box{};
        ::GetWindowRect(box_.get(), &box);
        const int width = box.right - box.left;
        const int height = box.bottom - box.top;
        ::SetWindowPos(box_.get(), nullptr, area.left + (area.right - area.left - width) / 2,
                       area.top + (area.bottom - area.top - height) / 2, 0, 0,
                       SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }

    const TProgressWork &work_;
    HWND owner_;
    FontHandle font_;
    WindowHandle box_;
    HWND text_ = nullptr;
    HWND bar_ = nullptr;
    std::wstring shown_;
    bool cancelled_ = false;
    bool quit_ = false;
    int quitCode_ = 0;
};

ProgressBox::ProgressBox(const TProgressWork &Work) : window_(std::make_unique<Window>(Work, ModalOwner())) {}

ProgressBox::~ProgressBox() = default;

void ProgressBox::Update(bool Redraw)
{
    if (Redraw)
        window_->Refresh();
    if (!window_->quit_ && !PumpWaiting(window_->quitCode_))
        window_->quit_ = true;
}

bool ProgressBox::CancelRequested() const
{
    return window_->cancelled_ || window_->quit_;
}

} // namespace comsend
