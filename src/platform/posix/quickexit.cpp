#include "quickexit.h"

#include <array>
#include <atomic>
#include <csignal>
#include <unistd.h>

namespace comsend {

namespace {

constinit std::array<std::atomic<QuickExitHook>, 4> hooks{};

void RunHooks() noexcept
{
    for (const auto &slot : hooks) {
        if (const QuickExitHook hook = slot.load())
            hook();
    }
}

} // namespace

void OnQuickExit(QuickExitHook Hook) noexcept
{
    for (auto &slot : hooks) {
        QuickExitHook expected = nullptr;
        if (slot.compare_exchange_strong(expected, Hook) || expected == Hook)
            return;
    }
}

void QuickExit(int Status) noexcept
{
    RunHooks();
    ::_exit(Status);
}

// raise() delivers the signal before it returns, unless it is blocked: a
// handler blocks its own signal while it runs, so it is unblocked first.
void DieOfSignal(int Signal) noexcept
{
    RunHooks();
    struct sigaction action {};
    action.sa_handler = SIG_DFL;
    sigemptyset(&action.sa_mask);
    ::sigaction(Signal, &action, nullptr);
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, Signal);
    ::pthread_sigmask(SIG_UNBLOCK, &set, nullptr);
    ::raise(Signal);
    ::_exit(128 + Signal); // not reached: the default action of a fatal signal ends the process
}

} // namespace comsend
