// The stock button kinds' glyphs as icons, drawn from the same pixel data
// as the Qt backend's (toolkit/bitbtnglyphs.h).
#pragma once

#include "handles.h"

#include "platform/formdescription.h"

namespace comsend {

// The glyph of a button kind at size x size pixels; null for a custom button.
IconHandle GlyphOfKind(TBitBtnKind Kind, int size);

} // namespace comsend
