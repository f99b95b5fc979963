#include "controls.h"

#include "application.h"
#include "bitbtnglyphs.h"
#include "form.h"
#include "textcodec.h"

#include <QComboBox>
#include <QIcon>
#include <QInputMethodQueryEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QPushButton>

namespace {

template <class Widget> Widget *As(QWidget *widget)
{
    return static_cast<Widget *>(widget);
}

// Answers the input method's queries for a text box that wants Chinese
// entry: the widget's own answers, with zh_TW as the preferred language.
class ChineseInputMode : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() != QEvent::InputMethodQuery)
            return false;
        auto *widget = static_cast<QWidget *>(watched);
        auto *query = static_cast<QInputMethodQueryEvent *>(event);
        for (unsigned bit = 0; bit < 32; ++bit) {
            const auto item = static_cast<Qt::InputMethodQuery>(query->queries().toInt() & (1U << bit));
            if (item == 0)
                continue;
            QVariant value = widget->inputMethodQuery(item);
            if (item == Qt::ImEnabled && !value.isValid())
                value = widget->isEnabled();
            if (item == Qt::ImPreferredLanguage)
                value = QStringLiteral("zh_TW");
            query->setValue(item, value);
        }
        query->accept();
        return true;
    }
};

// The stock glyph of a button kind.
QIcon GlyphOfKind(const QString &kind)
{
    if (kind == QLatin1String("bkOK"))
        return {QPixmap(kGlyphOk)};
    if (kind == QLatin1String("bkRetry"))
        return {QPixmap(kGlyphRetry)};
    if (kind == QLatin1String("bkAbort"))
        return {QPixmap(kGlyphAbort)};
    return {};
}

} // namespace

TControl::TControl(TForm *Owner, QWidget *Widget) : TComponent(Owner), widget_(Widget) {}

bool TControl::GetEnabled() const
{
    return widget_->isEnabled();
}

void TControl::SetEnabled(bool Value)
{
    widget_->setEnabled(Value);
}

TLabel::TLabel(TForm *Owner, QWidget *Widget) : TControl(Owner, Widget)
{
    if (widget_->property("AutoSize").toBool())
        widget_->adjustSize();
}

AnsiString TLabel::GetText() const
{
    return ToAnsiString(As<QLabel>(widget_)->text());
}

void TLabel::SetText(const AnsiString &Text)
{
    As<QLabel>(widget_)->setText(FromAnsiString(Text));
    if (widget_->property("AutoSize").toBool())
        widget_->adjustSize();
}

TComboBox::TComboBox(TForm *Owner, QWidget *Widget) : TControl(Owner, Widget)
{
    // The port name is taken exactly as typed: no completion from the list.
    As<QComboBox>(widget_)->setCompleter(nullptr);
}

AnsiString TComboBox::GetText() const
{
    return ToAnsiString(As<QComboBox>(widget_)->currentText());
}

void TComboBox::SetText(const AnsiString &Text)
{
    As<QComboBox>(widget_)->setEditText(FromAnsiString(Text));
}

TEdit::TEdit(TForm *Owner, QWidget *Widget) : TControl(Owner, Widget)
{
    if (widget_->property("ImeMode").toString() == QLatin1String("imChinese"))
        widget_->installEventFilter(new ChineseInputMode(widget_));
}

AnsiString TEdit::GetText() const
{
    return ToAnsiString(As<QLineEdit>(widget_)->text());
}

void TEdit::SetText(const AnsiString &Text)
{
    As<QLineEdit>(widget_)->setText(FromAnsiString(Text));
}

TMemo::TMemo(TForm *Owner, QWidget *Widget) : TControl(Owner, Widget) {}

AnsiString TMemo::GetText() const
{
    return ToAnsiString(As<QPlainTextEdit>(widget_)->toPlainText());
}

void TMemo::SetText(const AnsiString &Text)
{
    As<QPlainTextEdit>(widget_)->setPlainText(FromAnsiString(Text));
}

TBitBtn::TBitBtn(TForm *Owner, QWidget *Widget)
    : TControl(Owner, Widget),
      onClick_(Owner->PublishedMethod(widget_->property("OnClick").toString().toStdString()))
{
    auto *button = As<QPushButton>(widget_);
    const QString kind = button->property("Kind").toString();
    button->setIcon(GlyphOfKind(kind));
    if (kind == QLatin1String("bkOK"))
        Owner->SetDefaultButton(this);
    QObject::connect(button, &QAbstractButton::clicked, button, [this] { Click(); });
}

AnsiString TBitBtn::GetText() const
{
    return ToAnsiString(As<QPushButton>(widget_)->text());
}

void TBitBtn::SetText(const AnsiString &Text)
{
    As<QPushButton>(widget_)->setText(FromAnsiString(Text));
}

void TBitBtn::Click()
{
    // The handlers neither throw nor catch; whatever escapes one is shown,
    // and the window goes on.
    try {
        if (onClick_)
            onClick_(this);
    } catch (...) {
        Application->HandleException(this);
    }
}
