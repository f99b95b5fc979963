#include "formwindow.h"

#include "native.h"
#include "toolkit/dispatch.h"

#include <QAbstractButton>
#include <QCloseEvent>
#include <QKeyEvent>

namespace comsend {

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

void FormWindow::closeEvent(QCloseEvent *event)
{
    if (CloseRequested(*form_))
        QWidget::closeEvent(event);
    else
        event->ignore();
}

} // namespace comsend
