// SIGTERM, SIGHUP and SIGINT are close requests: the window closes the way
// the user's close does, once the handler that may be running has finished.
// A second one ends the program at once, at whatever moment it comes, with
// the ports given back (posix/quickexit.h). They are unblocked, whatever
// mask the program was started with; the other signals that would end it
// are posix/endingsignals.h's.
//
// The signal handler only writes a byte to a pipe; the window loop reads it
// and asks the application to terminate.
#pragma once

#include <QSocketNotifier>

#include <memory>

namespace comsend {

class CloseSignals {
public:
    CloseSignals();
    CloseSignals(const CloseSignals &) = delete;
    CloseSignals &operator=(const CloseSignals &) = delete;
    ~CloseSignals();

private:
    static void Received();

    std::unique_ptr<QSocketNotifier> notifier_;
};

} // namespace comsend
