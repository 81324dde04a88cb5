// The test build of Tarvelin.exe: the same program, whose main window also answers the end-to-end
// tests' requests from another process. Built beside the program for the tests only; never
// installed or shipped.
//   WM_COPYDATA, dwData kGenRandomFileRequest, data "<count> <path>" in UTF-16: runs
//   GenRandomFile(path, count) from the message loop, as a command would.
//   kBannerTextQuery: sends the banner's text to the asking window (test_requests.h).
//   WM_COPYDATA, dwData kFaultRequest, data "<kind> <message>": the next handler of that message
//   (decimal or 0x hex) of an object of that kind fails with "Injected failure: <kind> <message>",
//   through FaultInjectionHook, once. The kinds are those of kKinds below.
//   WM_COPYDATA, dwData kDownloadRequest: starts the banner download now, as the update timer's
//   tick does (once per run); without a network it fails fast and its completion runs.
// With TARVELIN_TEST_START_FAILURE set in its environment the start fails once the main window
// is built, as a start-up without resources would.
#include <windows.h>

#include <commctrl.h>

#include <cwchar>
#include <exception>
#include <string>

#include "about/dlg_about_win.h"
#include "app/main_form_win.h"
#include "app/program_win.h"
#include "passwords/dlg_file_count_win.h"
#include "tests/e2e/test_requests.h"
#include "toolkit/application_win.h"
#include "toolkit/exception.h"
#include "toolkit/thread_win.h"
#include "toolkit/wide.h"

namespace {

TMainForm* g_form = nullptr;

template <class T>
bool Is(TObject& target) {
  return dynamic_cast<T*>(&target) != nullptr;
}

// The kinds of objects whose handlers a fault request can fail.
struct TKind {
  const wchar_t* name;
  bool (*matches)(TObject& target);
};
const TKind kKinds[] = {
    {L"main", [](TObject& t) { return &t == g_form; }},
    {L"dialog", Is<TFormOpenFile>},
    {L"about", Is<TFormAbout>},
    {L"panel", Is<TsPanel>},
    {L"group", Is<TsGroupBox>},
    {L"edit", [](TObject& t) { return Is<TsEdit>(t) && !Is<TsBaseSpinEdit>(t); }},
    {L"numeric", Is<TsSpinEdit>},
    {L"column", Is<TsSpinButton>},
    {L"button", Is<TsButton>},
    {L"image", Is<TImage>},
    {L"banner", [](TObject& t) { return &t == &g_form->LabelReclam; }},
    {L"label", [](TObject& t) { return Is<TLabel>(t) && &t != &g_form->LabelReclam; }},
    {L"timer", Is<TTimer>},
    {L"completion", Is<TThread>},
};

// The armed fault: the kind, the message and the failure's text; none when kind is null.
struct TFault {
  const TKind* kind = nullptr;
  UINT msg = 0;
  std::u16string text;
} g_fault;

void FailOnRequest(TObject& target, UINT msg) {
  if (!g_fault.kind || msg != g_fault.msg || !g_fault.kind->matches(target)) return;
  g_fault.kind = nullptr;  // once: the report's own messages must get through
  throw Exception(g_fault.text);
}

void ArmFault(const std::wstring& request) {
  const std::size_t blank = request.find(L' ');
  const std::wstring kind = request.substr(0, blank);
  const std::wstring msg = blank == std::wstring::npos ? std::wstring() : request.substr(blank + 1);
  g_fault = {};
  for (const TKind& k : kKinds) {
    if (kind == k.name) {
      g_fault = {&k, static_cast<UINT>(std::wcstoul(msg.c_str(), nullptr, 0)),
                 u"Injected failure: " + U16(kind + L" " + msg)};
    }
  }
}

struct Requests {
  TMainForm* form;
  UINT run;  // posted to the window to run a request once the sender has been answered
  UINT download;  // the same for the banner download
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
    if (data->dwData == kFaultRequest) {
      ArmFault(std::wstring(static_cast<const wchar_t*>(data->lpData), data->cbData / sizeof(wchar_t)));
      return g_fault.kind ? TRUE : FALSE;
    }
    if (data->dwData == kDownloadRequest) {
      ::PostMessageW(hwnd, requests.download, 0, 0);
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
  } else if (msg == requests.run || msg == requests.download) {
    try {
      if (msg == requests.run) {
        requests.form->GenRandomFile(requests.path, requests.count);
      } else {
        requests.form->TimerReklamUpdateTimer(&requests.form->TimerReklamUpdate);
      }
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
                           ::RegisterWindowMessageW(L"Tarvelin.Test.Download"),
                           ::RegisterWindowMessageW(kBannerTextQuery), {}, 0};
  return RunProgram([](TMainForm& form) {
    if (::_wgetenv(L"TARVELIN_TEST_START_FAILURE")) throw Exception(u"The test build refuses to start");
    requests.form = g_form = &form;
    FaultInjectionHook = &FailOnRequest;
    ::SetWindowSubclass(form.Handle(), &RequestProc, 1, reinterpret_cast<DWORD_PTR>(&requests));
  });
}
