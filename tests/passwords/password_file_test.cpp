// The password-file command: the dialog, the save dialog and the file it writes.
#include <windows.h>

#include <commdlg.h>
#include <dlgs.h>

#include <atomic>
#include <cstdio>
#include <cstring>

#include "app/main_form_win.h"
#include "passwords/dlg_file_count_win.h"
#include "passwords/line_list_win.h"
#include "tests/toolkit/file_test_support_win.h"
#include "tests/win_test_support.h"
#include "toolkit/form_rules.h"
#include "toolkit/scope_exit.h"
#include "toolkit/stream_win.h"
#include "toolkit/system_error_win.h"

namespace {

const std::string kAlphabet = "1234567890ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";

std::vector<std::string> LinesOf(const std::string& bytes) {
  std::vector<std::string> lines;
  std::size_t at = 0;
  while (at < bytes.size()) {
    const std::size_t end = bytes.find("\r\n", at);
    if (end == std::string::npos) {
      lines.push_back("<no CR LF after: " + bytes.substr(at) + ">");
      break;
    }
    lines.push_back(bytes.substr(at, end - at));
    at = end + 2;
  }
  return lines;
}

bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// A draw source that waits a little for every block, so a run lasts long enough to act during it,
// and can fail after a number of draws.
class SlowSource final : public TDrawSource {
public:
  explicit SlowSource(DWORD ms, long fail_after = -1) : ms_(ms), fail_after_(fail_after) {}
  void DrawMany(std::uint32_t range, std::span<std::uint32_t> out) override {
    Sleep(ms_);
    for (auto& v : out) {
      if (fail_after_ >= 0 && draws == fail_after_) throw Exception(u"source failed");
      v = static_cast<std::uint32_t>(draws++ % range);
    }
  }
  void Wipe() noexcept override { ++wipes; }
  long draws = 0;
  int wipes = 0;

private:
  DWORD ms_;
  long fail_after_;
};

class PasswordFileTest : public WindowTest {
protected:
  void SetUp() override {
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    dir = std::wstring(temp) + L"tarvelin_file_" + std::to_wstring(GetCurrentProcessId());
    RemoveTree(dir);
    CreateDirectoryW(dir.c_str(), nullptr);
    form = std::make_unique<TMainForm>();
    form->Show();
    app.ProcessMessages();
  }
  void TearDown() override {
    form.reset();
    RemoveTree(dir);
  }
  std::wstring Path(const std::wstring& name) const { return dir + L"\\" + name; }

