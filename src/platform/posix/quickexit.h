// Ending the process at once, from anywhere, a signal handler included, with
// what must not outlive it undone first: the hooks registered here run (they
// must be async-signal-safe), then _exit(). std::quick_exit cannot serve a
// signal handler at every moment: it takes the C library's lock of exit
// handlers, which exit() may be holding on the very thread the signal
// interrupted. These hooks are kept in lock-free storage that no destructor
// touches, so that they hold until the last instruction of the process.
#pragma once

namespace comsend {

using QuickExitHook = void (*)() noexcept;

// Registers a hook, once per function; a few at most.
void OnQuickExit(QuickExitHook Hook) noexcept;

// Runs the hooks and ends the process with the status.
[[noreturn]] void QuickExit(int Status) noexcept;

// Runs the hooks and ends the process by the signal, with its default
// action: a fatal signal still leaves its core dump, and the parent sees the
// process killed by it.
[[noreturn]] void DieOfSignal(int Signal) noexcept;

} // namespace comsend
