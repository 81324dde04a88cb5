// The banner text for automated checks: another program asks the main window for the text its
// banner shows at the moment.
#include "banner/banner_query_win.h"

#include <commctrl.h>

#include "toolkit/controls_win.h"
#include "toolkit/system_library_win.h"

namespace {

constexpr UINT_PTR kSubclassId = 0x42616e72;

LRESULT CALLBACK QueryProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR ref) {
  static const UINT query = ::RegisterWindowMessageW(BannerTextQueryMessage);
  if (msg == query && query != 0) {
    const auto* label = reinterpret_cast<const TLabel*>(ref);
    const std::wstring& text = label->Text();
    COPYDATASTRUCT data{BannerTextQueryTag, static_cast<DWORD>(text.size() * sizeof(wchar_t)),
                        const_cast<wchar_t*>(text.data())};
    const auto asker = reinterpret_cast<HWND>(wp);
    if (!::IsWindow(asker)) return 0;
    // A hung asker must not hold the window up.
    DWORD_PTR result = 0;
    ::SendMessageTimeoutW(asker, WM_COPYDATA, reinterpret_cast<WPARAM>(hwnd), reinterpret_cast<LPARAM>(&data),
                          SMTO_ABORTIFHUNG | SMTO_BLOCK, 2000, &result);
    return 1;
  }
  if (msg == WM_NCDESTROY) CommonControls().RemoveWindowSubclass(hwnd, &QueryProc, kSubclassId);
  return CommonControls().DefSubclassProc(hwnd, msg, wp, lp);
}

}  // namespace

void AnswerBannerTextQueries(HWND window, const TLabel& label) {
  CommonControls().SetWindowSubclass(window, &QueryProc, kSubclassId, reinterpret_cast<DWORD_PTR>(&label));
}
