#include "openwithprogress.h"

#include "platform/progress.h"

#include <chrono>
#include <future>
#include <string>

namespace comsend {

namespace {

constexpr std::chrono::milliseconds kWaitStep{50};

struct Opened {
    HANDLE handle;
    DWORD error;
};

} // namespace

HANDLE OpenWithProgress(LPCSTR Name)
{
    const std::string name = Name;
    // The error value is the opening thread's own, so it travels with the
    // handle.
    std::future<Opened> opening = std::async(std::launch::async, [name] {
        const HANDLE handle = OpenSerialPort(name.c_str());
        return Opened{handle, handle == INVALID_HANDLE_VALUE ? GetLastError() : 0};
    });
    RunWithProgress(
        {.Step = [&] { return opening.wait_for(kWaitStep) != std::future_status::ready; },
         .Cancel = nullptr,
         .Progress = [&] { return TProgress{.Text = AnsiString("Connecting to " + name + "...")}; }});
    const Opened opened = opening.get();
    SetLastError(opened.error);
    return opened.handle;
}

} // namespace comsend
