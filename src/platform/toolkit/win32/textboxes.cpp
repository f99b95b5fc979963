// Both habits are window subclasses (comctl32's SetWindowSubclass), which
// go with their window.
#include "textboxes.h"

#include <commctrl.h>
#include <imm.h>

namespace comsend {

namespace {

constexpr UINT_PTR kChineseInputId = 1;
constexpr UINT_PTR kMemoKeysId = 2;

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

} // namespace

void AskForChineseInput(HWND Box)
{
    ::SetWindowSubclass(Box, ChineseInput, kChineseInputId, 0);
}

void LetKeysLeaveMemo(HWND Memo)
{
    ::SetWindowSubclass(Memo, MemoKeys, kMemoKeysId, 0);
}

} // namespace comsend
