#include "closesignals.h"

#include "posix/endingsignals.h"
#include "posix/quickexit.h"

#include "platform/application.h"

#include <array>
#include <atomic>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace comsend {

namespace {

constexpr std::array<int, 3> kCloseSignals{SIGTERM, SIGHUP, SIGINT};

// Set by the first signal. Any of the program's threads may take a signal,
// and two may take one each at the same moment: only an atomic test and set
// makes sure that exactly one of them is the first.
std::atomic_flag requested = ATOMIC_FLAG_INIT;
// The pipe lives as long as the process: a descriptor number given back
// could be reused for a port, and a late signal would write into it.
std::array<int, 2> pipeEnds{-1, -1};

void OnCloseSignal(int signal)
{
    if (requested.test_and_set())
        QuickExit(128 + signal);
    const int saved = errno;
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(pipeEnds[1], &byte, 1);
    errno = saved;
}

// Once per process; the handlers stay until it ends, so that a second
// signal ends it at once, and with the ports given back, at whatever moment
// of its end it comes: while the window loop runs, while a handler waits in
// a box or for an open, while the forms and the toolkit go, and while the
// process exits.
bool InstallHandlers()
{
    if (::pipe2(pipeEnds.data(), O_CLOEXEC | O_NONBLOCK) != 0)
        return false;
    struct sigaction action {};
    action.sa_handler = OnCloseSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int signal : kCloseSignals)
        ::sigaction(signal, &action, nullptr);
    // A launcher may have started the program with them blocked.
    UnblockSignals(kCloseSignals);
    return true;
}

} // namespace

CloseSignals::CloseSignals()
{
    static const bool installed = InstallHandlers();
    if (!installed)
        return;
    notifier_ = std::make_unique<QSocketNotifier>(pipeEnds[0], QSocketNotifier::Read);
    QObject::connect(notifier_.get(), &QSocketNotifier::activated, notifier_.get(), [] { Received(); });
}

CloseSignals::~CloseSignals() = default;

void CloseSignals::Received()
{
    char bytes[16];
    while (::read(pipeEnds[0], bytes, sizeof bytes) > 0) {
    }
    if (Application != nullptr)
        Application->Terminate();
}

} // namespace comsend
