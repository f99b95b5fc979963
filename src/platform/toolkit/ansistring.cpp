#include "platform/ansistring.h"

#include "backend.h"

#include <string_view>
#include <utility>

namespace comsend {

AnsiString AnsiString::Unrepresentable(std::string utf8)
{
    AnsiString text;
    text.unrepresentable_ = std::move(utf8);
    return text;
}

std::size_t AnsiString::CharLengthAt(std::size_t Index) const
{
    return Index < narrow_.size() ? NarrowCharacterLength(std::string_view(narrow_).substr(Index)) : 0;
}

} // namespace comsend
