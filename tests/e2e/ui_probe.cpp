// Looks at and drives the running program from another process, as the end-to-end tests need
// beside the X tools: finds its windows, reads message boxes, fields and the clipboard, types
// into and sets fields, turns the wheel, answers the save dialog, takes the activation away, and
// sends the test build its requests. Steps run in order; each writes what it saw as "key=value"
// lines (UTF-8). Exit code 1 when a step fails.
//   ui_probe --out FILE [--without-main] STEP...
//   ui_probe --serve      reads lines of tab-separated steps from standard input and answers
//                         each line on standard output with its key=value lines and a last line
//                         "." (a failed step: "error=WHY" before it, the rest of the line
//                         skipped); in both, backslashes, tabs, CRs and LFs are written \\, \t,
//                         \r and \n. Ends with its input. Starts unattached: send attach first.
//   --without-main        the program has no main window (its start failed): its thread is that
//                         of the application's hidden window
//   attach SECONDS        finds the program's main window (again, after a restart), waiting up
//                         to SECONDS
//   box NAME [SECONDS]    wait for a message box; NAME.caption, .text, .owner (main, dialog,
//                         about, app or the class), .main_enabled; then Enter closes it
//                         (NAME.closed)
//   box-stays NAME        the same, but the box stays open
//   no-box SECONDS        fails when a message box appears within SECONDS
//   set FIELD TEXT        the alphabet and password fields (main window) get TEXT by WM_SETTEXT;
//                         the numeric fields length (main window) and count (dialog) are typed
//                         into as a user types: all selected, then each character sent as
//                         WM_CHAR, a backspace for an empty TEXT
//   set-raw FIELD TEXT    WM_SETTEXT to any field, as another program sets a text
//   replace-raw FIELD TEXT  EM_REPLACESEL to any field: another program replaces the selection
//   get FIELD             FIELD=its text, FIELD.selection=START,END (in UTF-16 code units)
//   save-as PATH          types PATH into the save dialog's file name and presses Enter
//   save-name PATH        types PATH into the save dialog's file name only, for a key of the
//                         display to confirm
//   gen-file COUNT PATH   asks the test build to run GenRandomFile(PATH, COUNT)
//   fail KIND MESSAGE     asks the test build to fail the next handler of MESSAGE (a number) of
//                         an object of KIND (test_build_win.cpp names the kinds)
//   download              asks the test build to start the banner download now
//   background SECONDS    activates a window of this process for SECONDS (the program then has
//                         no active window)
//   state                 main_enabled, main_active (the program's active window is its main
//                         window), active and focus (the active window and the focused control:
//                         main, about, dialog, alphabet, length, password, gen, about, exit,
//                         file, path, count, open, close, none or the class), windows (its
//                         visible top-level windows but tooltips: main, about, dialog, save, box
//                         or the class, comma-separated) and where the program takes each to be
//                         (NAME.rect=LEFT,TOP,RIGHT,BOTTOM on the screen), capture (the window
//                         holding the mouse, or none), box.caption and box.text when a box is
//                         open, save.caption when the save dialog is
//   key tab|shift-tab|left|right   a key-down posted to the program's focused window
//   wheel focus|point DELTA        WM_MOUSEWHEEL of DELTA sent to the focused window, or to the
//                         window under the pointer when it is the program's; returns once it is
//                         handled (wheel.target: its name, none when there is none)
//   clipboard             clipboard.text (CF_UNICODETEXT), clipboard.seq (the sequence number),
//                         and clipboard.exclude, .history, .cloud: the DWORD held by the formats
//                         ExcludeClipboardContentFromMonitorProcessing, CanIncludeInClipboardHistory
//                         and CanUploadToCloudClipboard, "none" where one is missing
//   clipboard-seq         clipboard.seq alone: the clipboard is not opened, so that a program
//                         putting data on it is not kept waiting
//   close                 asks the main window to close
//   where CONTROL         CONTROL.center=X,Y: the centre of the program's first visible control
//                         that state names CONTROL (gen, about, exit, file, open, close, ...),
//                         on the screen, where the program takes it to stand
//   watch PATH SECONDS [CHANGES]   times round trips to the main window (WM_NULL, sent again and
//                         again) until the file PATH exists and its size has stayed the same for
//                         SECONDS, making CHANGES on the way: items "MS:FIELD=TEXT" split by "|",
//                         each a set of FIELD to TEXT MS milliseconds after the start; each
//                         message of a set is a round trip too. watch.longest_ms (and
//                         .longest_at_ms, when it began), watch.slowest (the three longest,
//                         MS@WHEN), watch.pings, watch.done_ms (when the file reached its size)
#include <windows.h>

