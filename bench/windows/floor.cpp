// The platform's floor for comsend.exe's start-up: the same window, built
// straight with CreateWindowExW and nothing else. Same nine controls with the
// same classes and styles, same geometry (scaled by the screen's dpi as
// comsend scales it), same fonts with the same stand-ins, same title and
// place on the screen, the same manifest (common controls 6, dpi aware) and
// the same compiler flags (bench/windows/run). No icon, no button glyphs, no
// input method, no handlers, no serial code: whatever comsend.exe spends
// above this program is comsend's own.
#include <windows.h>

#include <commctrl.h>

#include <string>

namespace {

struct Control {
    const wchar_t *className;
    const wchar_t *text;
    DWORD style;
    DWORD exStyle;
    int left, top, width, height;
    bool captionFont;
};

constexpr DWORD kLabel = SS_LEFTNOWORDWRAP | SS_NOPREFIX;
constexpr DWORD kButton = BS_PUSHBUTTON | WS_TABSTOP;
constexpr DWORD kEdit = ES_LEFT | ES_AUTOHSCROLL | WS_TABSTOP;

// In comsend's stacking order (the tab order, each label before its box).
const Control kControls[] = {
    {L"STATIC", L"選擇連接埠", kLabel, 0, 48, 16, 85, 16, true},
    {WC_COMBOBOXW, L"", CBS_DROPDOWN | CBS_AUTOHSCROLL | WS_VSCROLL | WS_TABSTOP, 0, 16, 48, 145, 21, false},
    {WC_BUTTONW, L"Connect", kButton, 0, 176, 48, 97, 25, false},
    {WC_BUTTONW, L"Disconnect", kButton, 0, 272, 48, 97, 25, false},
    {L"STATIC", L"傳送的文字", kLabel, 0, 48, 88, 85, 16, true},
    {WC_EDITW, L"", kEdit, WS_EX_CLIENTEDGE, 16, 112, 273, 21, false},
    {WC_BUTTONW, L"Send", kButton | WS_DISABLED, 0, 296, 112, 75, 25, false},
    {WC_EDITW, L"Memo1", ES_LEFT | ES_MULTILINE | ES_WANTRETURN | ES_AUTOVSCROLL | WS_TABSTOP,
     WS_EX_CLIENTEDGE, 200, 8, 129, 33, false},
    {L"STATIC", L"Label3", kLabel, 0, 216, 88, 32, 13, false},
};

int dpi = 96;

int Scaled(int pixels)
{
    return ::MulDiv(pixels, dpi, 96);
}

int CALLBACK NoteFound(const LOGFONTW *, const TEXTMETRICW *, DWORD, LPARAM found)
{
    *reinterpret_cast<bool *>(found) = true;
    return 0;
}

bool FaceExists(const wchar_t *face)
{
    LOGFONTW query{};
    query.lfCharSet = DEFAULT_CHARSET;
    lstrcpynW(query.lfFaceName, face, LF_FACESIZE);
    bool found = false;
    HDC screen = ::GetDC(nullptr);
    ::EnumFontFamiliesExW(screen, &query, NoteFound, reinterpret_cast<LPARAM>(&found), 0);
    ::ReleaseDC(nullptr, screen);
    return found;
}

HFONT Font(const wchar_t *face, int height, bool bold, BYTE charset)
{
    LOGFONTW font{};
    font.lfHeight = Scaled(height);
    font.lfWeight = bold ? FW_BOLD : FW_NORMAL;
    font.lfCharSet = charset;
    lstrcpynW(font.lfFaceName, face, LF_FACESIZE);
    return ::CreateFontIndirectW(&font);
}

// The caption font's face, or the first stand-in for it that is there.
const wchar_t *CaptionFace()
{
    for (const wchar_t *face :
         {L"新細明體", L"PMingLiU", L"MingLiU", L"Microsoft JhengHei", L"AR PL UMing TW"}) {
        if (FaceExists(face))
            return face;
    }
    return L"MS Sans Serif";
}

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CLOSE:
        ::DestroyWindow(window);
        return 0;
    case WM_DESTROY:
        ::PostQuitMessage(0);
        return 0;
    default:
        return ::DefWindowProcW(window, message, wParam, lParam);
    }
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    INITCOMMONCONTROLSEX common{sizeof common, ICC_STANDARD_CLASSES | ICC_PROGRESS_CLASS};
    ::InitCommonControlsEx(&common);
    HDC screen = ::GetDC(nullptr);
    dpi = ::GetDeviceCaps(screen, LOGPIXELSY);
    ::ReleaseDC(nullptr, screen);

    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = ::LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = L"TFloor";
    ::RegisterClassExW(&windowClass);

    HWND form =
        ::CreateWindowExW(WS_EX_CONTROLPARENT, L"TFloor", L"Form1", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN,
                          192, 107, Scaled(404), Scaled(186), nullptr, nullptr, instance, nullptr);
    HFONT formFont = Font(L"MS Sans Serif", -11, false, DEFAULT_CHARSET);
    HFONT captionFont = Font(CaptionFace(), -16, true, ANSI_CHARSET);
    ::SendMessageW(form, WM_SETFONT, reinterpret_cast<WPARAM>(formFont), FALSE);
    int id = 100;
    for (const Control &c : kControls) {
        // A drop-down combo box's window takes its list's height too.
        const bool combo = c.className == std::wstring(WC_COMBOBOXW);
        const int height = combo ? Scaled(c.height) + 8 * Scaled(13) + 2 : Scaled(c.height);
        HWND control =
            ::CreateWindowExW(c.exStyle, c.className, c.text, WS_CHILD | WS_VISIBLE | c.style, Scaled(c.left),
                              Scaled(c.top), Scaled(c.width), height, form,
                              reinterpret_cast<HMENU>(static_cast<INT_PTR>(id++)), instance, nullptr);
        ::SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(c.captionFont ? captionFont : formFont),
                       FALSE);
        if (combo) {
            ::SendMessageW(control, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(L"COM1"));
            ::SendMessageW(control, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(L"COM2"));
            ::SetWindowTextW(control, L"COM1");
            ::SendMessageW(control, CB_SETITEMHEIGHT, 0, Scaled(13));
        }
    }
    ::ShowWindow(form, SW_SHOWNORMAL);
    ::UpdateWindow(form);
    ::SetForegroundWindow(form);
    ::SetFocus(::GetNextDlgTabItem(form, nullptr, FALSE));

    MSG message{};
    while (::GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (!::IsDialogMessageW(form, &message)) {
            ::TranslateMessage(&message);
            ::DispatchMessageW(&message);
        }
    }
    ::DeleteObject(captionFont);
    ::DeleteObject(formFont);
    return 0;
}
