// The application object: it starts the toolkit, creates the forms, runs the
// window loop and shows the exceptions that reach it.
#pragma once

#include "ansistring.h"
#include "component.h"
#include "exception.h"

#include <memory>
#include <string>

namespace comsend {

class TForm;
struct NativeApplication;

class TApplication : public TComponent {
public:
    explicit TApplication(std::string ProgramName);
    ~TApplication() override;

    // Starts the window toolkit. Where there is no display to show windows
    // on, says so on standard error and ends the process with status 1.
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

    // Shows the main form and dispatches events until it closes or the
    // application is terminated.
    void Run();

    void ShowException(const Exception &E);

    // Shows the exception being handled: an Exception with its message, any
    // other as an Exception with an empty one.
    void HandleException(TObject *Sender);

    // Ends the window loop the way closing the main form does, whenever it
    // is asked: a handler that is running finishes first, with its message
    // boxes closed and its long operation cancelled, and shows no more boxes.
    void Terminate();
    bool Terminated() const { return terminated_; }

    TForm *MainForm() const { return mainForm_; }
    // The program's name: the caption of its message boxes.
    const std::string &Title() const { return programName_; }

    // What stands behind the application in the window backend (its
    // native.h; what a backend supplies is toolkit/backend.h).
    NativeApplication &Native() const { return *native_; }

private:
    std::string programName_;
    TForm *mainForm_ = nullptr;
    bool terminated_ = false;
    std::unique_ptr<NativeApplication> native_;
};

extern TApplication *Application;

// A modal box showing the text with one acknowledge button; returns when the
// user dismisses it, or at once once the application is terminated.
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

} // namespace comsend
