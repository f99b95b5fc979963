#include "modalboxes.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>

ModalBoxes::ModalBoxes(Inspect whileUp) : whileUp_(std::move(whileUp))
{
    connect(&timer_, &QTimer::timeout, this, &ModalBoxes::Poll);
    timer_.start(5);
}

void ModalBoxes::Poll()
{
    auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
    if (box == nullptr || box == handled_ || !box->isVisible())
        return;
    handled_ = box;
    texts_ << box->text();
    if (whileUp_)
        whileUp_(*box);
    const QList<QAbstractButton *> buttons = box->buttons();
    if (buttons.size() != 1)
        ++otherButtons_;
    if (!buttons.isEmpty())
        buttons.front()->click();
    else
        box->reject();
}
