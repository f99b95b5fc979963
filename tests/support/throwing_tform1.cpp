// A main form whose creation fails with something outside the Exception
// family.
#include "tform1.h"

#include <stdexcept>

namespace comsend {

namespace {

const TFormDescription kEmpty{.Name = "Form1",
                              .Caption = "Form1",
                              .Left = 0,
                              .Top = 0,
                              .Width = 100,
                              .Height = 50,
                              .Color = TColor::clBtnFace,
                              .Font = {.Name = "MS Sans Serif", .Height = -11},
                              .PixelsPerInch = 96,
                              .TextHeight = 13,
                              .Controls = {}};

} // namespace

TForm1::TForm1(TComponent *Owner) : TForm(Owner, kEmpty, {})
{
    throw std::runtime_error("form description unreadable");
}

} // namespace comsend
