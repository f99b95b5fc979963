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
    QMessageBox *box = nullptr;
    for (QWidget *widget : QApplication::topLevelWidgets()) {
        if (auto *shown = qobject_cast<QMessageBox *>(widget); shown != nullptr && shown->isVisible())
            box = shown;
    }
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
