// A small form of the tests' own, with the given controls, for what needs a
// form but not the main one.
#pragma once

#include "platform/formdescription.h"

constexpr comsend::TFormDescription TestForm(std::span<const comsend::TControlDescription> controls)
{
    return {.Name = "Form",
            .Caption = "Form",
            .Left = 0,
            .Top = 0,
            .Width = 100,
            .Height = 50,
            .Font = {.Name = "MS Sans Serif", .Height = -11},
            .PixelsPerInch = 96,
            .Controls = controls};
}
