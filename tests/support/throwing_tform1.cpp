// A main form whose creation fails with something outside the Exception
// family.
#include "support/testform.h"
#include "tform1.h"

#include <stdexcept>

namespace comsend {

namespace {

constexpr TFormDescription kEmpty = TestForm({});

} // namespace

TForm1::TForm1(TComponent *Owner) : TForm(Owner, kEmpty, {})
{
    throw std::runtime_error("form description unreadable");
}

} // namespace comsend
