// The look and input habits of the stock controls that Qt has no property
// for: the stock button kinds' glyphs, and a text box that asks the input
// method for Chinese entry.
#pragma once

#include "platform/formdescription.h"

#include <QIcon>

class QWidget;

namespace comsend {

// The stock glyph of a button kind; none for a custom button.
QIcon GlyphOfKind(TBitBtnKind Kind);

// While the box has focus, the input method is told that it takes Chinese.
void AskForChineseInput(QWidget *Box);

} // namespace comsend