  // The shown dialog of the running command, found from inside its modal loop; nullptr when
  // none is shown.
  static TFormOpenFile* OpenDialog() {
    TFormOpenFile* found = nullptr;
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND hwnd, LPARAM lp) -> BOOL {
          auto* d = dynamic_cast<TFormOpenFile*>(TWinControl::FromHandle(hwnd));
          if (d && IsWindowVisible(hwnd)) *reinterpret_cast<TFormOpenFile**>(lp) = d;
          return d && IsWindowVisible(hwnd) ? FALSE : TRUE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found;
  }
  // A click the way the mouse gives it: the button takes the focus first.
  static void Click(TWinControl& button) {
    SendMessageW(button.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    SendMessageW(button.Handle(), WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
  }
  // Answers the next save dialog once it is shown: types name and confirms, or cancels.
  static void AnswerSaveDialog(TFormOpenFile& d, const std::wstring& name) {
    d.SaveTextFileDialog1.OnShown = [name](HWND dialog) {
      if (name.empty()) {
        PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
      } else {
        SendMessageW(dialog, CDM_SETCONTROLTEXT, cmb13, reinterpret_cast<LPARAM>(name.c_str()));
        PostMessageW(dialog, WM_COMMAND, IDOK, 0);
      }
    };
  }
  // Runs the command with steps run inside its dialog's modal loop.
  void RunCommand(std::function<void(TFormOpenFile&)> inside) {
    MessageProbe probe([&] {
      if (TFormOpenFile* d = OpenDialog()) inside(*d);
    });
    probe.Post();
    form->BtnGenFileClick(nullptr);
  }

  std::wstring dir;
  std::unique_ptr<TMainForm> form;
};

TEST_F(PasswordFileTest, TheDefaultsGiveAHundredLinesOfSevenCharacters) {
  const std::wstring path = Path(L"default.txt");
  form->GenRandomFile(path, 100);
  const std::string bytes = ReadBytes(path);
  EXPECT_EQ(bytes.size(), 900u);
  const auto lines = LinesOf(bytes);
  ASSERT_EQ(lines.size(), 100u);
  for (const std::string& line : lines) {
    ASSERT_EQ(line.size(), 7u) << line;
    EXPECT_EQ(line.find_first_not_of(kAlphabet), std::string::npos) << line;
  }
  EXPECT_NE(lines[0], lines[1]);
}

TEST_F(PasswordFileTest, AnExistingFileIsReplacedNeverExtended) {
  const std::wstring path = Path(L"old.txt");
  WriteBytes(path, std::string(5000, 'x'));
  form->GenRandomFile(path, 1);
  EXPECT_EQ(ReadBytes(path).size(), 9u);
}

TEST_F(PasswordFileTest, ACountOfZeroOrLessOnlyShowsItsBox) {
  for (std::int32_t count : {0, -1, INT32_MIN}) {
    boxes.clear();
    const std::wstring path = Path(L"none.txt");
    form->GenRandomFile(path, count);
    EXPECT_FALSE(Exists(path)) << count;
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, L"Указано неверное количество паролей...");
    EXPECT_EQ(boxes[0].caption, L"Количество паролей");
    EXPECT_EQ(boxes[0].flags, static_cast<UINT>(MB_OK | MB_ICONINFORMATION));
    EXPECT_EQ(boxes[0].owner, app.Handle()) << "the main window is not disabled by it";
  }
}

TEST_F(PasswordFileTest, TheFieldsAreReadAnewForEveryPassword) {
  // Length 0 from the start: every line repeats the previous (still empty) password.
  form->sSpinEdit1.SetText(L"0");
  form->GenRandomFile(Path(L"empty.txt"), 3);
  EXPECT_EQ(ReadBytes(Path(L"empty.txt")), "\r\n\r\n\r\n");

  // Changed during the run: the lines after the change follow it, and an emptied length field
  // repeats the previous password.
  form->sSpinEdit1.SetText(L"4");
  form->SetPasswordSource(std::make_unique<SlowSource>(1));
  int passes = 0;
  MessageProbe probe([&] {
    ++passes;
    if (passes == 1) {
      form->EditMask.SetText(L"Z");
      form->sSpinEdit1.SetText(L"2");
    }
  });
  probe.Post();
  form->GenRandomFile(Path(L"changed.txt"), 40);
  const auto lines = LinesOf(ReadBytes(Path(L"changed.txt")));
  ASSERT_EQ(lines.size(), 40u);
  EXPECT_EQ(lines[0].size(), 4u) << "the first password came before the change";
  EXPECT_EQ(lines.back(), "ZZ");
}

TEST_F(PasswordFileTest, AnAlphabetTheCodePageLacksGivesAUtf16FileThatReadsBackWhole) {
  // Before, every password of a Cyrillic alphabet was "???????" under the code page 1252, and ł
  // silently became l.
  struct Case {
    std::wstring alphabet;
    bool utf16;
  };
  const UINT cp = GetACP();
  const Case cases[] = {
      {L"абвгдеёжзий", cp != 1251},
      {L"ÀÉÎõü€", cp != 1252},
      {L"łó", true},
      {L"Zz09", false},
  };
  form->sSpinEdit1.SetText(L"7");
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(U16(c.alphabet)));
    form->EditMask.SetText(c.alphabet);
    const std::wstring path = Path(L"alphabet.txt");
    form->GenRandomFile(path, 50);
    EXPECT_EQ(ReadBytes(path).substr(0, 2) == "\xFF\xFE", c.utf16) << "code page " << cp;
    TLineList back;
    back.LoadFromFile(path);
    ASSERT_EQ(back.Count(), 50u);
    for (std::size_t i = 0; i < back.Count(); ++i) {
      ASSERT_EQ(back[i].size(), 7u);
      EXPECT_EQ(back[i].find_first_not_of(U16(c.alphabet)), std::u16string::npos) << ::testing::PrintToString(back[i]);
    }
  }
}

