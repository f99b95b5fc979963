// A form: a top-level window built from its stored form description, whose
// controls are bound by name to the form's published members and whose
// buttons call the published handlers the description names.
#pragma once

#include "component.h"
#include "controls.h"

#include <initializer_list>
#include <memory>
#include <string>
#include <utility>
#include <vector>

class QWidget;
class FormWindow;

// Builds the form's controls inside its window (generated from the form's
// description file).
using FormDescription = void (*)(QWidget *Window);

struct PublishedMethod {
    std::string Name;
    TNotifyEvent Method;
};

class TForm : public TComponent {
public:
    TForm(TComponent *Owner, FormDescription Description, std::initializer_list<PublishedMethod> Methods);
    ~TForm() override;

    void Show();
    void Close();

    // The window itself, for the toolkit and for driving it in tests.
    QWidget *Window() const;

protected:
    template <class Control> Control *Bind(const char *Name)
    {
        return new Control(this, FindControlWidget(Name, Control::WidgetClass));
    }

private:
    friend class TBitBtn;
    friend class FormWindow;

    QWidget *FindControlWidget(const char *Name, const char *WidgetClass) const;
    const TNotifyEvent &PublishedMethod(const std::string &Name) const;
    void SetDefaultButton(TBitBtn *Button) { defaultButton_ = Button; }
    void EnterPressed(QWidget *Focus);
    void Closed();

    std::unique_ptr<FormWindow> window_;
    std::vector<::PublishedMethod> methods_;
    TBitBtn *defaultButton_ = nullptr;
};
