// The fonts a form description names, as GDI fonts at the screen's
// resolution. A face the system lacks is replaced by the first stand-in it
// has (the Traditional Chinese faces have several), and else by the form's
// own face, so that the captions keep their size and weight.
#pragma once

#include "handles.h"

#include "platform/formdescription.h"

namespace comsend {

// The screen's resolution in dots per inch (96 where it cannot be read).
int ScreenDpi();

// The described font at `height` (the description's, scaled to the screen);
// fallbackFace is the face to use when neither the named face nor a stand-in
// exists (null: leave the choice to the font mapper).
FontHandle CreateDescribedFont(const TFontDescription &Font, int height, const char *fallbackFace);

} // namespace comsend
