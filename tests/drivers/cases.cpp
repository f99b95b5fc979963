// The long write against every driver family of the system, through every
// case a user's device puts it in: a paced send, with the device pausing
// for 0.2 s and for 1.5 s; an unplug while the text is being handed over and
// while the driver drains it; transfers that fail for a quarter of a second
// before the unplug is known (a device pulled out behind a hub); a stall, one
// that resumes once the Send has failed, and a cancel while stalled. What
// the far end got judges each: a Send succeeds only when all of it arrived,
// never for a device that went or stalled, and its account holds what
// arrived (after a stall, once the line has resumed and drained).
#include "families.h"

#include "platform/errorcodes.h"
#include "platform/portreasons.h"
#include "serial/longwrite.h"
#include "serial/reasons.h"

#include <gtest/gtest.h>

#include <string>

namespace drivers {

namespace {

using namespace std::chrono_literals;

enum class Case { Paced, Unplug, UnplugDraining, FailThenUnplug, Stall, StallResumes, Cancel };

struct Scenario {
    const char *name;
    Case kind;
    Duration pause = {};
};

constexpr Scenario kScenarios[] = {
    {"paced", Case::Paced},
    {"0.2 s pause", Case::Paced, 200ms},
    {"1.5 s pause", Case::Paced, 1500ms},
    {"unplug while handing over", Case::Unplug},
    {"unplug while draining", Case::UnplugDraining},
    {"transfers fail, then unplug", Case::FailThenUnplug},
    {"stall", Case::Stall},
    {"stall, resumed once the Send failed", Case::StallResumes},
    {"cancel while stalled", Case::Cancel},
};

// The line comsend sets, 4800 8N1.
const Duration kCharacter =
    std::chrono::duration_cast<Duration>(comsend::serial::CharacterTime({.bitsPerSecond = 4800}));

void RunCase(const Family &family, const Scenario &scenario)
{
    Device device(family.shape, kCharacter);
    const auto port = Plug(family, device);
    // Longer than what may wait where the driver does not count, so that the
    // lower bound after an unplug says something; numbers, in which a byte
    // handed over twice or skipped shows.
    const std::uint32_t length = port->Traits().unseenCapacity + 2400;
    std::string text;
    for (int i = 0; text.size() < length; ++i)
        text += std::to_string(i % 10000) + ",";
    text.resize(length);

    const Case kind = scenario.kind;
    comsend::serial::WriteControl control;
    control.cancelled = &device.cancelled;
    control.observer = [&, cued = false](const comsend::serial::WriteState &state) mutable {
        const bool draining = state.handed == length && state.knownLeft < length;
        if (cued || !(kind == Case::UnplugDraining ? draining : state.handed + 1200 >= length))
            return;
        cued = true;
        if (kind == Case::FailThenUnplug)
            device.FailTransfers();
        if (kind == Case::Unplug || kind == Case::UnplugDraining || kind == Case::FailThenUnplug)
            device.At(device.Now() + (kind == Case::FailThenUnplug ? 250ms : 0ms), [&] { device.Unplug(); });
    };
    const auto stop = device.Now() + 1s;
    if (scenario.pause > Duration::zero() || kind == Case::Stall || kind == Case::StallResumes
        || kind == Case::Cancel)
        device.At(stop, [&] { device.Stop(true); });
    if (scenario.pause > Duration::zero())
        device.At(stop + scenario.pause, [&] { device.Stop(false); });
    if (kind == Case::Cancel)
        device.At(stop + 1s, [&] { device.cancelled = true; });

    const comsend::SendAccount account = comsend::serial::LongWrite(*port, device, text, control);
    const std::uint32_t arrivedAtEnd = device.Arrived();
    if (kind == Case::StallResumes || kind == Case::Cancel)
        device.Stop(false);
    device.RunOut();
    const std::uint32_t arrived = device.Arrived();
    SCOPED_TRACE(testing::Message() << "error " << account.error << ", " << account.atLeast << " to "
                                    << account.atMost << " of " << length << ", " << arrivedAtEnd
                                    << " arrived by the end, " << arrived << " in all");
    CheckSettings(device);
    EXPECT_EQ(device.Taken(), text.substr(0, device.Taken().size())) << "a byte handed over twice or skipped";
    EXPECT_EQ(account.error == 0, kind == Case::Paced);
    if (account.error == 0) {
        EXPECT_EQ(arrivedAtEnd, length);
        return;
    }
    // A device that stays stalled may keep bytes that the account counts as
    // gone to the line; only a resumed line shows where the lower bound is.
    if (kind != Case::Stall) {
        EXPECT_LE(account.atLeast, arrived);
    }
    EXPECT_GE(account.atMost, arrived);
    const bool gone = kind == Case::Unplug || kind == Case::UnplugDraining || kind == Case::FailThenUnplug;
    EXPECT_EQ(comsend::SysErrorMessage(account.error, account.stage) == comsend::reason::kGone, gone);
    if (kind == Case::Cancel) {
        EXPECT_EQ(account.error, comsend::serial::kSendCancelled);
    }
}

TEST(Drivers, EveryFamilyThroughEveryCase)
{
    for (const Family &family : Families()) {
        for (const Scenario &scenario : kScenarios) {
            if (scenario.kind == Case::FailThenUnplug && !family.shape.Has(kUsb))
                continue;
            SCOPED_TRACE(std::string(family.name) + ", " + scenario.name);
            RunCase(family, scenario);
        }
    }
}

} // namespace

} // namespace drivers
