// When the progress box comes up and what ends the work early; the box
// itself is the backend's (backend.h).
#include "backend.h"

#include "platform/application.h"

#include <optional>

namespace comsend {

namespace {

// How often the box's text and bar are drawn again: often enough to read as
// moving, seldom enough that a long send costs next to nothing.
constexpr std::chrono::milliseconds kRedrawEvery{250};

// Work whose count is complete only waits for its end: no box for that.
bool Unfinished(const TProgress &Progress)
{
    return Progress.Total == 0 || Progress.Done < Progress.Total;
}

} // namespace

void RunWithProgress(const TProgressWork &Work)
{
    const bool windows = Application != nullptr && ToolkitStarted();
    const auto start = std::chrono::steady_clock::now();
    std::optional<ProgressBox> box;
    auto drawn = start;
    bool cancelled = false;
    while (Work.Step()) {
        const auto now = std::chrono::steady_clock::now();
        if (windows && !box && now - start >= kProgressDelay && Unfinished(Work.Progress())) {
            box.emplace(Work);
            drawn = now;
        }
        if (box) {
            const bool redraw = now - drawn >= kRedrawEvery;
            box->Update(redraw);
            drawn = redraw ? now : drawn;
        }
        const bool stop = (box && box->CancelRequested()) || (windows && Application->Terminated());
        if (stop && !cancelled && Work.Cancel) {
            Work.Cancel();
            cancelled = true;
        }
    }
}

int ProgressPosition(const TProgress &Progress)
{
    return Progress.Total == 0 ? kProgressScale
                               : static_cast<int>(Progress.Done * kProgressScale / Progress.Total);
}

} // namespace comsend
