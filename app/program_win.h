// The program's start-up and message loop, shared by Tarvelin.exe and its test build.
#pragma once

#include <functional>

class TMainForm;

// Restricts the DLL search of the process to the system folder, seeds the random source, builds
// the application and the main window and runs the message loop until the program ends; returns
// the process's exit code. prepare, when given, runs on the main window before the loop starts. A
// failure at any step, the application's own creation included, is shown in a message box.
int RunProgram(const std::function<void(TMainForm&)>& prepare = {});
