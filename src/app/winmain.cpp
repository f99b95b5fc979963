#include "winmain.h"

#include "platform/toolkit.h"
#include "tform1.h"

using namespace comsend;

TForm1 *Form1 = nullptr;

int WINAPI WinMain(HINSTANCE /*hInstance*/, HINSTANCE /*hPrevInstance*/, LPSTR /*lpCmdLine*/,
                   int /*nCmdShow*/)
{
    try {
        Application->Initialize();
        Application->CreateForm<TForm1>(&Form1);
        Application->Run();
    } catch (const Exception &exception) {
        Application->ShowException(exception);
    } catch (...) {
        Application->ShowException(Exception(""));
    }
    return 0;
}
