#include "formwindow.h"

#include "native.h"
#include "toolkit/dispatch.h"

#include <QAbstractButton>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QResizeEvent>

#include <xcb/xcb.h>

namespace comsend {

FormWindow::FormWindow(TForm *Form) : form_(Form)
{
    QCoreApplication::instance()->installNativeEventFilter(this);
}

FormWindow::~FormWindow()
{
    QCoreApplication::instance()->removeNativeEventFilter(this);
}

// Only the window that is up now counts: Qt destroys the X windows of its
// own accord too, after it has let go of them.
bool FormWindow::nativeEventFilter(const QByteArray &eventType, void *message, qintptr * /*result*/)
{
    if (eventType != "xcb_generic_event_t")
        return false;
    const auto *event = static_cast<const xcb_generic_event_t *>(message);
    if ((event->response_type & 0x7f) != XCB_DESTROY_NOTIFY)
        return false;
    const auto *destroyed = static_cast<const xcb_destroy_notify_event_t *>(message);
    if (isVisible() && internalWinId() != 0 && destroyed->window == internalWinId())
        CloseRequested(*form_);
    return false;
}

void FormWindow::keyPressEvent(QKeyEvent *event)
{
    // Only keys that no control took arrive here: the memo keeps Enter for
    // its new lines, while the text boxes and the buttons let it through.
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (!enter || (event->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier) {
        QWidget::keyPressEvent(event);
        return;
    }
    event->accept();
    // Enter on a focused button clicks that button; elsewhere it clicks the
    // default button, which, disabled, ignores it as it does every click.
    TBitBtn *defaultButton = form_->Native().defaultButton;
    if (auto *button = qobject_cast<QAbstractButton *>(focusWidget()))
        button->click();
    else if (defaultButton != nullptr)
        defaultButton->Click();
}

void FormWindow::resizeEvent(QResizeEvent *event)
{
    const QSize bounded = event->size().boundedTo(maximumSize());
    if (bounded != event->size())
        resize(bounded);
    QWidget::resizeEvent(event);
}

void FormWindow::closeEvent(QCloseEvent *event)
{
    if (CloseRequested(*form_))
        QWidget::closeEvent(event);
    else
        event->ignore();
}

} // namespace comsend
