// What makes a box modal on Qt: while it is up, the rest of the program
// takes no input. The box is not modal in Qt's sense: Qt drops a close
// request for a window that a modal one blocks, and the user's close of the
// main window must still end the program (at once, as Linux desktops
// expect). And a key that repeats because it is held down never acts in the
// box: the Enter that started a Send, still held when its progress box
// appears, must not cancel it, nor dismiss the message that follows.
#pragma once

#include <QObject>

class QWidget;

namespace comsend {

class BoxModality : public QObject {
public:
    explicit BoxModality(QWidget *Box);
    BoxModality(const BoxModality &) = delete;
    BoxModality &operator=(const BoxModality &) = delete;
    ~BoxModality() override;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QWidget *box_;
};

} // namespace comsend
