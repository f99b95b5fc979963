// The controls over their widgets. A label that sizes itself follows its
// caption; a button's click runs its handler as the window loop does.
#include "native.h"
#include "textcodec.h"
#include "toolkit/backend.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

namespace comsend {

namespace {

template <class Widget> Widget *As(QWidget *widget)
{
    return static_cast<Widget *>(widget);
}

QWidget *WidgetFor(const TForm &form, const TControlDescription &description)
{
    return form.Native().controls.at(form.Description().IndexOf(description));
}

} // namespace

NativePart<NativeControl> MakeNativeControl(TForm &Form, const TControlDescription &Control)
{
    return MakeNativePart<NativeControl>(WidgetFor(Form, Control));
}

AnsiString TControl::GetText() const
{
    QWidget *widget = native_->widget;
    switch (description_.Class) {
    case TControlClass::Label:
        return ToAnsiString(As<QLabel>(widget)->text());
    case TControlClass::ComboBox:
        return ToAnsiString(As<QComboBox>(widget)->currentText());
    case TControlClass::BitBtn:
        return ToAnsiString(As<QPushButton>(widget)->text());
    case TControlClass::Edit:
        return ToAnsiString(As<QLineEdit>(widget)->text());
    case TControlClass::Memo:
        return ToAnsiString(As<QPlainTextEdit>(widget)->toPlainText());
    }
    return {};
}

void TControl::SetText(const AnsiString &Text)
{
    QWidget *widget = native_->widget;
    const QString text = FromAnsiString(Text);
    switch (description_.Class) {
    case TControlClass::Label:
        As<QLabel>(widget)->setText(text);
        break;
    case TControlClass::ComboBox:
        As<QComboBox>(widget)->setEditText(text);
        break;
    case TControlClass::BitBtn:
        As<QPushButton>(widget)->setText(text);
        break;
    case TControlClass::Edit:
        As<QLineEdit>(widget)->setText(text);
        break;
    case TControlClass::Memo:
        As<QPlainTextEdit>(widget)->setPlainText(text);
        break;
    }
    if (description_.AutoSize)
        widget->adjustSize();
}

bool TControl::GetEnabled() const
{
    return native_->widget->isEnabled();
}

void TControl::SetEnabled(bool Value)
{
    native_->widget->setEnabled(Value);
}

void BindButton(TForm &Form, TBitBtn &Button)
{
    if (Button.Description().Kind == TBitBtnKind::bkOK)
        Form.Native().defaultButton = &Button;
    auto *button = As<QPushButton>(Button.Native().widget);
    QObject::connect(button, &QAbstractButton::clicked, button, [&Button] { Button.Click(); });
}

} // namespace comsend
