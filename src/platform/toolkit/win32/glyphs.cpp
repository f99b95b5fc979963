#include "glyphs.h"

#include "toolkit/bitbtnglyphs.h"
#include "xpmicon.h"

namespace comsend {

IconHandle GlyphOfKind(TBitBtnKind Kind, int size)
{
    switch (Kind) {
    case TBitBtnKind::bkOK:
        return IconFromXpm(kGlyphOk, size);
    case TBitBtnKind::bkRetry:
        return IconFromXpm(kGlyphRetry, size);
    case TBitBtnKind::bkAbort:
        return IconFromXpm(kGlyphAbort, size);
    case TBitBtnKind::bkCustom:
        break;
    }
    return nullptr;
}

} // namespace comsend
