// The system's message box as the user meets it, seen from another thread or process: found
// among the top-level windows of a thread, read, and answered with Enter.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

struct TSeenBox {
  HWND box = nullptr;
  HWND owner = nullptr;
  std::wstring caption;
  std::wstring text;  // the static text 0xFFFF of the box
};

inline std::wstring WindowTextOf(HWND hwnd) {
  wchar_t text[4096] = {};
  ::GetWindowTextW(hwnd, text, 4096);
  return text;
}

// The first visible message box of thread, waiting up to ms milliseconds for one.
inline std::optional<TSeenBox> WaitForMessageBox(DWORD thread, DWORD ms) {
  const ULONGLONG deadline = ::GetTickCount64() + ms;
  do {
    HWND found = nullptr;
    ::EnumThreadWindows(
        thread,
        [](HWND hwnd, LPARAM lp) -> BOOL {
          wchar_t name[16] = {};
          ::GetClassNameW(hwnd, name, 16);
          if (std::wstring(name) != L"#32770" || !::IsWindowVisible(hwnd) || !::GetDlgItem(hwnd, 0xFFFF)) return TRUE;
          *reinterpret_cast<HWND*>(lp) = hwnd;
          return FALSE;
        },
        reinterpret_cast<LPARAM>(&found));
    if (found) {
      TSeenBox seen{found, ::GetWindow(found, GW_OWNER), WindowTextOf(found), {}};
      wchar_t text[4096] = {};
      ::GetDlgItemTextW(found, 0xFFFF, text, 4096);
      seen.text = text;
      return seen;
    }
    ::Sleep(20);
  } while (::GetTickCount64() < deadline);
  return std::nullopt;
}

// Presses Enter in the box as the keyboard does: a key-down and key-up posted to the control
// that has the box's focus, which the box's own dialog handling turns into its default button.
inline void PressEnterIn(const TSeenBox& seen) {
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  const DWORD thread = ::GetWindowThreadProcessId(seen.box, nullptr);
  HWND target = seen.box;
  if (::GetGUIThreadInfo(thread, &info) && info.hwndFocus && ::IsChild(seen.box, info.hwndFocus)) {
    target = info.hwndFocus;
  }
  ::PostMessageW(target, WM_KEYDOWN, VK_RETURN, 0x001C0001);
  ::PostMessageW(target, WM_KEYUP, VK_RETURN, 0xC01C0001);
}

// Waits up to ms milliseconds for a window to go.
inline bool WaitGone(HWND hwnd, DWORD ms) {
  const ULONGLONG deadline = ::GetTickCount64() + ms;
  while (::IsWindow(hwnd) && ::IsWindowVisible(hwnd)) {
    if (::GetTickCount64() >= deadline) return false;
    ::Sleep(20);
  }
  return true;
}
