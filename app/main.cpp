// Program entry: seeds the random source, builds the main window and runs the message loop.
#include <windows.h>

#include "app/main_form_win.h"
#include "passwords/random.h"
#include "toolkit/application_win.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  SeedRandom();  // once, before any window exists
  TApplication application;
  application.MainFormOnTaskBar = true;
  application.Title = L"Tarvelin";
  try {
    TMainForm main_form;
    application.Run();
  } catch (...) {
    application.HandleException(std::current_exception());
    return 1;
  }
  return 0;
}
