#include "ptypair.h"

#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <unistd.h>

PtyPair::PtyPair()
{
    int slave = -1;
    char name[256] = {};
    if (::openpty(&master_, &slave, name, nullptr, nullptr) != 0)
        return;
    slavePath_ = name;
    ::fcntl(master_, F_SETFL, ::fcntl(master_, F_GETFL) | O_NONBLOCK);
    ::close(slave);
}

PtyPair::~PtyPair()
{
    CloseMaster();
}

std::vector<unsigned char> PtyPair::Drain(std::size_t expected, int quietMs)
{
    std::vector<unsigned char> bytes;
    for (;;) {
        if (expected > 0 && bytes.size() >= expected)
            break;
        pollfd entry{master_, POLLIN, 0};
        if (::poll(&entry, 1, quietMs) <= 0 || (entry.revents & POLLIN) == 0)
            break;
        unsigned char buffer[4096];
        const ssize_t got = ::read(master_, buffer, sizeof buffer);
        if (got <= 0)
            break;
        bytes.insert(bytes.end(), buffer, buffer + got);
    }
    return bytes;
}

termios PtyPair::Settings() const
{
    termios tio{};
    ::tcgetattr(master_, &tio);
    return tio;
}

void PtyPair::SetSlaveSettings(const termios &tio)
{
    const int slave = ::open(slavePath_.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    ::tcsetattr(slave, TCSANOW, &tio);
    ::close(slave);
}

void PtyPair::CloseMaster()
{
    if (master_ >= 0)
        ::close(master_);
    master_ = -1;
}

int OpenDescriptorCount()
{
    int count = 0;
    if (DIR *dir = ::opendir("/proc/self/fd")) {
        while (const dirent *entry = ::readdir(dir)) {
            if (entry->d_name[0] != '.')
                ++count;
        }
        ::closedir(dir);
    }
    return count - 1; // the directory's own descriptor
}
