// The program's own entry point, called by the runtime's start-up.
#pragma once

#include "platform/wintypes.h"

class TForm1;

// The main form, filled in by the application's CreateForm.
extern TForm1 *Form1;

int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPSTR lpCmdLine, int nCmdShow);
