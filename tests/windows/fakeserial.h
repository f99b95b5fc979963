// A serial driver of the tests' own, in place of the kernel's serial calls
// (kernelcalls.h) for as long as it lives. It hands out handles of its own,
// which are no kernel objects, holds what it is given in a queue that leaves
// at the line's pace (10 bits a byte at the rate last set), and keeps what
// it was given and what left, so that a test can make it fail as the
// drivers of real devices do and check what comsend reports against what
// really left. Its calls come one at a time: the open on a thread of its
// own while the window waits for it, the rest on the window's thread.
#pragma once

#include "kernelcalls.h"

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <thread>
#include <vector>

enum class Call { Open, Close, GetCommState, SetCommState, SetTimeouts, Write, QueueQuery, Purge, Escape };

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
    FakeSerial()
    {
        dcb_.BaudRate = CBR_9600;
        active = this;
        comsend::UseKernelCalls(&kTable);
    }
    ~FakeSerial()
    {
        comsend::UseKernelCalls(nullptr);
        active = nullptr;
    }
    FakeSerial(const FakeSerial &) = delete;
    FakeSerial &operator=(const FakeSerial &) = delete;

    // How the driver behaves; set before the port is opened. A failed
    // write takes half of what it was offered and reports none of it.
    std::optional<Fault> fault;
    std::chrono::milliseconds openTime{0};
    bool honoursHold = true;          // SETXOFF stops the line until SETXON
    bool ignoresWriteTimeout = false; // a write returns once its bytes have left

    // What happened.
    std::string left;           // what left the line, in order
    std::string taken;          // every byte the driver took, in order
    std::vector<DWORD> offered; // the size of each write
    HANDLE lastHandle = INVALID_HANDLE_VALUE;
    int closes = 0;

private:
    using Clock = std::chrono::steady_clock;

    Clock::duration CharacterTime() const
    {
        return std::chrono::duration_cast<Clock::duration>(std::chrono::seconds(10)) / dcb_.BaudRate;
    }

    // The line carries what it could since it was last looked at.
    void Drain()
    {
        const auto now = Clock::now();
        if (queue_.empty() || stopped_ || (held_ && honoursHold)) {
            lastLeft_ = now;
            return;
        }
        const auto count = std::min<std::size_t>(queue_.size(), (now - lastLeft_) / CharacterTime());
        left.append(queue_, 0, count);
        queue_.erase(0, count);
        lastLeft_ += CharacterTime() * count;
    }

    DWORD Failing(Call call)
    {
        if (!fault || fault->call != call || taken.size() < fault->fromTaken)
            return 0;
        stopped_ = stopped_ || fault->lineStops;
        return fault->error;
    }

    // A call on one of the fake's handles; the body sees the error the call
    // is to fail with, if any.
    template <class Body> static BOOL Run(HANDLE handle, Call call, Body body)
    {
        FakeSerial &port = *active;
        port.Drain();
        const DWORD error = port.handles_.count(handle) == 0 ? ERROR_INVALID_HANDLE : port.Failing(call);
        if (error != ERROR_INVALID_HANDLE)
            body(port, error);
        if (error != 0)
            ::SetLastError(error);
        return error == 0 ? TRUE : FALSE;
    }

    static HANDLE WINAPI CreateFileA(LPCSTR, DWORD, DWORD, LPSECURITY_ATTRIBUTES, DWORD, DWORD, HANDLE)
    {
        FakeSerial &port = *active;
        std::this_thread::sleep_for(port.openTime);
        if (const DWORD error = port.Failing(Call::Open)) {
            ::SetLastError(error);
            return INVALID_HANDLE_VALUE;
        }
        // One value per open, far from the small ones the kernel gives.
        port.lastHandle = reinterpret_cast<HANDLE>(std::uintptr_t{0x5e000000} + 4 * ++port.opens_);
        port.handles_.insert(port.lastHandle);
        return port.lastHandle;
    }
    static BOOL WINAPI CloseHandle(HANDLE handle)
    {
        return Run(handle, Call::Close, [&](FakeSerial &port, DWORD) {
            port.handles_.erase(handle);
            ++port.closes;
        });
    }
    static BOOL WINAPI GetCommState(HANDLE handle, LPDCB dcb)
    {
        return Run(handle, Call::GetCommState, [&](FakeSerial &port, DWORD) { *dcb = port.dcb_; });
    }
    static BOOL WINAPI SetCommState(HANDLE handle, LPDCB dcb)
    {
        return Run(handle, Call::SetCommState, [&](FakeSerial &port, DWORD) { port.dcb_ = *dcb; });
    }
    static BOOL WINAPI SetCommTimeouts(HANDLE handle, LPCOMMTIMEOUTS)
    {
        return Run(handle, Call::SetTimeouts, [](FakeSerial &, DWORD) {});
    }
    static BOOL WINAPI WriteFile(HANDLE handle, LPCVOID buffer, DWORD count, LPDWORD written, LPOVERLAPPED)
    {
        *written = 0;
        if (active->ignoresWriteTimeout)
            std::this_thread::sleep_for(active->CharacterTime() * count);
        return Run(handle, Call::Write, [&](FakeSerial &port, DWORD error) {
            const std::string bytes(static_cast<const char *>(buffer), error != 0 ? (count + 1) / 2 : count);
            port.offered.push_back(count);
            port.taken += bytes;
            (port.ignoresWriteTimeout ? port.left : port.queue_) += bytes;
            *written = error != 0 ? 0 : count;
        });
    }
    static BOOL WINAPI ClearCommError(HANDLE handle, LPDWORD errors, LPCOMSTAT status)
    {
        return Run(handle, Call::QueueQuery, [&](FakeSerial &port, DWORD) {
            *errors = 0;
            *status = COMSTAT{};
            status->cbOutQue = static_cast<DWORD>(port.queue_.size());
        });
    }
    static BOOL WINAPI PurgeComm(HANDLE handle, DWORD flags)
    {
        return Run(handle, Call::Purge, [&](FakeSerial &port, DWORD) {
            if ((flags & PURGE_TXCLEAR) != 0)
                port.queue_.clear();
        });
    }
    static BOOL WINAPI EscapeCommFunction(HANDLE handle, DWORD function)
    {
        return Run(handle, Call::Escape, [&](FakeSerial &port, DWORD) {
            if (function == SETXOFF || function == SETXON)
                port.held_ = function == SETXOFF;
        });
    }

    static inline FakeSerial *active = nullptr;
    static inline const comsend::KernelCalls kTable{
        CreateFileA,    CloseHandle, GetCommState,       SetCommState,          SetCommTimeouts, WriteFile,
        ClearCommError, PurgeComm,   EscapeCommFunction, ::WaitForSingleObject, ::Sleep};

    ::DCB dcb_{};
    std::set<HANDLE> handles_;
    std::uintptr_t opens_ = 0;
    std::string queue_;
    bool held_ = false;
    bool stopped_ = false;
    Clock::time_point lastLeft_ = Clock::now();
};
