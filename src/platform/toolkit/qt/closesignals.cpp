#include "closesignals.h"

#include "platform/application.h"

#include <array>
#include <atomic>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <unistd.h>

namespace comsend {

namespace {

constexpr std::array<int, 3> kCloseSignals{SIGTERM, SIGHUP, SIGINT};

// Set by the first signal. Any of the program's threads may take a signal,
// and two may take one each at the same moment: only an atomic test and set
// makes sure that exactly one of them is the first.
std::atomic_flag requested = ATOMIC_FLAG_INIT;
volatile std::sig_atomic_t pipeEnd = -1;

void OnCloseSignal(int signal)
{
    if (requested.test_and_set())
        std::quick_exit(128 + signal);
    const int saved = errno;
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(pipeEnd, &byte, 1);
    errno = saved;
}

void Handle(int signal, void (*handler)(int))
{
    struct sigaction action {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    ::sigaction(signal, &action, nullptr);
}

} // namespace

CloseSignals::CloseSignals()
{
    std::array<int, 2> ends{};
    if (::pipe2(ends.data(), O_CLOEXEC | O_NONBLOCK) != 0)
        return;
    readEnd_ = ends[0];
    writeEnd_ = ends[1];
    pipeEnd = writeEnd_;
    notifier_ = std::make_unique<QSocketNotifier>(readEnd_, QSocketNotifier::Read);
    QObject::connect(notifier_.get(), &QSocketNotifier::activated, notifier_.get(), [this] { Received(); });
    for (const int signal : kCloseSignals)
        Handle(signal, OnCloseSignal);
}

CloseSignals::~CloseSignals()
{
    if (readEnd_ < 0)
        return;
    for (const int signal : kCloseSignals)
        Handle(signal, SIG_DFL);
    pipeEnd = -1;
    notifier_.reset();
    ::close(readEnd_);
    ::close(writeEnd_);
}

void CloseSignals::Received()
{
    char bytes[16];
    while (::read(readEnd_, bytes, sizeof bytes) > 0) {
    }
    if (Application != nullptr)
        Application->Terminate();
}

} // namespace comsend
