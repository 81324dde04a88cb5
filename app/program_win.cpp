// The DLL search is restricted before anything else loads; the main form is made, prepared and
// run until it closes, and a failure to start is shown by itself.
#include "app/program_win.h"

#include <windows.h>

#include "app/main_form_win.h"
#include "passwords/random.h"
#include "toolkit/application_win.h"

namespace {

const wchar_t kTitle[] = L"Tarvelin";

// From here on a DLL loaded by name comes from the system folder only: neither the program's
// folder (the Downloads folder, for a program just fetched) nor the current folder can hand the
// process a planted copy, also not the DLLs the system loads into it later (the shell's extensions
// in the save dialog, the socket providers). The DLLs the executable imports are known DLLs,
// which the loader takes from the system folder anyway.
void RestrictDllSearch() {
  ::SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
  ::SetDllDirectoryW(L"");
}

#if defined(__GNUC__)
// Before every other constructor of the program, not only before wWinMain: the stack protector's
// run-time seeds its guard in a constructor of its own through CryptAcquireContextA, which loads
// rsaenh.dll and with it bcrypt.dll, a DLL that is not a known one and so was taken from the
// program's folder. 101 is the earliest priority a program may use.
__attribute__((constructor(101))) void RestrictDllSearchFirst() { RestrictDllSearch(); }
#endif

}  // namespace

int RunProgram(const std::function<void(TMainForm&)>& prepare) {
  RestrictDllSearch();
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
