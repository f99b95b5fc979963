#include "formwindow.h"

#include "form.h"

#include <QKeyEvent>

void FormWindow::keyPressEvent(QKeyEvent *event)
{
    // Only keys that no control took arrive here: the memo keeps Enter for
    // its new lines, while the text boxes and the buttons let it through.
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (enter && (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
        form_->EnterPressed(focusWidget());
        event->accept();
        return;
    }
    QWidget::keyPressEvent(event);
}

void FormWindow::closeEvent(QCloseEvent *event)
{
    QWidget::closeEvent(event);
    form_->Closed();
}
