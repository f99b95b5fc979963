// The one thread that makes every port call: the open, the line settings,
// the write and the close, one at a time, in the order the form makes them.
// The form's thread waits for each in the window loop, under the toolkit's
// progress box (platform/progress.h), so that a driver that takes seconds,
// or never answers, never freezes the window.
//
// A call that can be cancelled (the write) is cancelled by Cancel in its box
// or by a close request, which wakes it wherever it waits (serial/waker.h).
// Once a close request has come, a call is given kAbandonAfter to end; one
// that is still in the driver then is left to the thread, and the program
// ends without it: the system releases the port at its exit. So a call
// takes what it needs by value: it may outlive its caller.
#pragma once

#include "serial/waker.h"

#include "platform/errorcodes.h"
#include "platform/progress.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

namespace comsend {

inline constexpr std::chrono::seconds kAbandonAfter{1};

// What a call shares with the thread that waits for it.
struct PortCall {
    std::atomic<bool> cancelled{false};
    std::atomic<std::uint32_t> done{0}; // how far it has got, for its box
    // The port thread's waker, for a call that waits on the port.
    const serial::Waker *waker = nullptr;
};

// What a call on the port thread came to: its result, or why there is
// none (no thread could be started, or the call was left to it).
template <class Result> struct PortOutcome {
    std::optional<Result> result;
    std::uint32_t error;
};

class PortWorker {
public:
    // Runs call(PortCall&) on the worker, started on first use, and waits
    // for it; describe(const PortCall&) gives the box's text. A cancellable
    // call's box has Cancel.
    template <class Call, class Describe>
    static auto Run(Call call, Describe describe, bool cancellable = false)
        -> PortOutcome<decltype(call(std::declval<PortCall &>()))>
    {
        using Result = decltype(call(std::declval<PortCall &>()));
        std::uint32_t error = 0;
        PortWorker *worker = Get(error);
        if (worker == nullptr)
            return {std::nullopt, error};
        auto result = std::make_shared<std::optional<Result>>();
        const bool done =
            worker->Wait([call, result](PortCall &shared) mutable { result->emplace(call(shared)); },
                         std::move(describe), cancellable);
        return {done ? std::move(*result) : std::nullopt, serial::kSendCancelled};
    }

private:
    struct Job;

    PortWorker() = default;
    // The worker, started on first use; null where no thread could be
    // started, with the system's error value in `error`.
    static PortWorker *Get(std::uint32_t &error);
    bool Start(std::uint32_t &error);
    void Loop();
    bool Wait(std::function<void(PortCall &)> work, std::function<TProgress(const PortCall &)> describe,
              bool cancellable);

    std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<std::shared_ptr<Job>> jobs_;
    std::unique_ptr<serial::Waker> waker_;
    bool started_ = false;
    std::thread thread_;
};

} // namespace comsend
