// The parts of the probe every backend shares.
#include "support/formprobe.h"

#include <ostream>

std::ostream &operator<<(std::ostream &out, const Rect &r)
{
    return out << r.left << "," << r.top << " " << r.width << "x" << r.height;
}

ButtonStates FormProbe::States() const
{
    return {form_.BitBtn1->GetEnabled(), form_.BitBtn2->GetEnabled(), form_.BitBtn3->GetEnabled()};
}

const comsend::TControl *FormProbe::Focused() const
{
    for (const comsend::TControl *control : std::initializer_list<const comsend::TControl *>{
             form_.Label1, form_.ComboBox1, form_.BitBtn1, form_.BitBtn2, form_.Edit1, form_.Label2,
             form_.BitBtn3, form_.Memo1, form_.Label3}) {
        if (HasFocus(*control))
            return control;
    }
    return nullptr;
}
