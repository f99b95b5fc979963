// The program's own entry point, called by the runtime's start-up.
#pragma once

#include "platform/kernel.h"

namespace comsend {
class TForm1;
} // namespace comsend

// The main form, filled in by the application's CreateForm.
extern comsend::TForm1 *Form1;

// <windows.h> declares it as well; elsewhere nothing does.
// NOLINTNEXTLINE(readability-redundant-declaration)
int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPSTR lpCmdLine, int nCmdShow);
