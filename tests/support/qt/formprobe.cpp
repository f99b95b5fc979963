// The probe on the Qt backend: QTest's mouse and key events on the widgets,
// and the boxes found among the application's visible windows.
#include "support/formprobe.h"

#include "native.h"
#include "support/ptypair.h"
#include "support/qt/typing.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QInputMethodQueryEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPointer>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

using namespace comsend;

namespace {

QWidget *Widget(const TControl &control)
{
    return WidgetOf(control);
}

QLineEdit *LineEditOf(const TControl &box)
{
    QWidget *widget = Widget(box);
    if (auto *combo = qobject_cast<QComboBox *>(widget))
        return combo->lineEdit();
    return qobject_cast<QLineEdit *>(widget);
}

Rect RectOf(const QRect &r)
{
    return {r.x(), r.y(), r.width(), r.height()};
}

QMessageBox *ShownMessageBox()
{
    for (QWidget *widget : QApplication::topLevelWidgets()) {
        if (auto *shown = qobject_cast<QMessageBox *>(widget); shown != nullptr && shown->isVisible())
            return shown;
    }
    return nullptr;
}

// The box that is up: a message box, or a dialog of the program's own (a
// progress box), with the text it shows.
QWidget *Box(QString *text = nullptr)
{
    if (QMessageBox *message = ShownMessageBox()) {
        if (text != nullptr)
            *text = message->text();
        return message;
    }
    for (QWidget *widget : QApplication::topLevelWidgets()) {
        if (widget->isVisible() && qobject_cast<QDialog *>(widget) != nullptr) {
            if (text != nullptr)
                *text = widget->findChild<QLabel *>()->text();
            return widget;
        }
    }
    return nullptr;
}

} // namespace

FormProbe::FormProbe(TForm1 &form) : form_(form) {}

void FormProbe::ShowAndActivate()
{
    form_.Show();
    QApplication::setActiveWindow(WindowOf(form_));
    if (!QTest::qWaitForWindowActive(WindowOf(form_)))
        ADD_FAILURE() << "the form's window did not become active";
}

std::string FormProbe::WindowCaption() const
{
    return WindowOf(form_)->windowTitle().toStdString();
}

// Without a window manager the window's frame is its client area.
Rect FormProbe::WindowRect() const
{
    const QWidget *window = WindowOf(form_);
    return RectOf(QRect(window->pos(), window->size()));
}

Rect FormProbe::ControlRect(const TControl &control) const
{
    return RectOf(Widget(control)->geometry());
}

std::string FormProbe::Text(const TControl &control) const
{
    QWidget *widget = Widget(control);
    QString text;
    if (auto *label = qobject_cast<QLabel *>(widget))
        text = label->text();
    else if (auto *combo = qobject_cast<QComboBox *>(widget))
        text = combo->currentText();
    else if (auto *button = qobject_cast<QAbstractButton *>(widget))
        text = button->text();
    else if (auto *edit = qobject_cast<QLineEdit *>(widget))
        text = edit->text();
    else if (auto *memo = qobject_cast<QPlainTextEdit *>(widget))
        text = memo->toPlainText();
    return text.toStdString();
}

std::vector<std::string> FormProbe::Items(const TComboBox &box) const
{
    const auto *combo = static_cast<QComboBox *>(Widget(box));
    std::vector<std::string> items;
    items.reserve(static_cast<std::size_t>(combo->count()));
    for (int i = 0; i < combo->count(); ++i)
        items.push_back(combo->itemText(i).toStdString());
    return items;
}

bool FormProbe::Editable(const TComboBox &box) const
{
    return static_cast<QComboBox *>(Widget(box))->isEditable();
}

Rect FormProbe::TextExtent(const TControl &control) const
{
    const QSize size = Widget(control)->sizeHint();
    return {0, 0, size.width(), size.height()};
}

// The window's own focus, which it keeps while a message box has the keyboard.
bool FormProbe::HasFocus(const TControl &control) const
{
    QWidget *focus = WindowOf(form_)->focusWidget();
    return focus != nullptr && (focus == Widget(control) || focus->parentWidget() == Widget(control));
}

bool FormProbe::AsksForChineseInput(const TControl &box)
{
    Focus(box);
    QInputMethodQueryEvent query(Qt::ImPreferredLanguage | Qt::ImEnabled);
    QApplication::sendEvent(Widget(box), &query);
    return query.value(Qt::ImEnabled).toBool() && query.value(Qt::ImPreferredLanguage).toString() == "zh_TW";
}

