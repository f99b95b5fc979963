#include "textrecall.h"

namespace comsend {

void TextRecall::Add(const AnsiString &Text)
{
    shown_.reset();
    if (!texts_.empty() && texts_.front() == Text)
        return;
    texts_.push_front(Text);
    if (texts_.size() > kKept)
        texts_.pop_back();
}

void TextRecall::Follow(const AnsiString &Current)
{
    if (shown_ && texts_[*shown_] != Current)
        shown_.reset();
    if (!shown_)
        typed_ = Current;
}

const AnsiString &TextRecall::Show(std::size_t Index)
{
    shown_ = Index;
    return texts_[Index];
}

std::optional<AnsiString> TextRecall::Older(const AnsiString &Current)
{
    Follow(Current);
    const std::size_t next = shown_ ? *shown_ + 1 : 0;
    if (next >= texts_.size())
        return std::nullopt;
    return Show(next);
}

std::optional<AnsiString> TextRecall::Newer(const AnsiString &Current)
{
    Follow(Current);
    if (!shown_)
        return std::nullopt;
    if (*shown_ == 0) {
        shown_.reset();
        return typed_;
    }
    return Show(*shown_ - 1);
}

} // namespace comsend
