// The runtime's start-up on Windows. The C++ runtime constructs
// namespace-scope objects before it calls WinMain, so the application object
// exists when WinMain runs, and goes, with the forms, after WinMain
// returns. The program's name is its own, whatever the file is called;
// nothing on the command line has any effect.
#include "platform/application.h"

namespace {

const comsend::ProgramRuntime runtime("comsend");

} // namespace
