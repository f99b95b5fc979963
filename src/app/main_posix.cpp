// The runtime's start-up on POSIX: everything but the program's name is left
// behind, and WinMain takes over.
#include "platform/application.h"
#include "winmain.h"

int main(int argc, char *argv[])
{
    const comsend::ProgramRuntime runtime(argc > 0 ? argv[0] : nullptr);
    return WinMain(nullptr, nullptr, nullptr, SW_SHOWDEFAULT);
}
