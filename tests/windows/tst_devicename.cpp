// The names typed into the port box and the names Windows opens. Wine opens
// COM10 and up without the device prefix too, so only here does a wrong
// rule show.
#include "devicename.h"

#include <gtest/gtest.h>

using comsend::DeviceName;

TEST(DeviceName, TwoDigitPortsGetTheDevicePrefix)
{
    EXPECT_EQ(DeviceName("COM10"), R"(\\.\COM10)");
    EXPECT_EQ(DeviceName("com256"), R"(\\.\com256)");
}

TEST(DeviceName, EveryOtherNameIsOpenedAsTyped)
{
    for (const char *name : {"COM1", "COM9", "COM010", "COM1x", "COM", "", " COM10", R"(\\.\COM3)",
                             R"(\\.\COM12)", "LPT10", "C:\\COM10"})
        EXPECT_EQ(DeviceName(name), name);
}
