// Drives the main window through its real widgets, as a user would.
#pragma once

#include "native.h"
#include "support/buttonstates.h"
#include "tform1.h"

#include <QString>
#include <QStringList>

class QAbstractButton;
class QComboBox;
class QLineEdit;

char *toString(const ButtonStates &states); // for QCOMPARE

using comsend::TBitBtn;
using comsend::TForm1;

class FormDriver {
public:
    explicit FormDriver(TForm1 &form) : form_(form) {}

    ButtonStates States() const;
    QComboBox *PortBox() const;
    QLineEdit *TextBox() const;
    QAbstractButton *Button(TBitBtn *button) const;

    // Replaces the port box's text by typing.
    void TypePort(const QString &name);
    // Replaces the text box's text by typing.
    void TypeText(const QString &text);
    void Click(TBitBtn *button);
    // Types the port's name and clicks Connect; the texts of the boxes
    // that came up.
    QStringList Connect(const QString &port);

private:
    TForm1 &form_;
};
