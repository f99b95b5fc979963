#include "portworker.h"

#include "platform/application.h"
#include "platform/kernel.h"

#include <exception>

namespace comsend {

struct PortWorker::Job {
    std::function<void(PortCall &)> work;
    PortCall shared;
    bool done = false; // under the worker's mutex
};

namespace {

constexpr std::chrono::milliseconds kWaitStep{50};

bool ClosingDown()
{
    return Application != nullptr && Application->Terminated();
}

} // namespace

PortWorker *PortWorker::Get(std::uint32_t &error)
{
    // Never destroyed: its thread may still be in a driver at exit.
    static PortWorker *worker = nullptr;
    if (worker == nullptr) {
        auto *made = new PortWorker;
        if (made->Start(error))
            worker = made;
        else
            delete made;
    }
    return worker;
}

// The thread makes its waker itself, so that the waker can reach it.
bool PortWorker::Start(std::uint32_t &error)
{
    // A thread that cannot be started (the system is short of threads or
    // memory) fails the call as the kernel fails a thread.
    try {
        thread_ = std::thread([this] { Loop(); });
    } catch (const std::exception &) { // std::system_error, std::bad_alloc
        error = ERROR_NOT_ENOUGH_MEMORY;
        return false;
    }
    std::unique_lock lock(mutex_);
    wake_.wait(lock, [this] { return started_; });
    if (waker_->Ready())
        return true;
    error = waker_->Error();
    jobs_.push_back(nullptr); // ends the thread
    wake_.notify_all();
    lock.unlock();
    thread_.join();
    return false;
}

void PortWorker::Loop()
{
    auto waker = std::make_unique<serial::Waker>();
    std::unique_lock lock(mutex_);
    waker_ = std::move(waker);
    started_ = true;
    wake_.notify_all();
    for (;;) {
        wake_.wait(lock, [this] { return !jobs_.empty(); });
        const std::shared_ptr<Job> job = jobs_.front();
        jobs_.pop_front();
        if (job == nullptr)
            return;
        lock.unlock();
        waker_->Clear();
        job->shared.waker = waker_.get();
        job->work(job->shared);
        lock.lock();
        job->done = true;
        wake_.notify_all();
    }
}

bool PortWorker::Wait(std::function<void(PortCall &)> work,
                      std::function<TProgress(const PortCall &)> describe, bool cancellable)
{
    auto job = std::make_shared<Job>();
    job->work = std::move(work);
    {
        const std::lock_guard lock(mutex_);
        jobs_.push_back(job);
    }
    wake_.notify_all();
    std::optional<std::chrono::steady_clock::time_point> closing;
    const auto finished = [&] {
        std::unique_lock lock(mutex_);
        return wake_.wait_for(lock, kWaitStep, [&] { return job->done; });
    };
    const auto cancel = [this, job] {
        job->shared.cancelled = true;
        waker_->Wake();
    };
    RunWithProgress({.Step =
                         [&] {
                             if (finished())
                                 return false;
                             if (!closing && ClosingDown())
                                 closing = std::chrono::steady_clock::now();
                             return !closing || std::chrono::steady_clock::now() - *closing < kAbandonAfter;
                         },
                     .Cancel = cancellable ? std::function<void()>(cancel) : nullptr,
                     .Progress = [&] { return describe(job->shared); }});
    const std::lock_guard lock(mutex_);
    return job->done;
}

} // namespace comsend
