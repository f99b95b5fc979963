// Looks at a running comsend.exe from another process in the same wine
// session, and acts on it, for the end-to-end tests:
//
//   remote form              the window and each control, by the name its
//                            form description gives it: screen rectangle,
//                            text, enabled, focus, a button's glyph
//   remote boxes             the texts of the message boxes that are up
//   remote progress          the text of the progress box, if it is up
//   remote settext NAME HEX  puts text (UTF-8, hex-encoded: wine garbles
//                            non-ASCII arguments) into a control
//   remote close             asks the main window to close
//
// It prints one JSON object. Texts are given as hex-encoded UTF-8, so that
// no code page and no escaping stands between them and the test.
#include "native.h"
#include "textcodec.h"
#include "tform1.h"

#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

using namespace comsend;

namespace {

HWND form = nullptr;

std::string Hex(const std::wstring &text)
{
    std::string hex;
    char digits[3];
    for (const unsigned char byte : Utf8FromWide(text)) {
        std::snprintf(digits, sizeof digits, "%02x", byte);
        hex += digits;
    }
    return hex;
}

std::wstring FromHex(const char *hex)
{
    std::string utf8;
    for (std::size_t i = 0; hex[i] != '\0' && hex[i + 1] != '\0'; i += 2)
        utf8 += static_cast<char>(std::stoi(std::string(hex + i, 2), nullptr, 16));
    return WideFromUtf8(utf8);
}

// WM_GETTEXT works across processes: the buffer is carried over.
std::wstring TextOf(HWND window)
{
    std::vector<wchar_t> text(static_cast<std::size_t>(::SendMessageW(window, WM_GETTEXTLENGTH, 0, 0)) + 1);
    ::SendMessageW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()));
    return text.data();
}

std::string ClassOf(HWND window)
{
    char name[64] = {};
    ::GetClassNameA(window, name, sizeof name);
    return name;
}

std::string RectJson(HWND window)
{
    RECT r{};
    ::GetWindowRect(window, &r);
    return "[" + std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right - r.left)
           + "," + std::to_string(r.bottom - r.top) + "]";
}

HWND FocusOf(HWND window)
{
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    return ::GetGUIThreadInfo(::GetWindowThreadProcessId(window, nullptr), &info) ? info.hwndFocus : nullptr;
}

HWND Control(const char *name)
{
    const TControlDescription *d = TFORM1.Find(name);
    return d == nullptr ? nullptr
                        : ::GetDlgItem(form, kFirstControlId + static_cast<int>(TFORM1.IndexOf(*d)));
}

void PrintForm()
{
    HWND focus = FocusOf(form);
    std::printf(R"({"window": %s, "enabled": %s, "controls": {)", RectJson(form).c_str(),
                ::IsWindowEnabled(form) ? "true" : "false");
    const char *separator = "";
    for (const TControlDescription &d : TFORM1.Controls) {
        HWND control = Control(d.Name);
        const bool glyph =
            d.Class == TControlClass::BitBtn && ::SendMessageW(control, BM_GETIMAGE, IMAGE_ICON, 0) != 0;
        std::printf(R"(%s"%s": {"rect": %s, "text": "%s", "enabled": %s, "focused": %s, "glyph": %s})",
                    separator, d.Name, RectJson(control).c_str(), Hex(TextOf(control)).c_str(),
                    ::IsWindowEnabled(control) ? "true" : "false",
                    focus != nullptr && (focus == control || ::IsChild(control, focus)) ? "true" : "false",
                    glyph ? "true" : "false");
        separator = ", ";
    }
    std::printf("}}\n");
}

struct Search {
    DWORD process;
    const char *windowClass;
    std::vector<HWND> found;
};

BOOL CALLBACK Collect(HWND window, LPARAM context)
{
    auto *search = reinterpret_cast<Search *>(context);
    DWORD process = 0;
    ::GetWindowThreadProcessId(window, &process);
    if (process == search->process && ::IsWindowVisible(window) && ClassOf(window) == search->windowClass)
        search->found.push_back(window);
    return TRUE;
}

// The process's visible top-level windows of one class.
std::vector<HWND> TopLevel(const char *windowClass)
{
    Search search{0, windowClass, {}};
    ::GetWindowThreadProcessId(form, &search.process);
    ::EnumWindows(Collect, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

BOOL CALLBACK LastStaticText(HWND child, LPARAM context)
{
    if (ClassOf(child) == "Static")
        *reinterpret_cast<std::string *>(context) = Hex(TextOf(child));
    return TRUE;
}

void PrintBoxes()
{
    std::printf("{\"boxes\": [");
    const char *separator = "";
    for (HWND box : TopLevel("#32770")) {
        std::printf("%s\"%s\"", separator, Hex(TextOf(::GetDlgItem(box, 0xFFFF))).c_str());
        separator = ", ";
    }
    std::printf("]}\n");
}

void PrintProgress()
{
    const std::vector<HWND> boxes = TopLevel("comsendProgressBox");
    std::string text;
    if (!boxes.empty())
        ::EnumChildWindows(boxes.front(), LastStaticText, reinterpret_cast<LPARAM>(&text));
    std::printf("{\"up\": %s, \"text\": \"%s\"}\n", boxes.empty() ? "false" : "true", text.c_str());
}

} // namespace

int main(int argc, char **argv)
{
    form = ::FindWindowA(nullptr, TFORM1.Caption);
    if (form == nullptr || argc < 2) {
        std::printf("{\"error\": \"no window %s\"}\n", TFORM1.Caption);
        return 1;
    }
    const std::string command = argv[1];
    if (command == "form") {
        PrintForm();
    } else if (command == "boxes") {
        PrintBoxes();
    } else if (command == "progress") {
        PrintProgress();
    } else if (command == "settext" && argc == 4) {
        const std::wstring text = FromHex(argv[3]);
        ::SendMessageW(Control(argv[2]), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
        std::printf("{}\n");
    } else if (command == "close") {
        ::PostMessageW(form, WM_CLOSE, 0, 0);
        std::printf("{}\n");
    } else {
        std::printf("{\"error\": \"unknown command\"}\n");
        return 2;
    }
    return 0;
}
