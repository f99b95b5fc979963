// SIGTERM, SIGHUP and SIGINT are close requests: the window closes the way
// the user's close does, once the handler that may be running has finished.
// A second one while the program is closing ends it at once, with
// std::quick_exit, which still gives the open ports back.
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
    void Received();

    int readEnd_ = -1;
    int writeEnd_ = -1;
    std::unique_ptr<QSocketNotifier> notifier_;
};

} // namespace comsend
