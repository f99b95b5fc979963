// The window of a form. It gives Enter the meaning it has on a form with a
// default button, and tells the form when it closes.
#pragma once

#include <QWidget>

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
