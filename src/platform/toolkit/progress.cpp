// When the progress box comes up and what ends the operation early; the box
// itself is the backend's (backend.h).
#include "backend.h"

#include "platform/application.h"

namespace comsend {

void RunWithProgress(TLongOperation &Operation)
{
    const bool windows = Application != nullptr && ToolkitStarted();
    const auto start = std::chrono::steady_clock::now();
    std::unique_ptr<ProgressBox> box;
    bool cancelled = false;
    while (Operation.Step()) {
        if (windows && box == nullptr && std::chrono::steady_clock::now() - start >= kProgressDelay)
            box = OpenProgressBox(Operation);
        if (box != nullptr)
            box->Update();
        const bool stop =
            (box != nullptr && box->CancelRequested()) || (windows && Application->Terminated());
        if (stop && !cancelled) {
            Operation.Cancel();
            cancelled = true;
        }
    }
}

int ProgressPosition(const TLongOperation &Operation)
{
    const auto total = Operation.Total();
    return total == 0 ? kProgressScale : static_cast<int>(Operation.Done() * kProgressScale / total);
}

} // namespace comsend
