// The application object: it starts the toolkit, creates the forms, runs the
// window loop and shows the exceptions that reach it.
#pragma once

#include "ansistring.h"
#include "component.h"
#include "exception.h"

#include <memory>
#include <string>

class QApplication;
class TForm;

class TApplication : public TComponent {
public:
    explicit TApplication(std::string ProgramName);
    ~TApplication() override;

    void Initialize();

    // Creates a form owned by the application; the first form created is the
    // main form.
    template <class Form> void CreateForm(Form **Reference)
    {
        auto *form = new Form(this);
        *Reference = form;
        if (mainForm_ == nullptr)
            mainForm_ = form;
    }

    // Shows the main form and dispatches events until it closes.
    void Run();

    void ShowException(const Exception &E);

    // Shows the exception being handled: an Exception with its message, any
    // other as an Exception with an empty one.
    void HandleException(TObject *Sender);

    TForm *MainForm() const { return mainForm_; }
    void FormClosed(TForm *Form);

private:
    std::string programName_;
    char *argv_[2];
    int argc_ = 1;
    std::unique_ptr<QApplication> toolkit_;
    TForm *mainForm_ = nullptr;
};

extern TApplication *Application;

// A modal box showing the text with one acknowledge button; returns when the
// user dismisses it.
void ShowMessage(const AnsiString &Msg);

// The program's runtime around its entry point: makes the application object
// and, at the end, releases the forms before the toolkit.
class ProgramRuntime {
public:
    explicit ProgramRuntime(const char *ProgramName);
    ProgramRuntime(const ProgramRuntime &) = delete;
    ProgramRuntime &operator=(const ProgramRuntime &) = delete;
    ~ProgramRuntime();

private:
    std::unique_ptr<TApplication> application_;
};
