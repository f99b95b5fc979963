// The window of a form. It gives Enter the meaning it has on a form with a
// default button, and turns a close request into the end of the program,
// once the handler that may be running has finished. A window that another
// X client destroys (xdotool windowclose, xkill's kinder cousins) is closed
// for good: Qt itself takes no notice and would leave the program running
// with no window at all, so the window watches for its own DestroyNotify
// and takes it as a close request. And it keeps to its maximum size even
// where no window manager enforces it: another client may resize it as it
// likes, and the toolkit would paint and hold all of it.
#pragma once

#include <QAbstractNativeEventFilter>
#include <QWidget>

namespace comsend {

class TForm;

class FormWindow : public QWidget, public QAbstractNativeEventFilter {
public:
    explicit FormWindow(TForm *Form);
    FormWindow(const FormWindow &) = delete;
    FormWindow &operator=(const FormWindow &) = delete;
    ~FormWindow() override;

    bool nativeEventFilter(const QByteArray &eventType, void *message, qintptr *result) override;

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    TForm *form_;
};

} // namespace comsend
