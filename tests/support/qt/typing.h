// Typing into a Qt text box as a user does: what is there is selected and
// deleted, then ASCII goes in key by key and anything else as an input
// method commits it.
#pragma once

class QString;
class QWidget;

// `editor` is the QLineEdit (a combo box's own included) or QPlainTextEdit.
void TypeInto(QWidget *editor, const QString &text);
