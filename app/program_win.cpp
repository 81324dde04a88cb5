// The program's start-up and message loop, shared by Tarvelin.exe and its test build.
#include "app/program_win.h"

#include <windows.h>

#include "app/main_form_win.h"
#include "passwords/random.h"
#include "toolkit/application_win.h"

namespace {
const wchar_t kTitle[] = L"Tarvelin";
}

int RunProgram(const std::function<void(TMainForm&)>& prepare) {
  SeedRandom();  // once, before any window exists
  try {
    TApplication application;
    application.MainFormOnTaskBar = true;
    application.Title = kTitle;
    try {
      TMainForm main_form;
      if (prepare) prepare(main_form);
      application.Run();
    } catch (...) {
      application.HandleException(std::current_exception());
      return 1;
    }
  } catch (...) {
    TApplication::ShowStartFailure(std::current_exception(), kTitle);
    return 1;
  }
  return 0;
}
