// A form: a top-level window built from its stored form description, whose
// controls are bound by name to the form's published members and whose
// buttons call the published handlers the description names.
#pragma once

#include "component.h"
#include "controls.h"
#include "formdescription.h"

#include <initializer_list>
#include <memory>
#include <vector>

namespace comsend {

struct NativeForm;

struct PublishedMethod {
    const char *Name;
    TNotifyEvent Method;
};

class TForm : public TComponent {
public:
    // Builds the window and every control of the description.
    TForm(TComponent *Owner, const TFormDescription &Description,
          std::initializer_list<PublishedMethod> Methods);
    ~TForm() override;

    void Show();

    const TFormDescription &Description() const { return description_; }
    // The handler the description names for a click; none for no name.
    // Throws an Exception for a name the form does not publish.
    const TNotifyEvent &PublishedMethod(const char *Name) const;
    // The description's control of that name and class; throws an Exception
    // where there is none.
    const TControlDescription &DescribedControl(const char *Name, TControlClass Class) const;

    // The backend's window and controls (its native.h), for the backend and
    // for driving them in tests.
    NativeForm &Native() const { return *native_; }

protected:
    template <class Control> Control *Bind(const char *Name) { return new Control(this, Name); }

private:
    const TFormDescription &description_;
    std::vector<comsend::PublishedMethod> methods_;
    std::unique_ptr<NativeForm> native_;
};

} // namespace comsend
