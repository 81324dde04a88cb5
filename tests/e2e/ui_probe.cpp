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
//   watch PATH SECONDS [CHANGES]   times round trips to the main window (WM_NULL, sent again and
//                         again) until the file PATH exists and its size has stayed the same for
//                         SECONDS, making CHANGES on the way: items "MS:FIELD=TEXT" split by "|",
//                         each a set of FIELD to TEXT MS milliseconds after the start; each set
//                         is a round trip too. watch.longest_ms (and .longest_at_ms, when it
//                         began), watch.slowest (the three longest, MS@WHEN), watch.pings,
//                         watch.done_ms (when the file reached its size)
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <utility>
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

// --- round trips during a password-file run (watch)

double NowMs() {
  LARGE_INTEGER frequency, count;
  ::QueryPerformanceFrequency(&frequency);
  ::QueryPerformanceCounter(&count);
  return static_cast<double>(count.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

// The size of the file at path, or -1 while there is none.
long long FileSizeOf(const std::wstring& path) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!::GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return -1;
  return (static_cast<long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

void Watch(const std::wstring& path, double quiet_seconds, const std::wstring& changes) {
  struct Change {
    double at_ms;
    std::wstring field, text;
  };
  std::vector<Change> schedule;
  for (std::size_t from = 0; from < changes.size();) {
    std::size_t to = changes.find(L'|', from);
    if (to == std::wstring::npos) to = changes.size();
    const std::wstring item = changes.substr(from, to - from);
    const std::size_t colon = item.find(L':'), equals = item.find(L'=');
    if (colon == std::wstring::npos || equals == std::wstring::npos || equals < colon) Fail("a change is not MS:FIELD=TEXT");
    schedule.push_back({std::wcstod(item.c_str(), nullptr), item.substr(colon + 1, equals - colon - 1), item.substr(equals + 1)});
    from = to + 1;
  }
  const double start = NowMs();
  double stable_since = 0;
  long long size = -1;
  long pings = 0;
  std::size_t next = 0;
  // The three longest round trips and when each began, the longest first.
  std::pair<double, double> slowest[3] = {};
  auto timed = [&](auto&& send) {
    const double before = NowMs();
    send();
    std::pair<double, double> took{NowMs() - before, before - start};
    for (auto& slow : slowest) {
      if (took.first > slow.first) std::swap(took, slow);
    }
  };
  for (;;) {
    const double now = NowMs();
    if (next < schedule.size() && now - start >= schedule[next].at_ms) {
      const HWND field = Field(schedule[next].field);
      const std::wstring& text = schedule[next].text;
      timed([&] { ::SendMessageW(field, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str())); });
      ++next;
      continue;
    }
    DWORD_PTR result = 0;
    timed([&] { ::SendMessageTimeoutW(g_main, WM_NULL, 0, 0, SMTO_NORMAL, 120000, &result); });
    ++pings;
    const long long now_size = FileSizeOf(path);
    if (now_size != size) {
      size = now_size;
      stable_since = NowMs();
    } else if (size >= 0 && next == schedule.size() && NowMs() - stable_since >= quiet_seconds * 1000) {
      break;
    }
    if (NowMs() - start > 900000) Fail("the file did not reach its size within 15 minutes");
    ::Sleep(1);
  }
  Put(L"watch.longest_ms", std::to_wstring(static_cast<long>(slowest[0].first + 0.5)));
  Put(L"watch.longest_at_ms", std::to_wstring(static_cast<long>(slowest[0].second)));
  std::wstring three;
  for (const auto& slow : slowest) {
    three += (three.empty() ? L"" : L" ") + std::to_wstring(static_cast<long>(slow.first + 0.5)) + L"@" +
             std::to_wstring(static_cast<long>(slow.second));
  }
  Put(L"watch.slowest", three);
  Put(L"watch.pings", std::to_wstring(pings));
  Put(L"watch.done_ms", std::to_wstring(static_cast<long>(stable_since - start)));
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
    } else if (step == L"watch") {
      const std::wstring& path = arg(++i);
      const double quiet = std::wcstod(arg(++i).c_str(), nullptr);
      std::wstring changes;
      if (i + 1 < args.size() && args[i + 1].find(L':') != std::wstring::npos && iswdigit(args[i + 1][0])) {
        changes = args[++i];
      }
      Watch(path, quiet, changes);
    } else {
      Fail("unknown step");
    }
  }
  std::fclose(g_out);
  return 0;
}
