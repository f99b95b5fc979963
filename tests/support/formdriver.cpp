#include "formdriver.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QLineEdit>
#include <QTest>

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
    return static_cast<QComboBox *>(form_.ComboBox1->Widget());
}

QLineEdit *FormDriver::TextBox() const
{
    return static_cast<QLineEdit *>(form_.Edit1->Widget());
}

QAbstractButton *FormDriver::Button(TBitBtn *button) const
{
    return static_cast<QAbstractButton *>(button->Widget());
}

void FormDriver::TypePort(const QString &name)
{
    QLineEdit *edit = PortBox()->lineEdit();
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Delete);
    QTest::keyClicks(edit, name);
}

void FormDriver::TypeText(const QString &text)
{
    TextBox()->selectAll();
    QTest::keyClick(TextBox(), Qt::Key_Delete);
    QTest::keyClicks(TextBox(), text);
}

void FormDriver::Click(TBitBtn *button)
{
    QTest::mouseClick(Button(button), Qt::LeftButton);
}
