// Program entry of Tarvelin.exe.
#include <windows.h>

#include "app/program_win.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) { return RunProgram(); }
