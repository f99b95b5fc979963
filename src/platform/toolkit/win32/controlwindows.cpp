#include "controlwindows.h"

#include "textboxes.h"
#include "textcodec.h"

#include <commctrl.h>

#include <string>

namespace comsend {

namespace {

// How many entries the port box's list shows before it scrolls, as a
// drop-down combo box shows by default elsewhere.
constexpr int kDropDownCount = 8;

struct WindowKind {
    const wchar_t *className;
    DWORD style;
    DWORD exStyle;
};

WindowKind KindOf(TControlClass kind)
{
    switch (kind) {
    case TControlClass::Label:
        // Plain text: no & mnemonics, no wrapping, as the caption reads.
        return {L"STATIC", SS_LEFTNOWORDWRAP | SS_NOPREFIX, 0};
    case TControlClass::ComboBox:
        return {WC_COMBOBOXW, CBS_DROPDOWN | CBS_AUTOHSCROLL | WS_VSCROLL, 0};
    case TControlClass::BitBtn:
        return {WC_BUTTONW, BS_PUSHBUTTON, 0};
    case TControlClass::Edit:
        return {WC_EDITW, ES_LEFT | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE};
    case TControlClass::Memo:
        return {WC_EDITW, ES_LEFT | ES_MULTILINE | ES_WANTRETURN | ES_AUTOVSCROLL, WS_EX_CLIENTEDGE};
    }
    return {L"STATIC", 0, 0};
}

LRESULT Send(HWND window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0)
{
    return ::SendMessageW(window, message, wParam, lParam);
}

int OuterHeight(HWND window)
{
    RECT bounds{};
    ::GetWindowRect(window, &bounds);
    return bounds.bottom - bounds.top;
}

// A drop-down combo box is as tall as its edit field, which follows the
// field's item height: that is tuned until the box has the described height.
void SetUpComboBox(HWND box, const TControlDescription &d, const NativeForm &form)
{
    for (const char *item : d.Items)
        Send(box, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(WideFromUtf8(item).c_str()));
    ::SetWindowTextW(box, WideFromUtf8(d.Text).c_str());
    if (d.ItemHeight > 0)
        Send(box, CB_SETITEMHEIGHT, 0, form.Scaled(d.ItemHeight));
    const int wanted = form.Scaled(d.Height);
    for (int attempt = 0; attempt < 2 && OuterHeight(box) != wanted; ++attempt) {
        const auto field = static_cast<int>(Send(box, CB_GETITEMHEIGHT, static_cast<WPARAM>(-1)));
        Send(box, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), field + wanted - OuterHeight(box));
    }
}

// The stock kinds' glyphs, drawn at build time from the XPM images the Qt
// build shows (toolkit/glyphs), with the numbers comsend.rc gives them:
// numbers, so that the program's own named icon stays the first one, which
// Explorer shows. Where the executable carries none (the tests), the
// buttons show only their captions.
int GlyphResource(TBitBtnKind kind)
{
    switch (kind) {
    case TBitBtnKind::bkOK:
        return 101;
    case TBitBtnKind::bkRetry:
        return 102;
    case TBitBtnKind::bkAbort:
        return 103;
    case TBitBtnKind::bkCustom:
        break;
    }
    return 0;
}

void SetUpBitBtn(HWND button, const TControlDescription &d, NativeForm &form)
{
    const int resource = GlyphResource(d.Kind);
    if (resource == 0)
        return;
    const int size = form.Scaled(16);
    IconHandle glyph(static_cast<HICON>(
        ::LoadImageW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(resource), IMAGE_ICON, size, size, 0)));
    if (!glyph)
        return;
    // With common controls 6 a push button draws the icon left of its text.
    Send(button, BM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(glyph.get()));
    form.glyphs.push_back(std::move(glyph));
}

// The height the window is created with: a drop-down combo box's includes
// its list.
int CreationHeight(const TControlDescription &d, const NativeForm &form)
{
    const int height = form.Scaled(d.Height);
    if (d.Class != TControlClass::ComboBox)
        return height;
    return height + kDropDownCount * form.Scaled(d.ItemHeight > 0 ? d.ItemHeight : d.Height) + 2;
}

} // namespace

HWND CreateControlWindow(const TControlDescription &d, int index, NativeForm &form, HFONT font)
{
    const WindowKind kind = KindOf(d.Class);
    DWORD style = WS_CHILD | WS_VISIBLE | kind.style;
    if (d.TabOrder >= 0)
        style |= WS_TABSTOP;
    if (!d.Enabled)
        style |= WS_DISABLED;
    // A combo box gets its text once its list is filled.
    const std::wstring text = d.Class == TControlClass::ComboBox ? std::wstring() : WideFromUtf8(d.Text);
    HWND window = ::CreateWindowExW(kind.exStyle, kind.className, text.c_str(), style, form.Scaled(d.Left),
                                    form.Scaled(d.Top), form.Scaled(d.Width), CreationHeight(d, form),
                                    form.window.get(),
                                    reinterpret_cast<HMENU>(static_cast<INT_PTR>(kFirstControlId + index)),
                                    ::GetModuleHandleW(nullptr), nullptr);
    if (window == nullptr)
        return nullptr;
    Send(window, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    switch (d.Class) {
    case TControlClass::ComboBox:
        SetUpComboBox(window, d, form);
        break;
    case TControlClass::BitBtn:
        SetUpBitBtn(window, d, form);
        break;
    case TControlClass::Edit:
        Send(window, EM_SETLIMITTEXT, 0); // no limit: no typed text is cut
        if (d.ImeMode == TImeMode::imChinese)
            AskForChineseInput(window);
        break;
    case TControlClass::Memo:
        Send(window, EM_SETLIMITTEXT, 0);
        LetKeysLeaveMemo(window);
        break;
    case TControlClass::Label:
        break;
    }
    if (d.AutoSize)
        FitToText(window);
    form.notes.Note(window, d.AccessibleName, d.AccessibleDescription);
    return window;
}

void FitToText(HWND Label)
{
    const std::wstring text = WindowText(Label);
    auto font = reinterpret_cast<HGDIOBJ>(Send(Label, WM_GETFONT));
    if (font == nullptr)
        font = ::GetStockObject(SYSTEM_FONT); // what a static draws with when given none
    HDC dc = ::GetDC(Label);
    const HGDIOBJ previous = ::SelectObject(dc, font);
    TEXTMETRICW metrics{};
    ::GetTextMetricsW(dc, &metrics);
    RECT extent{0, 0, 0, metrics.tmHeight};
    if (!text.empty())
        ::DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &extent,
                    DT_CALCRECT | DT_NOPREFIX | DT_EXPANDTABS | DT_LEFT);
    ::SelectObject(dc, previous);
    ::ReleaseDC(Label, dc);
    ::SetWindowPos(Label, nullptr, 0, 0, extent.right - extent.left, extent.bottom - extent.top,
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

} // namespace comsend
