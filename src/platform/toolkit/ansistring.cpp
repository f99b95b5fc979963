#include "platform/ansistring.h"

#include <utility>

namespace comsend {

AnsiString AnsiString::Unrepresentable(std::string utf8)
{
    AnsiString text;
    text.unrepresentable_ = std::move(utf8);
    return text;
}

} // namespace comsend
