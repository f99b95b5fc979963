#include "formdriver.h"

#include "native.h"
#include "support/modalboxes.h"
#include "support/qt/typing.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
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

void FormDriver::TypePort(const QString &name)
{
    PortBox()->setFocus();
    TypeInto(PortBox()->lineEdit(), name);
}

void FormDriver::TypeText(const QString &text)
{
    TextBox()->setFocus();
    TypeInto(TextBox(), text);
}

QStringList FormDriver::Connect(const QString &port)
{
    ModalBoxes boxes;
    TypePort(port);
    Click(form_.BitBtn1);
    return boxes.Texts();
}

void FormDriver::Click(TBitBtn *button)
{
    QTest::mouseClick(Button(button), Qt::LeftButton);
}
