// The runtime's start-up on POSIX: everything but the program's name is left
// behind, a locale the environment names but the machine lacks is reported,
// and WinMain takes over.
#include "missinglocale.h"
#include "platform/application.h"
#include "winmain.h"

int main(int argc, char *argv[])
{
    comsend::ReportMissingLocaleAtStart();
    const comsend::ProgramRuntime runtime(argc > 0 ? argv[0] : nullptr);
    return WinMain(nullptr, nullptr, nullptr, SW_SHOWDEFAULT);
}