#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <string>
#include <utility>
#include <vector>

#include "tests/e2e/test_requests.h"
#include "tests/message_box_win.h"
#include "toolkit/text.h"
#include "toolkit/wide.h"

namespace {

FILE* g_out = nullptr;
bool g_serving = false;
HWND g_main = nullptr;
DWORD g_thread = 0;

const wchar_t kMainCaption[] = L"Tarvelin FREE 1.12";
const wchar_t kDialogCaption[] = L"Соханение файла паролей";
const wchar_t kAboutCaption[] = L"О программе";

// A step that failed: the probe ends with it, or answers it in --serve.
struct TStepFailure {
  std::string why;
};

[[noreturn]] void Fail(const std::string& why) { throw TStepFailure{why}; }

// The escapes of --serve, which keep a word or a value on its line.
const wchar_t kEscaped[] = L"\\\t\r\n", kEscapes[] = L"\\trn";

void Put(const std::wstring& key, const std::wstring& value) {
  std::wstring text = key + L"=";
  for (wchar_t c : value) {
    const wchar_t* escaped = g_serving && c ? std::wcschr(kEscaped, c) : nullptr;
    if (escaped) {
      text += L'\\';
      text += kEscapes[escaped - kEscaped];
    } else {
      text += c;
    }
  }
  const std::string line = Utf8FromUtf16(U16(text)) + "\n";
  std::fwrite(line.data(), 1, line.size(), g_out);
  std::fflush(g_out);
}

std::wstring ClassOf(HWND hwnd) {
  wchar_t name[64] = {};
  ::GetClassNameW(hwnd, name, 64);
  return name;
}

bool IsMessageBox(HWND hwnd) { return ClassOf(hwnd) == L"#32770" && ::GetDlgItem(hwnd, 0xFFFF); }

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

// A visible top-level window of the program's thread with the given caption (any system dialog
// for nullptr) that is not a message box, waiting up to seconds for one.
HWND ProgramWindow(const wchar_t* caption, DWORD seconds) {
  const ULONGLONG deadline = ::GetTickCount64() + seconds * 1000ull;
  for (;;) {
    struct Find {
      const wchar_t* caption;
      HWND found;
    } find{caption, nullptr};
    ::EnumThreadWindows(
        g_thread,
        [](HWND hwnd, LPARAM lp) -> BOOL {
          auto* f = reinterpret_cast<Find*>(lp);
          if (!::IsWindowVisible(hwnd) || IsMessageBox(hwnd)) return TRUE;
          if (f->caption ? WindowTextOf(hwnd) == f->caption : ClassOf(hwnd) == L"#32770") {
            f->found = hwnd;
            return FALSE;
          }
          return TRUE;
        },
        reinterpret_cast<LPARAM>(&find));
    if (find.found) return find.found;
    if (::GetTickCount64() >= deadline) return nullptr;
    ::Sleep(50);
  }
}

HWND Field(const std::wstring& name) {
  if (name == L"alphabet") return NthEdit(g_main, 0);
  if (name == L"length") return NthEdit(g_main, 1);
  if (name == L"password") return NthEdit(g_main, 2);
  if (name == L"count") {
    const HWND dialog = ProgramWindow(kDialogCaption, 10);
    if (!dialog) Fail("no password-file dialog");
    return NthEdit(dialog, 1);
  }
  Fail("unknown field");
}

bool IsNumericField(const std::wstring& name) { return name == L"length" || name == L"count"; }

std::wstring NameOf(HWND hwnd) {
  if (!hwnd) return L"none";
  if (hwnd == g_main) return L"main";
  const std::wstring text = WindowTextOf(hwnd), class_name = ClassOf(hwnd);
  const HWND top = ::GetAncestor(hwnd, GA_ROOT);
  if (class_name == L"Edit") {
    const wchar_t* const main_fields[] = {L"alphabet", L"length", L"password"};
    const wchar_t* const dialog_fields[] = {L"path", L"count"};
    const bool in_dialog = WindowTextOf(top) == kDialogCaption;
    for (int i = 0; i < 3; ++i) {
      if (top == g_main && hwnd == NthEdit(g_main, i)) return main_fields[i];
      if (i < 2 && in_dialog && hwnd == NthEdit(top, i)) return dialog_fields[i];
    }
  }
  if (class_name == L"Button") {
    if (text == L"Генерировать") return L"gen";
    if (text == L"О программе") return L"about";
    if (text == L"Выход") return L"exit";
    if (text == L"Выбрать файл") return L"open";
    if (text == L"Закрыть") return L"close";
    if (text.empty() || text == L"Генерирование файла паролей") return L"file";
  }
  if (class_name == L"TarvelinApplication") return L"app";
  if (hwnd == top) {
    if (text == kDialogCaption) return L"dialog";
    if (text == kAboutCaption) return L"about";
    if (IsMessageBox(hwnd)) return L"box";
    if (class_name == L"#32770") return L"save";
  }
  return class_name;
}

void Attach(DWORD seconds, bool without_main) {
  g_main = nullptr;
  g_thread = 0;
  HWND thread_window = nullptr;
  const ULONGLONG deadline = ::GetTickCount64() + seconds * 1000ull;
  for (;;) {
    thread_window = without_main ? ::FindWindowW(L"TarvelinApplication", nullptr)
                                 : (g_main = ::FindWindowW(nullptr, kMainCaption));
    if (thread_window || ::GetTickCount64() >= deadline) break;
    ::Sleep(100);
  }
  if (!thread_window) Fail(without_main ? "no application window" : "no main window");
  g_thread = ::GetWindowThreadProcessId(thread_window, nullptr);
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

// Sends a message, through timed: watch times every message as a round trip.
template <class Timed>
void Send(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, Timed&& timed) {
  timed([&] {
    DWORD_PTR result = 0;
    ::SendMessageTimeoutW(hwnd, msg, wp, lp, SMTO_NORMAL, 120000, &result);
  });
}

// A numeric field checks a text set from outside as a paste, so a user's typing is typed: all
// selected, then the characters (a backspace for none). Other fields, and raw, get the text set.
template <class Timed>
void SetField(const std::wstring& name, const std::wstring& text, bool raw, Timed&& timed) {
  const HWND field = Field(name);
  if (raw || !IsNumericField(name)) {
    Send(field, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()), timed);
    return;
  }
  Send(field, EM_SETSEL, 0, -1, timed);
  if (text.empty()) Send(field, WM_CHAR, VK_BACK, 1, timed);
  for (wchar_t c : text) Send(field, WM_CHAR, c, 1, timed);
}

void Get(const std::wstring& name) {
  // Asked with WM_GETTEXT: for a window of another process, GetWindowTextW gives its caption as
  // the system keeps it, which an edit control does not update.
  const HWND field = Field(name);
  std::wstring text(static_cast<std::size_t>(::SendMessageW(field, WM_GETTEXTLENGTH, 0, 0)) + 1, L'\0');
  text.resize(static_cast<std::size_t>(
      ::SendMessageW(field, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()))));
  Put(name, text);
  DWORD start = 0, end = 0;
  ::SendMessageW(field, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  Put(name + L".selection", std::to_wstring(start) + L"," + std::to_wstring(end));
}

void SaveAs(const std::wstring& path, bool press_enter) {
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
  if (!press_enter) return;
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

// The program's first visible control of the name (NameOf) in its visible top-level windows.
HWND Control(const std::wstring& name) {
  struct Find {
    const std::wstring& name;
    HWND found;
  } find{name, nullptr};
  ::EnumThreadWindows(
      g_thread,
      [](HWND top, LPARAM lp) -> BOOL {
        if (!::IsWindowVisible(top)) return TRUE;
        ::EnumChildWindows(
            top,
            [](HWND hwnd, LPARAM found) -> BOOL {
              auto* f = reinterpret_cast<Find*>(found);
              if (!::IsWindowVisible(hwnd) || NameOf(hwnd) != f->name) return TRUE;
              f->found = hwnd;
              return FALSE;
            },
            lp);
        return reinterpret_cast<Find*>(lp)->found ? FALSE : TRUE;
      },
      reinterpret_cast<LPARAM>(&find));
  if (!find.found) Fail("no visible control named " + Utf8FromUtf16(U16(name)));
  return find.found;
}

void Where(const std::wstring& name) {
  RECT rect{};
  ::GetWindowRect(Control(name), &rect);
  Put(name + L".center",
      std::to_wstring((rect.left + rect.right) / 2) + L"," + std::to_wstring((rect.top + rect.bottom) / 2));
}

GUITHREADINFO ThreadInfo() {
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  ::GetGUIThreadInfo(g_thread, &info);
  return info;
}

void State() {
  const GUITHREADINFO info = ThreadInfo();
  Put(L"main_enabled", ::IsWindowEnabled(g_main) ? L"1" : L"0");
  Put(L"main_active", info.hwndActive == g_main ? L"1" : L"0");
  Put(L"active", NameOf(info.hwndActive));
  Put(L"focus", NameOf(info.hwndFocus));
  Put(L"capture", NameOf(info.hwndCapture));
  std::vector<HWND> windows;
  ::EnumThreadWindows(
      g_thread,
      [](HWND hwnd, LPARAM lp) -> BOOL {
        if (::IsWindowVisible(hwnd) && ClassOf(hwnd) != L"tooltips_class32") {
          reinterpret_cast<std::vector<HWND>*>(lp)->push_back(hwnd);
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&windows));
  std::wstring names;
  for (HWND hwnd : windows) {
    const std::wstring name = NameOf(hwnd);
    names += (names.empty() ? L"" : L",") + name;
    RECT r;
    ::GetWindowRect(hwnd, &r);
    Put(name + L".rect", std::to_wstring(r.left) + L"," + std::to_wstring(r.top) + L"," + std::to_wstring(r.right) + L"," +
                             std::to_wstring(r.bottom));
    if (name == L"box" || name == L"save") Put(name + L".caption", WindowTextOf(hwnd));
    if (name == L"box") {
      wchar_t text[4096] = {};
      ::GetDlgItemTextW(hwnd, 0xFFFF, text, 4096);
      Put(L"box.text", text);
    }
  }
  Put(L"windows", names);
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

void Wheel(const std::wstring& where, int delta) {
  POINT cursor{};
  ::GetCursorPos(&cursor);
  HWND target = nullptr;
  if (where == L"focus") {
    target = ThreadInfo().hwndFocus;
  } else if (where == L"point") {
    target = ::WindowFromPoint(cursor);
    if (target && ::GetWindowThreadProcessId(target, nullptr) != g_thread) target = nullptr;
  } else {
    Fail("wheel: focus or point");
  }
  Put(L"wheel.target", NameOf(target));
  if (!target) return;
  // Sent, not posted: the step returns once the program has handled the turn.
  DWORD_PTR result = 0;
  ::SendMessageTimeoutW(target, WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(static_cast<short>(delta))),
                        MAKELPARAM(cursor.x, cursor.y), SMTO_NORMAL, 30000, &result);
}

// The DWORD a named clipboard format holds, "none" when it is missing.
std::wstring FormatValue(const wchar_t* name) {
  const HANDLE data = ::GetClipboardData(::RegisterClipboardFormatW(name));
  if (!data) return L"none";
  std::wstring value = L"?";
  if (const void* p = ::GlobalLock(data)) {
    if (::GlobalSize(data) >= sizeof(DWORD)) value = std::to_wstring(*static_cast<const DWORD*>(p));
    ::GlobalUnlock(data);
  }
  return value;
}

void Clipboard() {
  Put(L"clipboard.seq", std::to_wstring(::GetClipboardSequenceNumber()));
  bool open = false;
  for (int i = 0; i < 100 && !(open = ::OpenClipboard(nullptr)); ++i) ::Sleep(20);
  if (!open) Fail("the clipboard stays busy");
  std::wstring text;
  if (const HANDLE data = ::GetClipboardData(CF_UNICODETEXT)) {
    if (const auto* p = static_cast<const wchar_t*>(::GlobalLock(data))) {
      text = p;
      ::GlobalUnlock(data);
    }
  }
  Put(L"clipboard.text", text);
  Put(L"clipboard.exclude", FormatValue(L"ExcludeClipboardContentFromMonitorProcessing"));
  Put(L"clipboard.history", FormatValue(L"CanIncludeInClipboardHistory"));
  Put(L"clipboard.cloud", FormatValue(L"CanUploadToCloudClipboard"));
  ::CloseClipboard();
}

void Request(ULONG_PTR tag, const std::wstring& text) {
  COPYDATASTRUCT data{tag, static_cast<DWORD>(text.size() * sizeof(wchar_t)), const_cast<wchar_t*>(text.data())};
  if (!::SendMessageW(g_main, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data))) Fail("not the test build, or not its request");
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
      SetField(schedule[next].field, schedule[next].text, false, timed);
      ++next;
      continue;
    }
    Send(g_main, WM_NULL, 0, 0, timed);
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

void RunSteps(const std::vector<std::wstring>& args, bool without_main) {
  auto arg = [&](std::size_t i) -> const std::wstring& {
    if (i >= args.size()) Fail("a step lacks its argument");
    return args[i];
  };
  const auto untimed = [](auto&& send) { send(); };
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::wstring& step = args[i];
    if (step == L"attach") {
      Attach(std::wcstoul(arg(++i).c_str(), nullptr, 10), without_main);
      continue;
    }
    if (!g_thread) Fail("not attached");
    if (step == L"box" || step == L"box-stays") {
      const std::wstring& name = arg(++i);
      DWORD seconds = 15;
      if (i + 1 < args.size() && iswdigit(args[i + 1][0])) seconds = std::wcstoul(args[++i].c_str(), nullptr, 10);
      Box(name, seconds, step == L"box");
    } else if (step == L"no-box") {
      if (WaitForMessageBox(g_thread, std::wcstoul(arg(++i).c_str(), nullptr, 10) * 1000)) Fail("a message box appeared");
    } else if (step == L"set" || step == L"set-raw") {
      const std::wstring& name = arg(++i);
      SetField(name, arg(++i), step == L"set-raw", untimed);
    } else if (step == L"replace-raw") {
      const HWND field = Field(arg(++i));
      ::SendMessageW(field, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(arg(++i).c_str()));
    } else if (step == L"get") {
      Get(arg(++i));
    } else if (step == L"save-as" || step == L"save-name") {
      SaveAs(arg(++i), step == L"save-as");
    } else if (step == L"gen-file" || step == L"fail") {
      Request(step == L"fail" ? kFaultRequest : kGenRandomFileRequest, arg(i + 1) + L" " + arg(i + 2));
      i += 2;
    } else if (step == L"download") {
      Request(kDownloadRequest, L"");
    } else if (step == L"background") {
      Background(std::wcstoul(arg(++i).c_str(), nullptr, 10));
    } else if (step == L"state") {
      State();
    } else if (step == L"key") {
      Key(arg(++i));
    } else if (step == L"wheel") {
      const std::wstring& where = arg(++i);
      Wheel(where, std::wcstol(arg(++i).c_str(), nullptr, 10));
    } else if (step == L"clipboard") {
      Clipboard();
    } else if (step == L"clipboard-seq") {
      Put(L"clipboard.seq", std::to_wstring(::GetClipboardSequenceNumber()));
    } else if (step == L"close") {
      ::PostMessageW(g_main, WM_CLOSE, 0, 0);
    } else if (step == L"where") {
      Where(arg(++i));
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
}

// A word of --serve as it was before its escapes.
std::wstring Unescaped(const std::wstring& word) {
  std::wstring plain;
  for (std::size_t k = 0; k < word.size(); ++k) {
    const wchar_t* escape = nullptr;
    if (word[k] == L'\\' && k + 1 < word.size() && word[k + 1]) escape = std::wcschr(kEscapes, word[k + 1]);
    if (escape) {
      plain += kEscaped[escape - kEscapes];
      ++k;
    } else {
      plain += word[k];
    }
  }
  return plain;
}

// Answers lines of tab-separated steps until the input ends: a test that checks after every
// step of its own pays the start of a process under Wine once.
int Serve() {
  ::_setmode(::_fileno(stdin), _O_BINARY);
  ::_setmode(::_fileno(stdout), _O_BINARY);
  g_out = stdout;
  g_serving = true;
  std::string line;
  for (int c; (c = std::fgetc(stdin)) != EOF;) {
    if (c != '\n') {
      line += static_cast<char>(c);
      continue;
    }
    if (!line.empty() && line.back() == '\r') line.pop_back();
    std::vector<std::wstring> args;
    for (std::size_t from = 0; from <= line.size();) {
      std::size_t to = line.find('\t', from);
      if (to == std::string::npos) to = line.size();
      args.push_back(Unescaped(Wide(Utf16FromUtf8(std::string_view(line).substr(from, to - from)))));
      from = to + 1;
    }
    line.clear();
    try {
      RunSteps(args, false);
    } catch (const TStepFailure& failure) {
      Put(L"error", Wide(Utf16FromUtf8(failure.why)));
    }
    std::fputs(".\n", g_out);
    std::fflush(g_out);
  }
  return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc == 2 && std::wstring(argv[1]) == L"--serve") return Serve();
  if (argc < 3 || std::wstring(argv[1]) != L"--out") {
    std::fprintf(stderr, "usage: ui_probe --out FILE [--without-main] STEP... | ui_probe --serve\n");
    return 1;
  }
  g_out = ::_wfopen(argv[2], L"ab");
  if (!g_out) {
    std::fprintf(stderr, "ui_probe: cannot open the output file\n");
    return 1;
  }
  std::vector<std::wstring> args(argv + 3, argv + argc);
  const bool without_main = !args.empty() && args.front() == L"--without-main";
  if (without_main) args.erase(args.begin());
  int status = 0;
  try {
    Attach(30, without_main);
    RunSteps(args, without_main);
  } catch (const TStepFailure& failure) {
    std::fprintf(stderr, "ui_probe: %s\n", failure.why.c_str());
    status = 1;
  }
  std::fclose(g_out);
  return status;
}
