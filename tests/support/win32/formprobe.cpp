// The probe on the Win32 backend: messages to the real controls, keys posted
// to the focused one and run through the message loop as the keyboard's
// would be, and message boxes found among the thread's windows by their
// dialog class, from a timer that fires inside their own modal loop.
#include "support/formprobe.h"

#include "messageloop.h"
#include "native.h"
#include "textcodec.h"

#include <windows.h>

#include <imm.h>

#include <cstdlib>
#include <set>
#include <sstream>

using namespace comsend;

namespace {

// Line ends as the form code sees them.
std::string Plain(const std::wstring &text)
{
    std::string utf8 = Utf8FromWide(text);
    for (std::size_t at = utf8.find("\r\n"); at != std::string::npos; at = utf8.find("\r\n", at))
        utf8.erase(at, 1);
    return utf8;
}

// The messages waiting, handled as the window loop would; a quit among
// them is left for the loop that runs next.
void Pump()
{
    int quitCode = 0;
    if (!PumpWaiting(quitCode))
        ::PostQuitMessage(quitCode);
}

// A key pressed and let go, or one more WM_KEYDOWN of a key held down
// (bit 30: it was down before).
void PostKey(HWND target, WPARAM key, Stroke stroke)
{
    const UINT scan = ::MapVirtualKeyW(static_cast<UINT>(key), MAPVK_VK_TO_VSC);
    if (stroke == Stroke::Repeated) {
        ::PostMessageW(target, WM_KEYDOWN, key, 1 | (scan << 16) | (LPARAM{1} << 30));
        return;
    }
    ::PostMessageW(target, WM_KEYDOWN, key, 1 | (scan << 16));
    ::PostMessageW(target, WM_KEYUP, key, 1 | (scan << 16) | (3U << 30));
    Pump();
}

std::wstring ClassOf(HWND window)
{
    wchar_t name[64] = {};
    ::GetClassNameW(window, name, 64);
    return name;
}

bool IsMessageBox(HWND window)
{
    return ClassOf(window) == L"#32770";
}

struct BoxSearch {
    const std::set<HWND> &passedOver;
    HWND found = nullptr;
};

BOOL CALLBACK FindBox(HWND window, LPARAM search)
{
    auto &box = *reinterpret_cast<BoxSearch *>(search);
    if ((IsMessageBox(window) || ClassOf(window) == kProgressBoxClass) && ::IsWindowVisible(window)
        && box.passedOver.count(window) == 0) {
        box.found = window;
        return FALSE;
    }
    return TRUE;
}

// The thread's visible message box or progress box, but for those passed
// over (the message boxes already answered, and going).
HWND AnyBox(const std::set<HWND> &passedOver = {})
{
    BoxSearch search{passedOver};
    ::EnumThreadWindows(::GetCurrentThreadId(), FindBox, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// A message box's text is the static control 0xFFFF; a progress box's, its
// first static control.
std::wstring BoxText(HWND box)
{
    if (IsMessageBox(box))
        return WindowText(::GetDlgItem(box, 0xFFFF));
    return WindowText(::FindWindowExW(box, nullptr, L"STATIC", nullptr));
}

} // namespace

FormProbe::FormProbe(TForm1 &form) : form_(form) {}

void FormProbe::ShowAndActivate()
{
    form_.Show();
    ::SetForegroundWindow(WindowOf(form_));
    ::SetActiveWindow(WindowOf(form_));
    Pump();
}

std::string FormProbe::WindowCaption() const
{
    return Utf8FromWide(WindowText(WindowOf(form_)));
}

Rect FormProbe::WindowRect() const
{
    RECT r{};
    ::GetWindowRect(WindowOf(form_), &r);
    return {r.left, r.top, r.right - r.left, r.bottom - r.top};
}

Rect FormProbe::ControlRect(const TControl &control) const
{
    RECT r{};
    ::GetWindowRect(HwndOf(control), &r);
    ::MapWindowPoints(nullptr, WindowOf(form_), reinterpret_cast<POINT *>(&r), 2);
    return {r.left, r.top, r.right - r.left, r.bottom - r.top};
}

std::string FormProbe::Text(const TControl &control) const
{
    return Plain(WindowText(HwndOf(control)));
}

std::vector<std::string> FormProbe::Items(const TComboBox &box) const
{
    HWND combo = HwndOf(box);
    std::vector<std::string> items;
    const auto count = ::SendMessageW(combo, CB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        std::wstring item(static_cast<std::size_t>(::SendMessageW(combo, CB_GETLBTEXTLEN, i, 0)) + 1, L'\0');
        item.resize(static_cast<std::size_t>(
            ::SendMessageW(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(item.data()))));
        items.push_back(Utf8FromWide(item));
    }
    return items;
}

bool FormProbe::Editable(const TComboBox &box) const
{
    return (::GetWindowLongW(HwndOf(box), GWL_STYLE) & 3) == CBS_DROPDOWN;
}

Rect FormProbe::TextExtent(const TControl &control) const
{
    HWND window = HwndOf(control);
    const std::wstring text = WindowText(window);
    HDC dc = ::GetDC(window);
    HGDIOBJ old = ::SelectObject(dc, reinterpret_cast<HFONT>(::SendMessageW(window, WM_GETFONT, 0, 0)));
    SIZE size{};
    ::GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
    ::SelectObject(dc, old);
    ::ReleaseDC(window, dc);
    return {0, 0, size.cx, size.cy};
}

bool FormProbe::HasFocus(const TControl &control) const
{
    HWND focus = ::GetFocus();
    if (focus == nullptr)
        focus = form_.Native().focus; // kept while a message box has the keyboard
    return focus != nullptr && (focus == HwndOf(control) || ::IsChild(HwndOf(control), focus));
}

// The input context is open, in the native (Chinese) conversion mode.
bool FormProbe::AsksForChineseInput(const TControl &box)
{
    Focus(box);
    HWND window = ::GetFocus();
    HIMC context = ::ImmGetContext(window);
    if (context == nullptr)
        return false;
    DWORD conversion = 0;
    DWORD sentence = 0;
    const bool chinese = ::ImmGetOpenStatus(context) != FALSE
                         && ::ImmGetConversionStatus(context, &conversion, &sentence) != FALSE
                         && (conversion & IME_CMODE_NATIVE) != 0;
    ::ImmReleaseContext(window, context);
    return chinese;
}

void FormProbe::Focus(const TControl &control)
{
    ::SetActiveWindow(WindowOf(form_));
    ::SetFocus(HwndOf(control));
    Pump();
}

// Characters as the keyboard would deliver them, after the old text is
// selected and cleared.
void FormProbe::Type(const TControl &box, const std::string &text)
{
    Focus(box);
    HWND focus = ::GetFocus();
    ::SendMessageW(focus, EM_SETSEL, 0, -1);
    ::SendMessageW(focus, WM_CLEAR, 0, 0);
    for (const wchar_t character : WideFromUtf8(text))
        ::PostMessageW(focus, WM_CHAR, character, 1);
    Pump();
}

void FormProbe::Press(Key key, Stroke stroke)
{
    const WPARAM codes[] = {VK_TAB, VK_RETURN, VK_ESCAPE, VK_UP, VK_DOWN};
    const WPARAM code = codes[static_cast<int>(key)];
    PostKey(::GetFocus(), code, stroke);
}

void FormProbe::Click(const TBitBtn &button)
{
    ClickButton(button);
}

void FormProbe::AccessiblePress(const TBitBtn &button)
{
    ClickButton(button);
}

void FormProbe::AccessibleEdit(const TControl &box, const std::string &text)
{
    const std::wstring added = WideFromUtf8(text);
    ::SendMessageW(HwndOf(box), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(added.c_str()));
    ::SendMessageW(HwndOf(box), EM_SETSEL, 0, 0);
    ::SendMessageW(HwndOf(box), EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(added.c_str()));
}

std::string FormProbe::BoxUp() const
{
    const HWND box = AnyBox();
    return box != nullptr ? Plain(BoxText(box)) : std::string();
}

void ClickButton(const TBitBtn &button)
{
    ::SendMessageW(HwndOf(button), BM_CLICK, 0, 0);
    Pump();
}

namespace {

struct Answering {
    AnsweredBoxes answered;
    std::function<void()> whileUp;
    std::set<HWND> handled;
};

Answering *answering = nullptr;

BOOL CALLBACK CountButton(HWND window, LPARAM count)
{
    if (ClassOf(window) == L"Button")
        ++*reinterpret_cast<int *>(count);
    return TRUE;
}

void CALLBACK AnswerBox(HWND /*window*/, UINT /*message*/, UINT_PTR /*timer*/, DWORD /*time*/)
{
    const HWND box = AnyBox(answering->handled);
    if (box == nullptr || !IsMessageBox(box))
        return;
    answering->handled.insert(box);
    answering->answered.texts.push_back(Plain(BoxText(box)));
    if (answering->whileUp)
        answering->whileUp();
    int buttons = 0;
    ::EnumChildWindows(box, CountButton, reinterpret_cast<LPARAM>(&buttons));
    if (buttons != 1)
        ++answering->answered.withOtherButtons;
    ::PostMessageW(box, WM_COMMAND, IDOK, 0);
}

} // namespace

AnsweredBoxes AnswerBoxes(const std::function<void()> &action, const std::function<void()> &whileUp)
{
    Answering state{{}, whileUp, {}};
    answering = &state;
    const UINT_PTR timer = ::SetTimer(nullptr, 0, 10, AnswerBox);
    action();
    ::KillTimer(nullptr, timer);
    answering = nullptr;
    return state.answered;
}

namespace {

struct Scripting {
    std::function<bool(ShownBox, const std::string &)> inBox;
    std::vector<std::string> answered;
    std::set<HWND> handled; // answered, and going
};

Scripting *scripting = nullptr;

void CALLBACK Tick(HWND /*window*/, UINT /*message*/, UINT_PTR /*timer*/, DWORD /*time*/)
{
    const HWND box = AnyBox(scripting->handled);
    if (box == nullptr)
        return;
    const std::string text = Plain(BoxText(box));
    const bool message = IsMessageBox(box);
    if (scripting->inBox(message ? ShownBox::Message : ShownBox::Progress, text) && message) {
        scripting->handled.insert(box);
        scripting->answered.push_back(text);
        ::PostMessageW(box, WM_COMMAND, IDOK, 0);
    }
}

} // namespace

std::vector<std::string> ScriptBoxes(const std::function<void()> &action,
                                     const std::function<bool(ShownBox kind, const std::string &text)> &inBox)
{
    Scripting state{inBox, {}, {}};
    scripting = &state;
    const UINT_PTR timer = ::SetTimer(nullptr, 0, 10, Tick);
    action();
    ::KillTimer(nullptr, timer);
    scripting = nullptr;
    return state.answered;
}

// The ports the test runner mapped to pseudo-terminals: those whose far end
// reads handed out in turn, and the one whose far end never reads.
struct TestPort::Impl {
    std::string name;
};

TestPort::TestPort(FarEnd farEnd) : impl_(std::make_unique<Impl>())
{
    if (farEnd == FarEnd::Stopped) {
        const char *stalled = std::getenv("COMSEND_STALLED_PORT");
        impl_->name = stalled != nullptr ? stalled : "";
        return;
    }
    static std::size_t next = 0;
    std::vector<std::string> names;
    const char *ports = std::getenv("COMSEND_TEST_PORTS");
    std::istringstream list(ports != nullptr ? ports : "");
    for (std::string name; std::getline(list, name, ',');)
        names.push_back(name);
    if (!names.empty())
        impl_->name = names[next++ % names.size()];
}

TestPort::~TestPort() = default;

std::string TestPort::Name() const
{
    return impl_->name;
}

// Wine maps no COM name that the runner did not map; COM1 to COM4 may stand
// for the machine's own ports.
std::string TestPort::Missing()
{
    return "COM9";
}
