// A serial driver of the tests' own, in place of the kernel's serial calls
// (kernelcalls.h) for as long as it lives. It hands out handles of its own,
// holds what it is given in a queue that leaves at the line's pace (10 bits
// a byte at the rate last set), and keeps what it was given and what left,
// so that a test can make it fail as the drivers of real devices do and
// check what comsend reports against what really left.
#pragma once

#include <windows.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <vector>

// The calls a test can make fail.
enum class Call { Open, GetCommState, Write, QueueQuery };

struct Fault {
    Call call;
    DWORD error;
    // From the moment the driver has taken this many bytes, for good.
    std::size_t fromTaken = 0;
    // Whether the line stops then (a removed device) or keeps carrying
    // what the driver holds (a write that timed out).
    bool lineStops = true;
};

class FakeSerial {
public:
    FakeSerial();
    ~FakeSerial();
    FakeSerial(const FakeSerial &) = delete;
    FakeSerial &operator=(const FakeSerial &) = delete;

    // How the driver behaves; set before the port is opened. A failed
    // write takes half of what it was offered and reports none of it.
    std::optional<Fault> fault;
    std::chrono::milliseconds openTime{0};
    bool honoursHold = true;          // SETXOFF stops the line until SETXON
    bool ignoresWriteTimeout = false; // a write returns once its bytes have left

    // What happened so far.
    struct Record {
        std::string left;           // what left the line, in order
        std::string taken;          // every byte the driver took, in order
        std::vector<DWORD> offered; // the size of each write
        HANDLE lastHandle;
        std::size_t openHandles;
        int closes;
    };
    Record Seen();
    bool Opening() const { return opening_; }

private:
    struct Driver;
    using Clock = std::chrono::steady_clock;

    void Drain();
    DWORD Failing(Call call);
    Clock::duration CharacterTime() const;

    std::mutex mutex_;
    std::atomic<bool> opening_{false};
    ::DCB dcb_{};
    std::set<HANDLE> handles_;
    HANDLE last_ = INVALID_HANDLE_VALUE;
    int handedOut_ = 0;
    int closes_ = 0;
    std::string taken_;
    std::string queue_;
    std::string line_;
    std::vector<DWORD> offered_;
    bool held_ = false;
    bool stopped_ = false;
    Clock::time_point lastLeft_ = Clock::now();
};
