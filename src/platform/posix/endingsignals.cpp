#include "endingsignals.h"

#include "quickexit.h"

#include <array>
#include <csignal>

namespace comsend {

namespace {

constexpr std::array<int, 12> kTerminating{SIGUSR1, SIGUSR2, SIGALRM, SIGVTALRM, SIGPROF,   SIGIO,
                                           SIGXCPU, SIGPIPE, SIGQUIT, SIGXFSZ,   SIGSTKFLT, SIGPWR};
constexpr std::array<int, 7> kFatal{SIGSEGV, SIGBUS, SIGABRT, SIGFPE, SIGILL, SIGSYS, SIGTRAP};

// Where the fatal handler runs when the fault is the main thread's stack
// running out, which leaves no room on the stack itself.
alignas(16) constinit std::array<char, std::size_t{64} << 10> alternateStack{};

void OnTerminatingSignal(int signal)
{
    QuickExit(128 + signal);
}

void OnFatalSignal(int signal)
{
    DieOfSignal(signal);
}

void Install(int signal, void (*handler)(int), int flags, sigset_t &handled)
{
    struct sigaction action {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    action.sa_flags = flags;
    ::sigaction(signal, &action, nullptr);
    sigaddset(&handled, signal);
}

} // namespace

void UnblockSignals(std::span<const int> Signals)
{
    sigset_t set;
    sigemptyset(&set);
    for (const int signal : Signals)
        sigaddset(&set, signal);
    ::pthread_sigmask(SIG_UNBLOCK, &set, nullptr);
}

void EndOnSignals()
{
    stack_t stack{};
    stack.ss_sp = alternateStack.data();
    stack.ss_size = alternateStack.size();
    ::sigaltstack(&stack, nullptr);
    sigset_t handled;
    sigemptyset(&handled);
    for (const int signal : kTerminating)
        Install(signal, OnTerminatingSignal, 0, handled);
    for (int signal = SIGRTMIN; signal <= SIGRTMAX; ++signal)
        Install(signal, OnTerminatingSignal, 0, handled);
    // A second fault while the port is given back ends the process as
    // the first would have.
    for (const int signal : kFatal)
        Install(signal, OnFatalSignal, SA_ONSTACK | SA_RESETHAND | SA_NODEFER, handled);
    ::pthread_sigmask(SIG_UNBLOCK, &handled, nullptr);
}

} // namespace comsend
