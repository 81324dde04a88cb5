// Looks at and drives the running program from another process, as the end-to-end tests need
// beside the X tools: finds its windows, reads message boxes, sets field texts, answers the
// save dialog, takes the activation away. Steps run in order; each writes what it saw as
// "key=value" lines (UTF-8) to the file named by --out. Exit code 1 when a step fails.
//   ui_probe --out FILE [--without-main] STEP...
//   --without-main        the program has no main window (its start failed): its thread is that
//                         of the application's hidden window
//   box NAME [SECONDS]    wait for a message box; NAME.caption, .text, .owner (main, dialog, app
//                         or the class), .main_enabled; then Enter closes it (NAME.closed)
//   box-stays NAME        the same, but the box stays open
//   no-box SECONDS        fails when a message box appears within SECONDS
//   set FIELD TEXT        WM_SETTEXT to alphabet, length, password (main window) or count (dialog)
//   get FIELD             FIELD=its text
//   save-as PATH          types PATH into the save dialog's file name and presses Enter
//   gen-file COUNT PATH   asks the test build to run GenRandomFile(PATH, COUNT)
//   background SECONDS    activates a window of this process for SECONDS (the program then has
//                         no active window)
//   state                 main_enabled, main_active (the program's active window is its main
//                         window) and focus (the focused control: alphabet, length, password,
//                         gen, about, exit, file or the class)
//   key tab|shift-tab|left|right   a key-down posted to the program's focused window
//   close                 asks the main window to close
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "tests/e2e/test_requests.h"
#include "tests/message_box_win.h"
#include "toolkit/text.h"
#include "toolkit/wide.h"

