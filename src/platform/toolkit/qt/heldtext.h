// A text box held while a handler runs (toolkit/backend.h). Read-only stops
// the keyboard, the mouse and the input method, and tells a screen reader
// that the box takes no edit; but an edit through the accessibility
// interface (AT-SPI's EditableText, as a screen reader or dictation tool
// makes it) calls the box's setText, which read-only does not stop. So a
// validator stands in the box meanwhile, and turns every change back into
// the text the box holds; the handler's own text goes through it.
#pragma once

class QLineEdit;
class QString;

namespace comsend {

void HoldTextBox(QLineEdit *Box, bool Hold);

// Sets the box's text, held or not.
void SetBoxText(QLineEdit *Box, const QString &Text);

} // namespace comsend
