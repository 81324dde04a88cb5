// The test build of Tarvelin.exe: the same program, whose main window also answers the end-to-end
// tests' requests from another process. Built beside the program for the tests only; never
// installed or shipped.
//   WM_COPYDATA, dwData kGenRandomFileRequest, data "<count> <path>" in UTF-16: runs
//   GenRandomFile(path, count) from the message loop, as a command would.
#include <windows.h>

#include <commctrl.h>

#include <cwchar>
#include <exception>
#include <string>

#include "app/main_form_win.h"
#include "app/program_win.h"
#include "tests/e2e/test_requests.h"
#include "toolkit/application_win.h"

namespace {

struct Requests {
  TMainForm* form;
  UINT run;  // posted to the window to run a request once the sender has been answered
  std::wstring path;
  std::int32_t count = 0;
};

LRESULT CALLBACK RequestProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR ref) {
  auto& requests = *reinterpret_cast<Requests*>(ref);
  if (msg == WM_COPYDATA) {
    const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lp);
    if (data->dwData == kGenRandomFileRequest) {
      const std::wstring text(static_cast<const wchar_t*>(data->lpData), data->cbData / sizeof(wchar_t));
      const std::size_t blank = text.find(L' ');
      requests.count = static_cast<std::int32_t>(std::wcstol(text.c_str(), nullptr, 10));
      requests.path = blank == std::wstring::npos ? std::wstring() : text.substr(blank + 1);
      ::PostMessageW(hwnd, requests.run, 0, 0);
      return TRUE;
    }
  } else if (msg == requests.run) {
    try {
      requests.form->GenRandomFile(requests.path, requests.count);
    } catch (...) {
      Application->HandleException(std::current_exception());
    }
    return 0;
  }
  return ::DefSubclassProc(hwnd, msg, wp, lp);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  static Requests requests{nullptr, ::RegisterWindowMessageW(L"Tarvelin.Test.Run"), {}, 0};
  return RunProgram([](TMainForm& form) {
    requests.form = &form;
    ::SetWindowSubclass(form.Handle(), &RequestProc, 1, reinterpret_cast<DWORD_PTR>(&requests));
  });
}
