// How another thread ends a wait of the thread that makes the port calls:
// a cancel must reach a write that waits for room, or a call blocked in a
// driver. Made on that thread, which it can then reach; one per thread.
// POSIX: an eventfd in every poll of the port (posix/waker_posix.cpp).
// Windows: an event in every wait, and the cancel of the thread's
// synchronous I/O (win32/waker_win32.cpp).
#pragma once

#include <cstdint>
#include <memory>

namespace comsend::serial {

class Waker {
public:
    // Reaches the calling thread; false from Ready() where the system
    // refused what it needs (no descriptor or handle left).
    Waker();
    Waker(const Waker &) = delete;
    Waker &operator=(const Waker &) = delete;
    ~Waker();

    bool Ready() const;
    // Why it is not: the system's error value.
    std::uint32_t Error() const;
    // Any thread: ends the current wait and every later one until Clear().
    void Wake();
    // The owning thread, before a call that a wake may end.
    void Clear();

    struct Native;
    Native &Get() const { return *native_; }

private:
    std::unique_ptr<Native> native_;
};

} // namespace comsend::serial
