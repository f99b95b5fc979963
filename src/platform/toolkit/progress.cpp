// When the progress box comes up and what ends the work early; the box
// itself is the backend's (backend.h).
#include "backend.h"

#include "platform/application.h"

namespace comsend {

void RunWithProgress(const TProgressWork &Work)
{
    const bool windows = Application != nullptr && ToolkitStarted();
    const auto start = std::chrono::steady_clock::now();
    std::unique_ptr<ProgressBox> box;
    bool cancelled = false;
    while (Work.Step()) {
        if (windows && box == nullptr && std::chrono::steady_clock::now() - start >= kProgressDelay)
            box = OpenProgressBox(Work);
        if (box != nullptr)
            box->Update();
        const bool stop =
            (box != nullptr && box->CancelRequested()) || (windows && Application->Terminated());
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
