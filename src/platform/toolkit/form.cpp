// The parts of a form that every backend shares: the lookup of what its
// description names. The window and its controls are the backend's
// (qt/form.cpp, win32/form.cpp).
#include "platform/form.h"

#include "platform/exception.h"

#include <string>
#include <string_view>

namespace comsend {

const TNotifyEvent &TForm::PublishedMethod(const char *Name) const
{
    static const TNotifyEvent none;
    if (Name == nullptr)
        return none;
    for (const auto &method : methods_) {
        if (std::string_view(method.Name) == Name)
            return method.Method;
    }
    throw Exception(AnsiString("The form has no handler " + std::string(Name)));
}

const TControlDescription &TForm::DescribedControl(const char *Name, TControlClass Class) const
{
    const TControlDescription *control = description_.Find(Name);
    if (control == nullptr || control->Class != Class)
        throw Exception(AnsiString("The form description has no control " + std::string(Name)));
    return *control;
}

} // namespace comsend
