// A reader for the small XPM images the program carries (the stock button
// glyphs), drawn into an icon: the XPM's colours as they are, "None" as
// transparent. Only what those images use is read: one character per
// pixel, "c" colours given as #RRGGBB or None.
#pragma once

#include "handles.h"

namespace comsend {

// The image scaled to size x size pixels by taking the nearest pixel, so
// that no colour the design lacks appears; null when the data is not such
// an image.
IconHandle IconFromXpm(const char *const *xpm, int size);

} // namespace comsend
