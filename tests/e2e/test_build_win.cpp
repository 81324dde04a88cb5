// The test build of Tarvelin.exe: the same program, whose main window also answers the end-to-end
// tests' requests from another process. Built beside the program for the tests only; never
// installed or shipped.
//   WM_COPYDATA, dwData kGenRandomFileRequest, data "<count> <path>" in UTF-16: runs
//   GenRandomFile(path, count) from the message loop, as a command would.
//   kBannerTextQuery: sends the banner's text to the asking window (test_requests.h).
// With TARVELIN_TEST_START_FAILURE set in its environment the start fails once the main window
// is built, as a start-up without resources would.
#include <windows.h>

#include <commctrl.h>

#include <cwchar>
#include <exception>
#include <string>

#include "app/main_form_win.h"
#include "app/program_win.h"
#include "tests/e2e/test_requests.h"
#include "toolkit/application_win.h"
#include "toolkit/exception.h"

namespace {

struct Requests {
  TMainForm* form;
  UINT run;  // posted to the window to run a request once the sender has been answered
  UINT banner_text;
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
  } else if (msg == requests.banner_text && msg != 0) {
    const std::wstring& text = requests.form->LabelReclam.Text();
    COPYDATASTRUCT data{kBannerTextTag, static_cast<DWORD>(text.size() * sizeof(wchar_t)),
                        const_cast<wchar_t*>(text.data())};
    const auto asker = reinterpret_cast<HWND>(wp);
    if (!::IsWindow(asker)) return 0;
    // A hung asker must not hold the program up.
    DWORD_PTR result = 0;
    ::SendMessageTimeoutW(asker, WM_COPYDATA, reinterpret_cast<WPARAM>(hwnd), reinterpret_cast<LPARAM>(&data),
                          SMTO_ABORTIFHUNG | SMTO_BLOCK, 2000, &result);
    return 1;
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
  static Requests requests{nullptr, ::RegisterWindowMessageW(L"Tarvelin.Test.Run"),
                           ::RegisterWindowMessageW(kBannerTextQuery), {}, 0};
  return RunProgram([](TMainForm& form) {
    if (::_wgetenv(L"TARVELIN_TEST_START_FAILURE")) throw Exception(u"The test build refuses to start");
    requests.form = &form;
    ::SetWindowSubclass(form.Handle(), &RequestProc, 1, reinterpret_cast<DWORD_PTR>(&requests));
  });
}
