// The tests that run on every platform, with the application object and the
// window toolkit started as the program starts them; the system's own
// locale decides the narrow encoding, as it does for the program.
#include "platform/application.h"

#include <gtest/gtest.h>

#include <clocale>

int main(int argc, char **argv)
{
    std::setlocale(LC_ALL, "");
    testing::InitGoogleTest(&argc, argv);
    const comsend::ProgramRuntime runtime("tst_common");
    comsend::Application->Initialize();
    return RUN_ALL_TESTS();
}
