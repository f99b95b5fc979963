#include "closeport.h"

#include "uniquefd.h"

#include <cerrno>
#include <csignal>
#include <ctime>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

namespace comsend {

namespace {

// SIGURG's default is to be ignored, which would not cut a wait short; a
// handler that does nothing does, and harms no other part of the program.
constexpr int kInterruptSignal = SIGURG;

void Nothing(int /*signal*/) {}

bool InstallHandler()
{
    struct sigaction action {};
    action.sa_handler = Nothing;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    return ::sigaction(kInterruptSignal, &action, nullptr) == 0;
}

// Signals the calling thread every few milliseconds while it lives, so that
// the close's wait gives way whenever it begins.
class Interrupter {
public:
    Interrupter()
    {
        static const bool installed = InstallHandler();
        sigevent event{};
        event.sigev_notify = SIGEV_THREAD_ID;
        event.sigev_signo = kInterruptSignal;
        event._sigev_un._tid = ::gettid();
        created_ = installed && ::timer_create(CLOCK_MONOTONIC, &event, &timer_) == 0;
        const itimerspec every{.it_interval = {0, 5'000'000}, .it_value = {0, 1'000'000}};
        if (created_)
            ::timer_settime(timer_, 0, &every, nullptr);
    }
    Interrupter(const Interrupter &) = delete;
    Interrupter &operator=(const Interrupter &) = delete;
    ~Interrupter()
    {
        if (created_)
            ::timer_delete(timer_);
    }

private:
    timer_t timer_{};
    bool created_ = false;
};

bool Holds(int fd)
{
    int queued = 0;
    return ::ioctl(fd, TIOCOUTQ, &queued) == 0 && queued > 0;
}

int Close(int fd)
{
    // Not retried: on Linux the descriptor is gone even when close reports EINTR.
    return ::close(fd) == 0 || errno == EINTR ? 0 : errno;
}

} // namespace

int CloseWithoutWaiting(int fd)
{
    if (Holds(fd))
        RetryOnInterrupt([fd] { return ::tcflush(fd, TCOFLUSH); });
    if (!Holds(fd))
        return Close(fd);
    const Interrupter interrupter;
    return Close(fd);
}

} // namespace comsend
