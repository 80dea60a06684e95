// Entry of the program: the framework runs the application object.
#include "NyApp.h"

CNyApp theApp;

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR cmdLine, int cmdShow)
{
    return AfxWinMain(instance, previous, cmdLine, cmdShow);
}
