// The system's dialog with a hook of ours: it places the dialog on the owner's monitor and lets
// the focus settle after an overwrite prompt.
#include "controls/save_dialog_win.h"

#include <commdlg.h>

#include <vector>

#include "toolkit/application_win.h"
#include "toolkit/form_rules.h"
#include "toolkit/window_win.h"

namespace {

struct THookData {
  HMONITOR monitor;
  TSaveTextFileDialog* dialog;
};

// How long the dialog lets the window system settle after its overwrite prompt closed.
constexpr DWORD kPromptSettleMs = 150;

UINT_PTR CALLBACK Hook(HWND child, UINT msg, WPARAM, LPARAM lp) {
  if (msg == WM_INITDIALOG) {
    ::SetWindowLongPtrW(child, GWLP_USERDATA, reinterpret_cast<const OPENFILENAMEW*>(lp)->lCustData);
  } else if (msg == WM_NOTIFY && reinterpret_cast<const NMHDR*>(lp)->code == CDN_INITDONE) {
    auto* data = reinterpret_cast<THookData*>(::GetWindowLongPtrW(child, GWLP_USERDATA));
    // With the explorer style the hook serves a child of the dialog: the dialog is its parent.
    const HWND dialog = ::GetParent(child);
    MONITORINFO mi{sizeof mi, {}, {}, 0};
    RECT r;
    if (data && ::GetMonitorInfoW(data->monitor, &mi) && ::GetWindowRect(dialog, &r)) {
      const TPlace at = SaveDialogPlace(BoxOf(mi.rcMonitor), r.right - r.left, r.bottom - r.top);
      ::SetWindowPos(dialog, nullptr, at.x, at.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    if (data && data->dialog->OnShown) data->dialog->OnShown(dialog);
  } else if (msg == WM_NOTIFY && reinterpret_cast<const NMHDR*>(lp)->code == CDN_FILEOK) {
    // The name is confirmed, after the overwrite prompt when there was one: an existing file.
    const OPENFILENAMEW& ofn = *reinterpret_cast<const OFNOTIFYW*>(lp)->lpOFN;
    if ((ofn.Flags & OFN_OVERWRITEPROMPT) && ::GetFileAttributesW(ofn.lpstrFile) != INVALID_FILE_ATTRIBUTES) {
      // The focus returns from the prompt to the dialog, which is about to end: it must land
      // while the dialog still exists (see LetWindowSystemSettle).
      LetWindowSystemSettle(kPromptSettleMs);
    }
  }
  return 0;
}

}  // namespace

bool TSaveTextFileDialog::Execute(HWND owner) {
  // The filter's "|" separators become the zero characters the system expects, with one more
  // zero after the last pattern.
  std::wstring filter = Filter;
  for (wchar_t& c : filter) {
    if (c == L'|') c = L'\0';
  }
  filter.push_back(L'\0');
  filter.push_back(L'\0');

  HWND active = ::GetActiveWindow();
  if (!active) active = owner;
  THookData data{::MonitorFromWindow(active, MONITOR_DEFAULTTONEAREST), this};

  std::vector<wchar_t> file(32768, L'\0');  // room for long paths
  OPENFILENAMEW ofn{};
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = owner;
  ofn.lpstrFilter = filter.c_str();
  ofn.nFilterIndex = FilterIndex;
  ofn.lpstrFile = file.data();
  ofn.nMaxFile = static_cast<DWORD>(file.size());
  ofn.lpstrDefExt = DefaultExt.empty() ? nullptr : DefaultExt.c_str();
  ofn.Flags = Options | OFN_EXPLORER | OFN_ENABLEHOOK;
  ofn.lpfnHook = &Hook;
  ofn.lCustData = reinterpret_cast<LPARAM>(&data);
  if (!::GetSaveFileNameW(&ofn)) return false;
  FileName = file.data();
  return true;
}
