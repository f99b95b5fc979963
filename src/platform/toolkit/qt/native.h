// What stands behind the toolkit's objects in the Qt backend (backend.h):
// a FormWindow for each form, with a widget for each control, and the
// QApplication for the application. The backend's own sources and the Qt
// tests include this; the form code never does.
#pragma once

#include "platform/application.h"
#include "platform/controls.h"
#include "platform/form.h"

#include <QApplication>
#include <QWidget>

#include <array>
#include <memory>
#include <vector>

namespace comsend {

class FormWindow;
class CloseSignals;

struct NativeForm {
    std::unique_ptr<FormWindow> window;
    // Every control the description built, in its order.
    std::vector<QWidget *> controls;
    TBitBtn *defaultButton = nullptr;
};

struct NativeApplication {
    std::array<char *, 2> argv{};
    int argc = 1;
    std::unique_ptr<QApplication> toolkit;
    std::unique_ptr<CloseSignals> closeSignals;
};

inline QWidget *WidgetOf(const TControl &Control)
{
    const TForm &form = Control.Form();
    return form.Native().controls[form.Description().IndexOf(Control.Description())];
}

QWidget *WindowOf(const TForm &Form);

} // namespace comsend
