#include "modalboxes.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>

ModalBoxes::ModalBoxes(Inspect whileUp) : whileUp_(std::move(whileUp))
{
    connect(&timer_, &QTimer::timeout, this, &ModalBoxes::Poll);
    timer_.start(5);
}

QMessageBox *ShownMessageBox()
{
    for (QWidget *widget : QApplication::topLevelWidgets()) {
        if (auto *shown = qobject_cast<QMessageBox *>(widget); shown != nullptr && shown->isVisible())
            return shown;
    }
    return nullptr;
}

void ModalBoxes::Poll()
{
    QMessageBox *box = ShownMessageBox();
    if (box == nullptr || box == handled_)
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