void FormProbe::Focus(const TControl &control)
{
    QApplication::setActiveWindow(WindowOf(form_));
    Widget(control)->setFocus();
}

void FormProbe::Type(const TControl &box, const std::string &text)
{
    Focus(box);
    QWidget *line = LineEditOf(box);
    TypeInto(line != nullptr ? line : Widget(box), QString::fromStdString(text));
}

void FormProbe::Press(Key key, Stroke stroke)
{
    const Qt::Key codes[] = {Qt::Key_Tab, Qt::Key_Return, Qt::Key_Escape, Qt::Key_Up, Qt::Key_Down};
    const Qt::Key code = codes[static_cast<int>(key)];
    QWidget *target =
        QApplication::focusWidget() != nullptr ? QApplication::focusWidget() : WindowOf(form_)->focusWidget();
    if (stroke == Stroke::Pressed) {
        QTest::keyClick(target, code);
        return;
    }
    QKeyEvent repeated(QEvent::KeyPress, code, Qt::NoModifier, QString(), true);
    QApplication::sendEvent(target, &repeated);
}

void FormProbe::Click(const TBitBtn &button)
{
    ClickButton(button);
}

void FormProbe::AccessiblePress(const TBitBtn &button)
{
    QAccessibleInterface *accessible = QAccessible::queryAccessibleInterface(Widget(button));
    ASSERT_TRUE(accessible != nullptr && accessible->actionInterface() != nullptr);
    accessible->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    QTest::qWait(200); // the click comes after the button's pressed look
}

void FormProbe::AccessibleEdit(const TControl &box, const std::string &text)
{
    QAccessibleInterface *accessible = QAccessible::queryAccessibleInterface(Widget(box));
    ASSERT_TRUE(accessible != nullptr && accessible->editableTextInterface() != nullptr);
    QAccessibleEditableTextInterface *editable = accessible->editableTextInterface();
    const QString added = QString::fromStdString(text);
    editable->replaceText(0, accessible->textInterface()->characterCount(), added);
    editable->insertText(0, added);
}

std::string FormProbe::BoxUp() const
{
    QString text;
    return Box(&text) != nullptr ? text.toStdString() : std::string();
}

void ClickButton(const TBitBtn &button)
{
    QTest::mouseClick(Widget(button), Qt::LeftButton);
}

// `handled` keeps a box from being counted twice should the timer fire again
// before the box has gone.
AnsweredBoxes AnswerBoxes(const std::function<void()> &action, const std::function<void()> &whileUp)
{
    AnsweredBoxes answered;
    QPointer<QMessageBox> handled;
    QTimer ticks;
    QObject::connect(&ticks, &QTimer::timeout, [&] {
        QMessageBox *box = ShownMessageBox();
        if (box == nullptr || box == handled)
            return;
        handled = box;
        answered.texts.push_back(box->text().toStdString());
        if (whileUp)
            whileUp();
        const QList<QAbstractButton *> buttons = box->buttons();
        if (buttons.size() != 1)
            ++answered.withOtherButtons;
        if (!buttons.isEmpty())
            buttons.front()->click();
        else
            box->reject();
    });
    ticks.start(5);
    action();
    return answered;
}

std::vector<std::string> ScriptBoxes(const std::function<void()> &action,
                                     const std::function<bool(ShownBox kind, const std::string &text)> &inBox)
{
    std::vector<std::string> answered;
    QTimer ticks;
    QObject::connect(&ticks, &QTimer::timeout, [&] {
        QString text;
        QWidget *box = Box(&text);
        auto *message = qobject_cast<QMessageBox *>(box);
        if (box != nullptr
            && inBox(message != nullptr ? ShownBox::Message : ShownBox::Progress, text.toStdString())
            && message != nullptr) {
            answered.push_back(text.toStdString());
            message->buttons().front()->click();
        }
    });
    ticks.start(10);
    action();
    return answered;
}

struct TestPort::Impl {
    PtyPair pty;
};

// Nobody reads the pseudo-terminal, which holds more than the short texts
// tests send to a port whose far end reads.
TestPort::TestPort(FarEnd /*far*/) : impl_(std::make_unique<Impl>()) {}

TestPort::~TestPort() = default;

std::string TestPort::Name() const
{
    return impl_->pty.SlavePath();
}

std::string TestPort::Missing()
{
    return "/nonexistent/port";
}