TEST_F(PasswordFileTest, AFailedGenerationStillSavesWhatItHad) {
  form->sSpinEdit1.SetText(L"5");
  form->SetPasswordSource(std::make_unique<SlowSource>(0, 12));  // fails in the third password
  const std::wstring path = Path(L"partial.txt");
  try {
    form->GenRandomFile(path, 10);
    FAIL() << "no failure";
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(), u"source failed");
  }
  EXPECT_EQ(LinesOf(ReadBytes(path)).size(), 2u);
}

TEST_F(PasswordFileTest, BothCommandsWipeTheSourceOnEveryWayOut) {
  struct Case {
    const char* name;
    bool file;
    long fail_after;
  };
  form->sSpinEdit1.SetText(L"5");
  for (const Case& c : {Case{"generate", false, -1}, Case{"generate fails", false, 2}, Case{"file", true, -1},
                        Case{"file fails", true, 7}}) {
    SCOPED_TRACE(c.name);
    auto owned = std::make_unique<SlowSource>(0, c.fail_after);
    SlowSource& source = *owned;
    form->SetPasswordSource(std::move(owned));
    try {
      if (c.file) {
        form->GenRandomFile(Path(L"wiped.txt"), 3);
      } else {
        form->BtnGenClick(nullptr);
      }
      EXPECT_LT(c.fail_after, 0) << "no failure";
    } catch (const Exception&) {
      EXPECT_GE(c.fail_after, 0);
    }
    EXPECT_EQ(source.wipes, 1);
  }
}