namespace {

FILE* g_out = nullptr;
HWND g_main = nullptr;
DWORD g_thread = 0;

void Put(const std::wstring& key, const std::wstring& value) {
  const std::string line = Utf8FromUtf16(U16(key + L"=" + value)) + "\n";
  std::fwrite(line.data(), 1, line.size(), g_out);
  std::fflush(g_out);
}

[[noreturn]] void Fail(const std::string& why) {
  std::fprintf(stderr, "ui_probe: %s\n", why.c_str());
  std::exit(1);
}

std::wstring ClassOf(HWND hwnd) {
  wchar_t name[64] = {};
  ::GetClassNameW(hwnd, name, 64);
  return name;
}

// The n-th edit control among the descendants of parent, in creation order.
HWND NthEdit(HWND parent, int n) {
  struct Find {
    int left;
    HWND found;
  } find{n, nullptr};
  ::EnumChildWindows(
      parent,
      [](HWND hwnd, LPARAM lp) -> BOOL {
        auto* f = reinterpret_cast<Find*>(lp);
        if (ClassOf(hwnd) != L"Edit") return TRUE;
        if (f->left-- == 0) {
          f->found = hwnd;
          return FALSE;
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&find));
  return find.found;
}

// A visible top-level window of the program's thread with the given caption (any for nullptr)
// that is not a message box.
HWND ProgramWindow(const wchar_t* caption, DWORD seconds) {
  const ULONGLONG deadline = ::GetTickCount64() + seconds * 1000ull;
  do {
    struct Find {
      const wchar_t* caption;
      HWND found;
    } find{caption, nullptr};
    ::EnumThreadWindows(
        g_thread,
        [](HWND hwnd, LPARAM lp) -> BOOL {
          auto* f = reinterpret_cast<Find*>(lp);
          if (!::IsWindowVisible(hwnd) || ::GetDlgItem(hwnd, 0xFFFF)) return TRUE;
          if (f->caption ? WindowTextOf(hwnd) == f->caption : ClassOf(hwnd) == L"#32770") {
            f->found = hwnd;
            return FALSE;
          }
          return TRUE;
        },
        reinterpret_cast<LPARAM>(&find));
    if (find.found) return find.found;
    ::Sleep(50);
  } while (::GetTickCount64() < deadline);
  return nullptr;
}

HWND Field(const std::wstring& name) {
  if (name == L"alphabet") return NthEdit(g_main, 0);
  if (name == L"length") return NthEdit(g_main, 1);
  if (name == L"password") return NthEdit(g_main, 2);
  if (name == L"count") {
    const HWND dialog = ProgramWindow(L"Соханение файла паролей", 10);
    if (!dialog) Fail("no password-file dialog");
    return NthEdit(dialog, 1);
  }
  Fail("unknown field");
}

std::wstring NameOf(HWND hwnd) {
  if (!hwnd) return L"none";
  if (hwnd == g_main) return L"main";
  for (const wchar_t* field : {L"alphabet", L"length", L"password"}) {
    if (hwnd == Field(field)) return field;
  }
  const std::wstring text = WindowTextOf(hwnd);
  if (ClassOf(hwnd) == L"Button") {
    if (text == L"Генерировать") return L"gen";
    if (text == L"О программе") return L"about";
    if (text == L"Выход") return L"exit";
    if (text.empty() || text == L"Генерирование файла паролей") return L"file";
  }
  if (ClassOf(hwnd) == L"TarvelinApplication") return L"app";
  if (text == L"Соханение файла паролей") return L"dialog";
  return ClassOf(hwnd);
}

void Box(const std::wstring& name, DWORD seconds, bool close) {
  const auto seen = WaitForMessageBox(g_thread, seconds * 1000);
  if (!seen) Fail("no message box appeared");
  Put(name + L".caption", seen->caption);
  Put(name + L".text", seen->text);
  Put(name + L".owner", NameOf(seen->owner));
  if (g_main) Put(name + L".main_enabled", ::IsWindowEnabled(g_main) ? L"1" : L"0");
  if (!close) return;
  PressEnterIn(*seen);
  Put(name + L".closed", WaitGone(seen->box, 5000) ? L"1" : L"0");
}

void SaveAs(const std::wstring& path) {
  // The first dialog of a prefix loads the shell: slow on a busy machine.
  const HWND dialog = ProgramWindow(nullptr, 40);
  if (!dialog) Fail("no save dialog");
  // The file name box: the edit inside the combo box 0x47C, or the edit 0x480 of older dialogs.
  HWND name = nullptr;
  ::EnumChildWindows(
      dialog,
      [](HWND hwnd, LPARAM lp) -> BOOL {
        const int id = ::GetDlgCtrlID(hwnd);
        if (ClassOf(hwnd) != L"Edit" || (id != 0x47C && id != 0x480)) return TRUE;
        *reinterpret_cast<HWND*>(lp) = hwnd;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&name));
  if (!name) Fail("the save dialog has no file name box");
  ::SendMessageW(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()));
  ::Sleep(100);
  ::PostMessageW(name, WM_KEYDOWN, VK_RETURN, 0x001C0001);
  ::PostMessageW(name, WM_KEYUP, VK_RETURN, 0xC01C0001);
}

void Background(DWORD seconds) {
  WNDCLASSW wc{};
  wc.lpfnWndProc = &::DefWindowProcW;
  wc.hInstance = ::GetModuleHandleW(nullptr);
  wc.lpszClassName = L"TarvelinProbeForeground";
  ::RegisterClassW(&wc);
  const HWND hwnd = ::CreateWindowExW(0, wc.lpszClassName, L"Another program", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0,
                                      300, 200, nullptr, nullptr, wc.hInstance, nullptr);
  ::SetForegroundWindow(hwnd);
  ::SetActiveWindow(hwnd);
  const ULONGLONG end = ::GetTickCount64() + seconds * 1000ull;
  while (::GetTickCount64() < end) {
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageW(&msg);
    ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
  }
  ::DestroyWindow(hwnd);
}

GUITHREADINFO ThreadInfo() {
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  ::GetGUIThreadInfo(g_thread, &info);
  return info;
}

void Key(const std::wstring& key) {
  const HWND focus = ThreadInfo().hwndFocus;
  if (!focus) Fail("the program has no focus");
  const bool shift = key == L"shift-tab";
  const WPARAM vk = key == L"left" ? VK_LEFT : key == L"right" ? VK_RIGHT : VK_TAB;
  // The program reads the shift state of the key it takes: the keyboard state of its thread.
  ::AttachThreadInput(::GetCurrentThreadId(), g_thread, TRUE);
  BYTE state[256];
  ::GetKeyboardState(state);
  state[VK_SHIFT] = shift ? 0x80 : 0;
  ::SetKeyboardState(state);
  ::PostMessageW(focus, WM_KEYDOWN, vk, 1);
  ::Sleep(300);
  state[VK_SHIFT] = 0;
  ::SetKeyboardState(state);
  ::AttachThreadInput(::GetCurrentThreadId(), g_thread, FALSE);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 3 || std::wstring(argv[1]) != L"--out") Fail("usage: ui_probe --out FILE STEP...");
  g_out = ::_wfopen(argv[2], L"ab");
  if (!g_out) Fail("cannot open the output file");
  std::vector<std::wstring> args(argv + 3, argv + argc);
  const bool without_main = !args.empty() && args.front() == L"--without-main";
  if (without_main) args.erase(args.begin());
  HWND thread_window = nullptr;
  for (int i = 0; i < 300 && !thread_window; ++i) {
    thread_window = without_main ? ::FindWindowW(L"TarvelinApplication", nullptr)
                                 : (g_main = ::FindWindowW(nullptr, L"Tarvelin FREE 1.12"));
    if (!thread_window) ::Sleep(100);
  }
  if (!thread_window) Fail(without_main ? "no application window" : "no main window");
  g_thread = ::GetWindowThreadProcessId(thread_window, nullptr);
  auto arg = [&](std::size_t i) -> const std::wstring& {
    if (i >= args.size()) Fail("a step lacks its argument");
    return args[i];
  };
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::wstring& step = args[i];
    if (step == L"box" || step == L"box-stays") {
      const std::wstring& name = arg(++i);
      DWORD seconds = 15;
      if (i + 1 < args.size() && iswdigit(args[i + 1][0])) seconds = std::wcstoul(args[++i].c_str(), nullptr, 10);
      Box(name, seconds, step == L"box");
    } else if (step == L"no-box") {
      if (WaitForMessageBox(g_thread, std::wcstoul(arg(++i).c_str(), nullptr, 10) * 1000)) Fail("a message box appeared");
    } else if (step == L"set") {
      const HWND field = Field(arg(++i));
      ::SendMessageW(field, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(arg(++i).c_str()));
    } else if (step == L"get") {
      // Asked with WM_GETTEXT: for a window of another process, GetWindowTextW gives its caption
      // as the system keeps it, which an edit control does not update.
      const std::wstring& name = arg(++i);
      wchar_t text[4096] = {};
      ::SendMessageW(Field(name), WM_GETTEXT, 4096, reinterpret_cast<LPARAM>(text));
      Put(name, text);
    } else if (step == L"save-as") {
      SaveAs(arg(++i));
    } else if (step == L"gen-file") {
      const std::wstring text = arg(i + 1) + L" " + arg(i + 2);
      i += 2;
      COPYDATASTRUCT data{kGenRandomFileRequest, static_cast<DWORD>(text.size() * sizeof(wchar_t)),
                          const_cast<wchar_t*>(text.data())};
      if (!::SendMessageW(g_main, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data))) Fail("not the test build");
    } else if (step == L"background") {
      Background(std::wcstoul(arg(++i).c_str(), nullptr, 10));
    } else if (step == L"state") {
      const GUITHREADINFO info = ThreadInfo();
      Put(L"main_enabled", ::IsWindowEnabled(g_main) ? L"1" : L"0");
      Put(L"main_active", info.hwndActive == g_main ? L"1" : L"0");
      Put(L"focus", NameOf(info.hwndFocus));
    } else if (step == L"key") {
      Key(arg(++i));
    } else if (step == L"close") {
      ::PostMessageW(g_main, WM_CLOSE, 0, 0);
    } else {
      Fail("unknown step");
    }
  }
  std::fclose(g_out);
  return 0;
}
