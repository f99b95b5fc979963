// The window of a form. It gives Enter the meaning it has on a form with a
// default button, and turns a close request into the end of the program,
// once the handler that may be running has finished.
#pragma once

#include <QWidget>

namespace comsend {

class TForm;

class FormWindow : public QWidget {
public:
    explicit FormWindow(TForm *Form) : form_(Form) {}

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    TForm *form_;
};

} // namespace comsend
