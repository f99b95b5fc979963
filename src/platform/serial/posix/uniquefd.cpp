#include "uniquefd.h"

#include <fcntl.h>
#include <unistd.h>

namespace comsend {

UniqueFd &UniqueFd::operator=(UniqueFd &&other) noexcept
{
    if (this != &other) {
        UniqueFd old(std::exchange(fd_, other.Release()));
    }
    return *this;
}

UniqueFd::~UniqueFd()
{
    if (fd_ >= 0)
        ::close(fd_);
}

UniqueFd UniqueFd::MovedAtOrAbove(int lowest)
{
    if (fd_ >= lowest)
        return std::move(*this);
    UniqueFd moved(::fcntl(fd_, F_DUPFD_CLOEXEC, lowest));
    UniqueFd old(Release());
    return moved;
}

} // namespace comsend
