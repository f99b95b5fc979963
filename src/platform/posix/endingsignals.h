// The signals whose default action would end the process, other than the
// close requests (SIGTERM, SIGHUP, SIGINT: the toolkit's own), end it with
// the port given back (posix/quickexit.h):
//
// - those that only terminate (SIGUSR1, SIGALRM, SIGPIPE, SIGQUIT, SIGXFSZ,
//   the real-time signals, ...) end it at once with status 128 plus the
//   signal's number, as a second close request does;
// - the fatal ones (SIGSEGV, SIGBUS, SIGABRT, SIGFPE, SIGILL, SIGSYS,
//   SIGTRAP) give the port back and then end it by the same signal with
//   its default action, so that the core dump is still written.
//
// Every signal handled is unblocked: a launcher or service manager may hand
// down a mask that blocks them, and a blocked SIGTERM would never reach the
// program at all.
#pragma once

#include <span>

namespace comsend {

// Once, before any thread starts, so that every thread runs the handlers.
void EndOnSignals();

// Unblocks the signals for the calling thread and those it starts.
void UnblockSignals(std::span<const int> Signals);

} // namespace comsend
