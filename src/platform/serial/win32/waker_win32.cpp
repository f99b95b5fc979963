#include "waker_win32.h"

namespace comsend::serial {

Waker::Waker() : native_(std::make_unique<Native>())
{
    native_->event = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    native_->thread = ::OpenThread(THREAD_TERMINATE, FALSE, ::GetCurrentThreadId());
    native_->error = Ready() ? 0 : ::GetLastError();
}

Waker::~Waker()
{
    if (native_->event != nullptr)
        ::CloseHandle(native_->event);
    if (native_->thread != nullptr)
        ::CloseHandle(native_->thread);
}

bool Waker::Ready() const
{
    return native_->event != nullptr && native_->thread != nullptr;
}

std::uint32_t Waker::Error() const
{
    return native_->error;
}

void Waker::Wake()
{
    ::SetEvent(native_->event);
    ::CancelSynchronousIo(native_->thread);
}

void Waker::Clear()
{
    ::ResetEvent(native_->event);
}

} // namespace comsend::serial
