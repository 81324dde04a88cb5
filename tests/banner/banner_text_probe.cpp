// Reads the text the banner of the running test build shows, from outside: finds the main window
// by its caption and asks it with the banner text query. For the end-to-end test.
//   banner_text_probe OUT [--wait-change SECONDS] [--close]
// Writes the text to OUT in UTF-8. --wait-change waits until the text differs from the one the
// banner showed first; --close then asks the window to close. Exit code 1 when the window does
// not appear within 30 s, does not answer, or the text does not change in time.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "product/product_consts.h"
#include "tests/e2e/test_requests.h"
#include "toolkit/text.h"
#include "toolkit/wide.h"

namespace {

std::wstring g_received;
bool g_answered = false;

LRESULT CALLBACK AskerProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_COPYDATA) {
    const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lp);
    if (data->dwData == kBannerTextTag) {
      g_received.assign(static_cast<const wchar_t*>(data->lpData), data->cbData / sizeof(wchar_t));
      g_answered = true;
    }
    return TRUE;
  }
  return DefWindowProcW(hwnd, msg, wp, lp);
}

bool Ask(HWND main, HWND asker, UINT query, std::wstring& text) {
  g_answered = false;
  DWORD_PTR result = 0;
  if (!SendMessageTimeoutW(main, query, reinterpret_cast<WPARAM>(asker), 0, SMTO_ABORTIFHUNG, 5000, &result) ||
      result != 1 || !g_answered) {
    return false;
  }
  text = g_received;
  return true;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: banner_text_probe OUT [--wait-change SECONDS] [--close]\n");
    return 2;
  }
  const std::wstring out = argv[1];
  double wait_change = -1;
  bool close = false;
  for (int i = 2; i < argc; ++i) {
    const std::wstring arg = argv[i];
    if (arg == L"--wait-change" && i + 1 < argc) {
      wait_change = _wtof(argv[++i]);
    } else if (arg == L"--close") {
      close = true;
    }
  }
  const std::wstring caption = Wide(ProgramName) + L" " + Wide(ProgramVersion);
  HWND main = nullptr;
  for (int i = 0; i < 300 && !(main = FindWindowW(nullptr, caption.c_str())); ++i) Sleep(100);
  if (!main) {
    std::fprintf(stderr, "banner_text_probe: no window captioned %s\n", Utf8FromUtf16(U16(caption)).c_str());
    return 1;
  }

  WNDCLASSW wc{};
  wc.lpfnWndProc = &AskerProc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = L"TarvelinBannerProbe";
  RegisterClassW(&wc);
  const HWND asker = CreateWindowExW(0, wc.lpszClassName, L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, wc.hInstance, nullptr);
  const UINT query = RegisterWindowMessageW(kBannerTextQuery);

  std::wstring text;
  if (!Ask(main, asker, query, text)) {
    std::fprintf(stderr, "banner_text_probe: the window does not answer (not the test build?)\n");
    return 1;
  }
  if (wait_change >= 0) {
    const std::wstring first = text;
    const ULONGLONG deadline = GetTickCount64() + static_cast<ULONGLONG>(wait_change * 1000);
    while (text == first) {
      if (GetTickCount64() > deadline) {
        std::fprintf(stderr, "banner_text_probe: the banner still shows its first text\n");
        return 1;
      }
      Sleep(200);
      if (!Ask(main, asker, query, text)) {
        std::fprintf(stderr, "banner_text_probe: the window stopped answering\n");
        return 1;
      }
    }
  }
  FILE* f = _wfopen(out.c_str(), L"wb");
  if (!f) return 1;
  const std::string bytes = Utf8FromUtf16(U16(text));
  std::fwrite(bytes.data(), 1, bytes.size(), f);
  std::fclose(f);
  if (close) PostMessageW(main, WM_CLOSE, 0, 0);
  return 0;
}
