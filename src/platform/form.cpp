#include "form.h"

#include "application.h"
#include "exception.h"
#include "formwindow.h"

#include <QAbstractButton>
#include <QVariant>

TForm::TForm(TComponent *Owner, FormDescription Description, std::initializer_list<::PublishedMethod> Methods)
    : TComponent(Owner), window_(std::make_unique<FormWindow>(this)), methods_(Methods)
{
    Description(window_.get());
}

TForm::~TForm() = default;

QWidget *TForm::Window() const
{
    return window_.get();
}

void TForm::Show()
{
    // The description keeps the window's place on the screen in Left and Top.
    const QVariant left = window_->property("Left");
    const QVariant top = window_->property("Top");
    if (left.isValid() && top.isValid())
        window_->move(left.toInt(), top.toInt());
    window_->show();
}

void TForm::Close()
{
    window_->close();
}

QWidget *TForm::FindControlWidget(const char *Name, const char *WidgetClass) const
{
    auto *widget = window_->findChild<QWidget *>(QString::fromLatin1(Name));
    if (widget == nullptr || !widget->inherits(WidgetClass))
        throw Exception(AnsiString(("The form description has no control " + std::string(Name)).c_str()));
    return widget;
}

const TNotifyEvent &TForm::PublishedMethod(const std::string &Name) const
{
    static const TNotifyEvent none;
    if (Name.empty())
        return none;
    for (const auto &method : methods_) {
        if (method.Name == Name)
            return method.Method;
    }
    throw Exception(AnsiString(("The form has no handler " + Name).c_str()));
}

void TForm::EnterPressed(QWidget *Focus)
{
    // Enter on a focused button clicks that button; elsewhere it clicks the
    // default button, while it is enabled.
    if (auto *button = qobject_cast<QAbstractButton *>(Focus))
        button->click();
    else if (defaultButton_ != nullptr && defaultButton_->GetEnabled())
        defaultButton_->Click();
}

void TForm::Closed()
{
    if (Application != nullptr)
        Application->FormClosed(this);
}
