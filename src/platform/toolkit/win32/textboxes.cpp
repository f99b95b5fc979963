// The habits are window subclasses (comctl32's SetWindowSubclass), which
// go with their window.
#include "textboxes.h"

#include "platform/controls.h"

#include <commctrl.h>
#include <imm.h>

namespace comsend {

namespace {

constexpr UINT_PTR kChineseInputId = 1;
constexpr UINT_PTR kMemoKeysId = 2;
constexpr UINT_PTR kHeldTextId = 3;
constexpr UINT_PTR kRecallKeysId = 4;

// Set while SetBoxText changes a held box: the window thread's own change.
thread_local bool settingText = false;

bool Edits(UINT message)
{
    switch (message) {
    case WM_SETTEXT:
    case EM_REPLACESEL:
    case WM_CHAR:
    case WM_IME_CHAR:
    case WM_PASTE:
    case WM_CUT:
    case WM_CLEAR:
    case WM_UNDO:
    case EM_UNDO:
        return true;
    default:
        return false;
    }
}

LRESULT CALLBACK ChineseInput(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR /*id*/,
                              DWORD_PTR /*data*/)
{
    const LRESULT result = ::DefSubclassProc(window, message, wParam, lParam);
    if (message == WM_SETFOCUS) {
        // No input method (no context) is fine: the box takes typed text.
        if (HIMC context = ::ImmGetContext(window)) {
            ::ImmSetOpenStatus(context, TRUE);
            DWORD conversion = 0;
            DWORD sentence = 0;
            ::ImmGetConversionStatus(context, &conversion, &sentence);
            ::ImmSetConversionStatus(context, conversion | IME_CMODE_NATIVE, sentence);
            ::ImmReleaseContext(window, context);
        }
    } else if (message == WM_NCDESTROY) {
        ::RemoveWindowSubclass(window, ChineseInput, kChineseInputId);
    }
    return result;
}

// A multi-line edit control wants every key, Tab and Esc included (it even
// closes a dialog on Esc). It keeps the ones that edit text.
LRESULT CALLBACK MemoKeys(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR /*id*/,
                          DWORD_PTR /*data*/)
{
    LRESULT result = ::DefSubclassProc(window, message, wParam, lParam);
    if (message == WM_GETDLGCODE) {
        const auto *key = reinterpret_cast<const MSG *>(lParam);
        if (key != nullptr && key->message == WM_KEYDOWN
            && (key->wParam == VK_TAB || key->wParam == VK_ESCAPE))
            result &= ~static_cast<LRESULT>(DLGC_WANTALLKEYS | DLGC_WANTTAB); // WANTALLKEYS is WANTMESSAGE
    } else if (message == WM_NCDESTROY) {
        ::RemoveWindowSubclass(window, MemoKeys, kMemoKeysId);
    }
    return result;
}

bool Pressed(int key)
{
    return (::GetKeyState(key) & 0x8000) != 0;
}

LRESULT CALLBACK RecallKeys(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR /*id*/,
                            DWORD_PTR data)
{
    const bool arrow = message == WM_KEYDOWN && (wParam == VK_UP || wParam == VK_DOWN);
    const bool held = (::GetWindowLongW(window, GWL_STYLE) & ES_READONLY) != 0;
    if (arrow && !held && !Pressed(VK_SHIFT) && !Pressed(VK_CONTROL) && !Pressed(VK_MENU)) {
        reinterpret_cast<TEdit *>(data)->StepRecall(wParam == VK_UP);
        const auto end = static_cast<WPARAM>(::GetWindowTextLengthW(window));
        ::SendMessageW(window, EM_SETSEL, end, static_cast<LPARAM>(end));
        return 0;
    }
    if (message == WM_NCDESTROY)
        ::RemoveWindowSubclass(window, RecallKeys, kRecallKeysId);
    return ::DefSubclassProc(window, message, wParam, lParam);
}

LRESULT CALLBACK HeldText(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR /*id*/,
                          DWORD_PTR /*data*/)
{
    if (Edits(message) && !settingText)
        return 0; // for WM_SETTEXT: FALSE, the text was not set
    if (message == WM_NCDESTROY)
        ::RemoveWindowSubclass(window, HeldText, kHeldTextId);
    return ::DefSubclassProc(window, message, wParam, lParam);
}

} // namespace

void HoldTextBox(HWND Box, bool Hold)
{
    if (Hold)
        ::SetWindowSubclass(Box, HeldText, kHeldTextId, 0);
    else
        ::RemoveWindowSubclass(Box, HeldText, kHeldTextId);
    ::SendMessageW(Box, EM_SETREADONLY, Hold ? TRUE : FALSE, 0);
}

void SetBoxText(HWND Box, const wchar_t *Text)
{
    settingText = true;
    ::SetWindowTextW(Box, Text);
    settingText = false;
}

void AskForChineseInput(HWND Box)
{
    ::SetWindowSubclass(Box, ChineseInput, kChineseInputId, 0);
}

void LetKeysRecall(HWND Box, TEdit &Edit)
{
    ::SetWindowSubclass(Box, RecallKeys, kRecallKeysId, reinterpret_cast<DWORD_PTR>(&Edit));
}

void LetKeysLeaveMemo(HWND Memo)
{
    ::SetWindowSubclass(Memo, MemoKeys, kMemoKeysId, 0);
}

} // namespace comsend
