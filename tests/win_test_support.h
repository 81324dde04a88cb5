// Helpers for tests of windows under Wine: an application object per test, message pumping
// until a condition holds, and a recorder that stands in for message boxes.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "toolkit/application_win.h"
#include "toolkit/form_win.h"

struct ShownBox {
  HWND owner;
  std::wstring text;
  std::wstring caption;
  UINT flags;
};

class WindowTest : public ::testing::Test {
protected:
  WindowTest() {
    app.Title = L"Tarvelin";
    app.MainFormOnTaskBar = true;
    app.OnMessageBox = [this](HWND owner, const std::wstring& text, const std::wstring& caption, UINT flags) {
      boxes.push_back({owner, text, caption, flags});
      if (on_box) on_box(boxes.back());
      return IDOK;
    };
  }

  // Dispatches messages until done() holds or ms milliseconds have passed; returns done().
  bool PumpUntil(const std::function<bool()>& done, DWORD ms = 5000) {
    const DWORD start = GetTickCount();
    while (!done()) {
      if (GetTickCount() - start > ms) return false;
      app.ProcessMessages();
      app.CheckSynchronize();
      MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
    return true;
  }
  // Shows a window, makes it the active one and lets its first messages through.
  void ShowActive(TForm& form) {
    form.Show();
    SetForegroundWindow(form.Handle());
    SetActiveWindow(form.Handle());
    app.ProcessMessages();
  }
  // Dispatches messages for ms milliseconds.
  void PumpFor(DWORD ms) {
    PumpUntil([] { return false; }, ms);
  }

  TApplication app;
  std::vector<ShownBox> boxes;
  std::function<void(const ShownBox&)> on_box;
};

// Presses a key on the focused window through the application's message processing, the way a
// real key press arrives: a posted WM_KEYDOWN (and WM_CHAR where the key makes one).
// Another modifier (VK_CONTROL) may be held too.
inline void PressKey(TApplication& app, WPARAM key, bool shift = false, int modifier = 0) {
  BYTE state[256];
  GetKeyboardState(state);
  state[VK_SHIFT] = shift ? 0x80 : 0;
  if (modifier) state[modifier] = 0x80;
  SetKeyboardState(state);
  PostMessageW(GetFocus(), WM_KEYDOWN, key, 1);
  app.ProcessMessages();
  state[VK_SHIFT] = 0;
  if (modifier) state[modifier] = 0;
  SetKeyboardState(state);
}

// Whether the tests run under Wine rather than on Windows.
inline bool UnderWine() { return ::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr; }

inline std::wstring ClassOf(HWND hwnd) {
  wchar_t name[64] = {};
  GetClassNameW(hwnd, name, 64);
  return name;
}

// A hidden window that runs a function for each WM_APP it receives.
class MessageProbe {
public:
  explicit MessageProbe(std::function<void()> on_app) : on_app_(std::move(on_app)) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = [](HWND h, UINT m, WPARAM w, LPARAM l) -> LRESULT {
      auto* self = reinterpret_cast<MessageProbe*>(GetWindowLongPtrW(h, GWLP_USERDATA));
      if (self && m == WM_APP) self->on_app_();
      return DefWindowProcW(h, m, w, l);
    };
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"TestMessageProbe";
    RegisterClassW(&wc);
    hwnd_ = CreateWindowExW(0, wc.lpszClassName, L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, wc.hInstance, nullptr);
    SetWindowLongPtrW(hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  }
  ~MessageProbe() { DestroyWindow(hwnd_); }
  void Post() const { PostMessageW(hwnd_, WM_APP, 0, 0); }

private:
  std::function<void()> on_app_;
  HWND hwnd_;
};