TEST_F(PasswordFileTest, AFileThatCannotBeCreatedFailsWithItsPathAndStaysUnchanged) {
  const std::wstring held = Path(L"held.txt"), read_only = Path(L"read-only.txt");
  WriteBytes(held, "keep\r\n");
  WriteBytes(read_only, "keep\r\n");
  TUniqueFile holder(CreateFileW(held.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
  SetFileAttributesW(read_only.c_str(), FILE_ATTRIBUTE_READONLY);
  TScopeExit writable([&] { SetFileAttributesW(read_only.c_str(), FILE_ATTRIBUTE_NORMAL); });
  // Under Wine as root the system does not refuse writes to a read-only file.
  const bool read_only_enforced =
      !TUniqueFile(CreateFileW(read_only.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr));
  struct Case {
    std::wstring path;
    DWORD error;
    bool applies;
  };
  const Case cases[] = {
      {Path(L"missing folder\\file.txt"), ERROR_PATH_NOT_FOUND, true},
      {held, ERROR_SHARING_VIOLATION, true},
      {read_only, ERROR_ACCESS_DENIED, read_only_enforced},
  };
  for (const auto& c : cases) {
    if (!c.applies) continue;
    SCOPED_TRACE(std::string(c.path.begin(), c.path.end()));
    try {
      form->GenRandomFile(c.path, 3);
      ADD_FAILURE() << "no failure";
    } catch (const EFCreateError& e) {
      EXPECT_EQ(Wide(e.Message()),
                L"Cannot create file \"" + FullPathName(c.path) + L"\". " + Wide(SystemErrorText(c.error)));
    }
  }
  holder.Reset();
  EXPECT_EQ(ReadBytes(held), "keep\r\n");
  EXPECT_EQ(ReadBytes(read_only), "keep\r\n");
  if (!read_only_enforced) std::printf("note: writes to read-only files are not refused here (root)\n");
}

TEST_F(PasswordFileTest, ChoosingAFileWritesTheCountAndAddsTxt) {
  RunCommand([&](TFormOpenFile& d) {
    EXPECT_EQ(d.sSpinEdit1.Text(), L"100");
    EXPECT_FALSE(IsWindowEnabled(form->Handle())) << "the main window is disabled meanwhile";
    d.sSpinEdit1.SetText(L"25");
    AnswerSaveDialog(d, Path(L"chosen"));
    Click(d.BtnOpen);
  });
  EXPECT_EQ(LinesOf(ReadBytes(Path(L"chosen.txt"))).size(), 25u);
  EXPECT_TRUE(IsWindowEnabled(form->Handle()));
  EXPECT_FALSE(FindWindowW(L"TarvelinForm", L"Соханение файла паролей")) << "the dialog is destroyed";
}

TEST_F(PasswordFileTest, ACancelledSaveDialogReturnsToTheDialogAndCloseWritesNothing) {
  int seen_results = 0;
  RunCommand([&](TFormOpenFile& d) {
    d.sSpinEdit1.SetText(L"33");
    AnswerSaveDialog(d, L"");
    Click(d.BtnOpen);
    seen_results = d.ModalResult();
    EXPECT_TRUE(IsWindowVisible(d.Handle()));
    EXPECT_EQ(d.sSpinEdit1.Text(), L"33") << "the count is kept";
    PostMessageW(d.Handle(), WM_CLOSE, 0, 0);
  });
  EXPECT_EQ(seen_results, mrNone);
  WIN32_FIND_DATAW found;
  HANDLE h = FindFirstFileW((dir + L"\\*.txt").c_str(), &found);
  EXPECT_EQ(h, INVALID_HANDLE_VALUE) << "no file is written";
  if (h != INVALID_HANDLE_VALUE) FindClose(h);
}

TEST_F(PasswordFileTest, TypingZeroAsTheCountWritesOnePassword) {
  RunCommand([&](TFormOpenFile& d) {
    d.sSpinEdit1.SetFocus();
    d.sSpinEdit1.SetText(L"0");
    AnswerSaveDialog(d, Path(L"zero.txt"));
    Click(d.BtnOpen);  // the focus leaves the count field, which becomes 1
  });
  EXPECT_EQ(ReadBytes(Path(L"zero.txt")).size(), 9u);
  EXPECT_TRUE(boxes.empty());
}

TEST_F(PasswordFileTest, EveryRunStartsWithTheLayoutValues) {
  RunCommand([&](TFormOpenFile& d) {
    d.sSpinEdit1.SetText(L"5");
    PostMessageW(d.Handle(), WM_CLOSE, 0, 0);
  });
  RunCommand([&](TFormOpenFile& d) {
    EXPECT_EQ(d.sSpinEdit1.Text(), L"100");
    EXPECT_EQ(d.EditFilePath.Text(), L"");
    PostMessageW(d.BtnCancel.Handle(), BM_CLICK, 0, 0);
  });
}

TEST_F(PasswordFileTest, TheSaveDialogStandsCentredAtAThirdOfTheMonitor) {
  RECT placed{};
  RunCommand([&](TFormOpenFile& d) {
    d.SaveTextFileDialog1.OnShown = [&](HWND dialog) {
      GetWindowRect(dialog, &placed);
      PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    };
    Click(d.BtnOpen);
    PostMessageW(d.Handle(), WM_CLOSE, 0, 0);
  });
  MONITORINFO mi{sizeof mi, {}, {}, 0};
  GetMonitorInfoW(MonitorFromWindow(form->Handle(), MONITOR_DEFAULTTONEAREST), &mi);
  const TPlace at = SaveDialogPlace(BoxOf(mi.rcMonitor), placed.right - placed.left, placed.bottom - placed.top);
  EXPECT_EQ(placed.left, at.x);
  EXPECT_EQ(placed.top, at.y);
}

TEST_F(PasswordFileTest, ASecondRunDuringTheFirstOwnsItsDialogAndItsList) {
  form->SetPasswordSource(std::make_unique<SlowSource>(1));
  bool started_second = false;
  MessageProbe second([&] {
    if (started_second) return;
    started_second = true;
    RunCommand([&](TFormOpenFile& d) {
      d.sSpinEdit1.SetText(L"3");
      AnswerSaveDialog(d, Path(L"second.txt"));
      Click(d.BtnOpen);
    });
  });
  RunCommand([&](TFormOpenFile& d) {
    d.sSpinEdit1.SetText(L"300");
    AnswerSaveDialog(d, Path(L"first.txt"));
    Click(d.BtnOpen);
    second.Post();  // runs between two passwords of the first run
  });
  EXPECT_TRUE(started_second);
  EXPECT_EQ(LinesOf(ReadBytes(Path(L"first.txt"))).size(), 300u);
  EXPECT_EQ(LinesOf(ReadBytes(Path(L"second.txt"))).size(), 3u);
}

}  // namespace
