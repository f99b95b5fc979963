#include "quickexit.h"

#include <array>
#include <atomic>
#include <unistd.h>

namespace comsend {

namespace {

constinit std::array<std::atomic<QuickExitHook>, 4> hooks{};

} // namespace

void OnQuickExit(QuickExitHook Hook) noexcept
{
    for (auto &slot : hooks) {
        QuickExitHook expected = nullptr;
        if (slot.compare_exchange_strong(expected, Hook) || expected == Hook)
            return;
    }
}

void QuickExit(int Status) noexcept
{
    for (const auto &slot : hooks) {
        if (const QuickExitHook hook = slot.load())
            hook();
    }
    ::_exit(Status);
}

} // namespace comsend
