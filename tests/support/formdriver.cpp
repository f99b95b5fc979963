#include "formdriver.h"

#include "native.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QTest>

using namespace comsend;

char *toString(const ButtonStates &states)
{
    return QTest::toString(QStringLiteral("Connect %1, Disconnect %2, Send %3")
                               .arg(states.connect ? "on" : "off", states.disconnect ? "on" : "off",
                                    states.send ? "on" : "off"));
}

ButtonStates FormDriver::States() const
{
    return {form_.BitBtn1->GetEnabled(), form_.BitBtn2->GetEnabled(), form_.BitBtn3->GetEnabled()};
}

QComboBox *FormDriver::PortBox() const
{
    return static_cast<QComboBox *>(WidgetOf(*form_.ComboBox1));
}

QLineEdit *FormDriver::TextBox() const
{
    return static_cast<QLineEdit *>(WidgetOf(*form_.Edit1));
}

QAbstractButton *FormDriver::Button(TBitBtn *button) const
{
    return static_cast<QAbstractButton *>(WidgetOf(*button));
}

namespace {

// Clears the box and types the text: ASCII key by key, anything else as an
// input method commits it.
void Type(QWidget *box, QLineEdit *edit, const QString &text)
{
    box->setFocus();
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Delete);
    for (const QChar character : text) {
        if (character.unicode() > 0 && character.unicode() < 0x7f) {
            QTest::keyClick(edit, character.toLatin1());
        } else {
            QInputMethodEvent commit;
            commit.setCommitString(character);
            QApplication::sendEvent(edit, &commit);
        }
    }
}

} // namespace

void FormDriver::TypePort(const QString &name)
{
    Type(PortBox(), PortBox()->lineEdit(), name);
}

void FormDriver::TypeText(const QString &text)
{
    Type(TextBox(), TextBox(), text);
}

void FormDriver::Click(TBitBtn *button)
{
    QTest::mouseClick(Button(button), Qt::LeftButton);
}
