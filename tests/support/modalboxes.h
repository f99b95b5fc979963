// Waits for the modal message boxes the program shows, records each one's
// text, lets the test look at the window while the box is up, and dismisses
// the box through its one button.
#pragma once

#include <QObject>
#include <QPointer>
#include <QStringList>
#include <QTimer>

#include <functional>

class QMessageBox;

// The message box that is up, or null.
QMessageBox *ShownMessageBox();

class ModalBoxes : public QObject {
public:
    using Inspect = std::function<void(const QMessageBox &box)>;

    explicit ModalBoxes(Inspect whileUp = {});

    const QStringList &Texts() const { return texts_; }
    // Boxes that did not have exactly one button.
    int BoxesWithOtherButtons() const { return otherButtons_; }

private:
    void Poll();

    Inspect whileUp_;
    QTimer timer_;
    QPointer<QMessageBox> handled_;
    QStringList texts_;
    int otherButtons_ = 0;
};
