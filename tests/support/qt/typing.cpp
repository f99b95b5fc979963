#include "support/qt/typing.h"

#include <QApplication>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTest>

void TypeInto(QWidget *editor, const QString &text)
{
    if (auto *line = qobject_cast<QLineEdit *>(editor))
        line->selectAll();
    else if (auto *memo = qobject_cast<QPlainTextEdit *>(editor))
        memo->selectAll();
    QTest::keyClick(editor, Qt::Key_Delete);
    for (const QChar character : text) {
        if (character.unicode() > 0 && character.unicode() < 0x7f) {
            QTest::keyClick(editor, character.toLatin1());
        } else {
            QInputMethodEvent commit;
            commit.setCommitString(character);
            QApplication::sendEvent(editor, &commit);
        }
    }
}
