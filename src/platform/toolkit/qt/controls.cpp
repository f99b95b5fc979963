// The controls over their widgets. A label that sizes itself follows its
// caption, up to a length: measuring a caption of a million characters
// would keep the window loop busy for seconds, so a longer one shows its
// beginning and an ellipsis, and screen readers get all of it as the
// label's name. A button's click runs its handler as the window loop does.
#include "heldtext.h"
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

// Far more than any window shows, and quick to measure.
constexpr qsizetype kLongestCaption = 1000;

void SetCaption(QLabel *label, const QString &text, const TControlDescription &description)
{
    if (!description.AutoSize || text.size() <= kLongestCaption) {
        label->setText(text);
        label->setAccessibleName(QString::fromUtf8(description.AccessibleName));
        return;
    }
    qsizetype shown = kLongestCaption;
    if (text.at(shown - 1).isHighSurrogate())
        --shown;
    label->setText(text.left(shown) + QChar(u'\u2026'));
    label->setAccessibleName(text);
}

} // namespace

AnsiString TControl::GetText() const
{
    QWidget *widget = WidgetOf(*this);
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
    QWidget *widget = WidgetOf(*this);
    const QString text = FromAnsiString(Text);
    switch (description_.Class) {
    case TControlClass::Label:
        SetCaption(As<QLabel>(widget), text, description_);
        break;
    case TControlClass::ComboBox:
        As<QComboBox>(widget)->setEditText(text);
        break;
    case TControlClass::BitBtn:
        As<QPushButton>(widget)->setText(text);
        break;
    case TControlClass::Edit:
        SetBoxText(As<QLineEdit>(widget), text);
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
    return WidgetOf(*this)->isEnabled();
}

void TControl::SetEnabled(bool Value)
{
    WidgetOf(*this)->setEnabled(Value);
}

void BindButton(TForm &Form, TBitBtn &Button)
{
    if (Button.Description().Kind == TBitBtnKind::bkOK)
        Form.Native().defaultButton = &Button;
    auto *button = As<QPushButton>(WidgetOf(Button));
    QObject::connect(button, &QAbstractButton::clicked, button, [&Button] { Button.Click(); });
}

} // namespace comsend
