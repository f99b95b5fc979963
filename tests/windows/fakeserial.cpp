#include "fakeserial.h"

#include "kernelcalls.h"

#include <algorithm>
#include <cstdint>
#include <thread>

namespace {

FakeSerial *active = nullptr;

// Far from the small values the kernel gives its own handles.
constexpr std::uintptr_t kFirstHandle = 0x5e000000;

} // namespace

// The calls, as the kernel-call table takes them. Each runs under the
// port's lock, after the line has carried what it could since the last.
struct FakeSerial::Driver {
    // A non-zero result of the body is the call's error value.
    template <class Body> static BOOL Run(HANDLE handle, Body body)
    {
        DWORD error = 0;
        {
            const std::lock_guard lock(active->mutex_);
            active->Drain();
            error = active->handles_.count(handle) == 0 ? ERROR_INVALID_HANDLE : body(*active);
        }
        if (error != 0)
            ::SetLastError(error);
        return error == 0 ? TRUE : FALSE;
    }

    static HANDLE WINAPI CreateFileA(LPCSTR, DWORD, DWORD, LPSECURITY_ATTRIBUTES, DWORD, DWORD, HANDLE)
    {
        active->opening_ = true;
        std::this_thread::sleep_for(active->openTime);
        DWORD error = 0;
        HANDLE handle = INVALID_HANDLE_VALUE;
        {
            const std::lock_guard lock(active->mutex_);
            error = active->Failing(Call::Open);
            if (error == 0) {
                handle = reinterpret_cast<HANDLE>(kFirstHandle + 4 * active->handedOut_++);
                active->handles_.insert(handle);
                active->last_ = handle;
            }
        }
        active->opening_ = false;
        ::SetLastError(error);
        return handle;
    }

    static BOOL WINAPI CloseHandle(HANDLE handle)
    {
        return Run(handle, [&](FakeSerial &port) {
            port.handles_.erase(handle);
            ++port.closes_;
            return DWORD{0};
        });
    }

    static BOOL WINAPI GetCommState(HANDLE handle, LPDCB dcb)
    {
        return Run(handle, [&](FakeSerial &port) {
            const DWORD error = port.Failing(Call::GetCommState);
            if (error == 0)
                *dcb = port.dcb_;
            return error;
        });
    }

    static BOOL WINAPI SetCommState(HANDLE handle, LPDCB dcb)
    {
        return Run(handle, [&](FakeSerial &port) {
            port.dcb_ = *dcb;
            return DWORD{0};
        });
    }

    static BOOL WINAPI SetCommTimeouts(HANDLE handle, LPCOMMTIMEOUTS)
    {
        return Run(handle, [](FakeSerial &) { return DWORD{0}; });
    }

    static BOOL WINAPI WriteFile(HANDLE handle, LPCVOID buffer, DWORD count, LPDWORD written, LPOVERLAPPED)
    {
        *written = 0;
        const std::string bytes(static_cast<const char *>(buffer), count);
        if (active->ignoresWriteTimeout)
            std::this_thread::sleep_for(active->CharacterTime() * count);
        return Run(handle, [&](FakeSerial &port) {
            port.offered_.push_back(count);
            const DWORD error = port.Failing(Call::Write);
            const std::string taken = error != 0 ? bytes.substr(0, (count + 1) / 2) : bytes;
            port.taken_ += taken;
            (port.ignoresWriteTimeout ? port.line_ : port.queue_) += taken;
            if (error == 0)
                *written = count;
            return error;
        });
    }

    static BOOL WINAPI ClearCommError(HANDLE handle, LPDWORD errors, LPCOMSTAT status)
    {
        return Run(handle, [&](FakeSerial &port) {
            const DWORD error = port.Failing(Call::QueueQuery);
            if (error == 0) {
                *errors = 0;
                *status = COMSTAT{};
                status->cbOutQue = static_cast<DWORD>(port.queue_.size());
            }
            return error;
        });
    }

    static BOOL WINAPI PurgeComm(HANDLE handle, DWORD flags)
    {
        return Run(handle, [&](FakeSerial &port) {
            if ((flags & PURGE_TXCLEAR) != 0)
                port.queue_.clear();
            return DWORD{0};
        });
    }

    static BOOL WINAPI EscapeCommFunction(HANDLE handle, DWORD function)
    {
        return Run(handle, [&](FakeSerial &port) {
            if (function == SETXOFF || function == SETXON)
                port.held_ = function == SETXOFF;
            return DWORD{0};
        });
    }

    static const comsend::KernelCalls kTable;
};

const comsend::KernelCalls FakeSerial::Driver::kTable{
    .CreateFileA = CreateFileA,
    .CloseHandle = CloseHandle,
    .GetCommState = GetCommState,
    .SetCommState = SetCommState,
    .SetCommTimeouts = SetCommTimeouts,
    .WriteFile = WriteFile,
    .ClearCommError = ClearCommError,
    .PurgeComm = PurgeComm,
    .EscapeCommFunction = EscapeCommFunction,
};

FakeSerial::FakeSerial()
{
    dcb_.DCBlength = sizeof dcb_;
    dcb_.BaudRate = CBR_9600;
    dcb_.ByteSize = 8;
    active = this;
    comsend::UseKernelCalls(&Driver::kTable);
}

FakeSerial::~FakeSerial()
{
    comsend::UseKernelCalls(nullptr);
    active = nullptr;
}

FakeSerial::Clock::duration FakeSerial::CharacterTime() const
{
    return std::chrono::duration_cast<Clock::duration>(std::chrono::seconds(10)) / dcb_.BaudRate;
}

void FakeSerial::Drain()
{
    const auto now = Clock::now();
    if (queue_.empty() || stopped_ || (held_ && honoursHold)) {
        lastLeft_ = now;
        return;
    }
    const auto count = std::min<std::size_t>(queue_.size(), (now - lastLeft_) / CharacterTime());
    line_.append(queue_, 0, count);
    queue_.erase(0, count);
    lastLeft_ += CharacterTime() * count;
}

DWORD FakeSerial::Failing(Call call)
{
    if (!fault || fault->call != call || taken_.size() < fault->fromTaken)
        return 0;
    stopped_ = stopped_ || fault->lineStops;
    return fault->error;
}

FakeSerial::Record FakeSerial::Seen()
{
    const std::lock_guard lock(mutex_);
    Drain();
    return {line_, taken_, offered_, last_, handles_.size(), closes_};
}
