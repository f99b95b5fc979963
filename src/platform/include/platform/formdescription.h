// A form's stored description: the window and the controls in it, with the
// properties that differ from the toolkit's defaults. It is plain data that
// both window backends read at run time to build the window, and that the
// tests read to know what the window must look like; it holds nothing that
// the backends do not use. Texts are UTF-8.
#pragma once

#include <cstddef>
#include <span>
#include <string_view>
#include <vector>

namespace comsend {

// The character set a font asks for. Win32 hands it to the font mapper,
// which weighs it when it picks a face; Qt picks a face for each character
// and takes no such request, so there both ask for the same fonts.
enum class TFontCharset { Default, Ansi };

struct TFontDescription {
    const char *Name;
    int Height; // negative: character height in pixels at the design resolution
    bool Bold = false;
    TFontCharset Charset = TFontCharset::Default;
};

enum class TControlClass { Label, ComboBox, BitBtn, Edit, Memo };

// The stock button kinds: each brings its glyph; OK also makes the button
// the form's default button.
enum class TBitBtnKind { bkCustom, bkOK, bkRetry, bkAbort };

// What a text box asks of the input method while it has focus.
enum class TImeMode { imDontCare, imChinese };

// Members left out keep the toolkit's defaults: visible, enabled, no tab
// stop, no limit on the text's length, no scroll bars, Tab leaves a memo.
struct TControlDescription {
    const char *Name;
    TControlClass Class;
    int Left;
    int Top;
    int Width;
    int Height;
    const char *Text = "";                   // a label's or button's caption; a box's text
    const TFontDescription *Font = nullptr;  // nullptr: the form's font
    std::span<const char *const> Items = {}; // a combo box's list
    int ItemHeight = 0;
    int TabOrder = -1; // -1: not a tab stop
    bool Enabled = true;
    TBitBtnKind Kind = TBitBtnKind::bkCustom;
    const char *OnClick = nullptr; // the published handler a click calls
    TImeMode ImeMode = TImeMode::imDontCare;
    bool AutoSize = false;              // a label that sizes itself to its caption
    const char *FocusControl = nullptr; // the control a label names
    const char *AccessibleName = nullptr;
    const char *AccessibleDescription = nullptr;
};

struct TFormDescription {
    const char *Name;
    const char *Caption;
    int Left; // on the screen
    int Top;
    int Width; // outer size: frame and caption bar included
    int Height;
    TFontDescription Font;
    int PixelsPerInch; // the resolution the form was designed at
    std::span<const TControlDescription> Controls;

    // The control of that name, or nullptr.
    const TControlDescription *Find(std::string_view ControlName) const;
    // Where one of this form's controls stands among them.
    std::size_t IndexOf(const TControlDescription &Control) const
    {
        return static_cast<std::size_t>(&Control - Controls.data());
    }
    // The controls that Tab visits, by index, in their TabOrder.
    std::vector<std::size_t> TabStops() const;
};

} // namespace comsend
