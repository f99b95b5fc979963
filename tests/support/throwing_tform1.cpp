// A main form whose description cannot be read: its creation throws
// something outside the Exception family.
#include "tform1.h"

#include <stdexcept>

namespace {

void ReadBrokenDescription(QWidget * /*Window*/)
{
    throw std::runtime_error("form description unreadable");
}

} // namespace

TForm1::TForm1(TComponent *Owner) : TForm(Owner, ReadBrokenDescription, {}) {}
