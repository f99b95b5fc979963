// The glyphs of the stock button kinds, 16 x 16 in 16 colours: a check
// mark for OK, a circular arrow for Retry, a red stop disc for Abort.
// Compiled in, they cost nothing at start-up; the style's own glyphs come from
// image files whose reader loads every image-format plugin first. Both
// backends draw them from this one copy: Qt reads XPM itself, the Win32
// backend with its own small reader (win32/xpmicon.h).
#pragma once

#include "platform/formdescription.h"

// One line per row of pixels:
// clang-format off
// NOLINTBEGIN: pixel data in the XPM format
inline constexpr const char *kGlyphOk[] = {
    "16 16 3 1",
    ". c None",
    "d c #000000",
    "g c #008000",
    "................",
    "................",
    "................",
    "..............g.",
    ".............gg.",
    "............ggg.",
    "...........gggd.",
    "..g.......gggd..",
    "..gg.....gggd...",
    "..ggg...gggd....",
    "..dggg.gggd.....",
    "...dgggggd......",
    "....dgggd.......",
    ".....dgd........",
    "......d.........",
    "................"
};

inline constexpr const char *kGlyphRetry[] = {
    "16 16 2 1",
    ". c None",
    "g c #008000",
    "................",
    "................",
    "......gggg......",
    "....gggggggg.g..",
    "...ggg....ggggg.",
    "..gg.......gggg.",
    "..gg......ggggg.",
    ".gg.............",
    ".gg.............",
    ".gg...........gg",
    "..gg.........gg.",
    "..gg........ggg.",
    "...ggg....ggg...",
    "....gggggggg....",
    "......gggg......",
    "................"
};

inline constexpr const char *kGlyphAbort[] = {
    "16 16 4 1",
    ". c None",
    "m c #800000",
    "r c #FF0000",
    "w c #FFFFFF",
    "................",
    ".......mm.......",
    "....mmmrrmmm....",
    "...mmrrrrrrmm...",
    "..mmwwrrrrwwmm..",
    "..mrrwwrrwwrrm..",
    "..mrrrwwwwrrrm..",
    ".mrrrrrwwrrrrrm.",
    ".mrrrrwwwwrrrrm.",
    "..mrrwwrrwwrrm..",
    "..mrwwrrrrwwrm..",
    "..mwwrrrrrrwwm..",
    "...mmrrrrrrmm...",
    "....mmmrrmmm....",
    ".......mm.......",
    "................"
};
// NOLINTEND
// clang-format on

namespace comsend {

// The glyph of a stock button kind; null for a custom button.
inline const char *const *GlyphXpm(TBitBtnKind Kind)
{
    switch (Kind) {
    case TBitBtnKind::bkOK:
        return kGlyphOk;
    case TBitBtnKind::bkRetry:
        return kGlyphRetry;
    case TBitBtnKind::bkAbort:
        return kGlyphAbort;
    case TBitBtnKind::bkCustom:
        break;
    }
    return nullptr;
}

} // namespace comsend
