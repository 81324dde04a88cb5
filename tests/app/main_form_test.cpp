// The main window: layout, texts, keyboard, the Generate command and the way it keeps the window
// responsive, and closing.
#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <atomic>

#include "app/main_form_win.h"
#include "passwords/random.h"
#include "tests/win_test_support.h"
#include "toolkit/text.h"
#include "toolkit/wide.h"

namespace {

const std::wstring kAlphabet = L"1234567890ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";

// A source that counts its draws and takes its time, so a generation lasts long enough to be
// observed from inside.
class SlowSource final : public DrawSource {
public:
  explicit SlowSource(DWORD ms_per_block) : ms_(ms_per_block) {}
  void DrawMany(std::uint32_t range, std::span<std::uint32_t> out) override {
    Sleep(ms_);
    for (auto& v : out) v = (draws++) % range;
  }
  std::atomic<long> draws{0};

private:
  DWORD ms_;
};

class MainFormTest : public WindowTest {
protected:
  void SetUp() override {
    form = std::make_unique<TMainForm>();
    ShowActive(*form);
  }
  void TearDown() override { form.reset(); }

  std::unique_ptr<TMainForm> form;
};

std::wstring ClipboardText() {
  std::wstring text;
  if (!OpenClipboard(nullptr)) return L"<clipboard busy>";
  if (HANDLE h = GetClipboardData(CF_UNICODETEXT)) {
    text = static_cast<const wchar_t*>(GlobalLock(h));
    GlobalUnlock(h);
  }
  CloseClipboard();
  return text;
}

LOGFONTW FontOf(HWND hwnd) {
  LOGFONTW lf{};
  GetObjectW(reinterpret_cast<HFONT>(SendMessageW(hwnd, WM_GETFONT, 0, 0)), sizeof lf, &lf);
  return lf;
}

TEST_F(MainFormTest, CaptionSizeAndPlace) {
  EXPECT_EQ(form->Text(), L"Tarvelin FREE 1.12");
  RECT client;
  GetClientRect(form->Handle(), &client);
  EXPECT_EQ(client.right, 524);
  EXPECT_EQ(client.bottom, 136);
  RECT w;
  GetWindowRect(form->Handle(), &w);
  const int screen_w = GetSystemMetrics(SM_CXSCREEN), screen_h = GetSystemMetrics(SM_CYSCREEN);
  EXPECT_LE(std::abs((w.left + w.right) / 2 - screen_w / 2), 1);
  EXPECT_LE(std::abs((w.top + w.bottom) / 2 - screen_h / 2), 1);
  const LONG style = GetWindowLongW(form->Handle(), GWL_STYLE);
  EXPECT_FALSE(style & (WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX)) << "a fixed dialog frame";
  EXPECT_TRUE(style & WS_SYSMENU);
  EXPECT_TRUE(GetWindowLongW(form->Handle(), GWL_EXSTYLE) & WS_EX_APPWINDOW) << "its own task-bar button";
}

TEST_F(MainFormTest, ControlsTextsAndFonts) {
  struct Case {
    HWND hwnd;
    std::wstring text;
    std::wstring placeholder;
    LONG height;
    bool bold;
  };
  const Case cases[] = {
      {form->EditMask.Handle(), kAlphabet, L"Введите набор символов для генерации случайного пароля", -13, false},
      {form->sSpinEdit1.Handle(), L"7", L"", -13, false},
      {form->EditPass.Handle(), L"", L"Ваш пароль", -13, false},
      {form->BtnGen.Handle(), L"Генерировать", L"", -11, true},
      {form->BtnAbout.Handle(), L"О программе", L"", -11, false},
      {form->BtnExit.Handle(), L"Выход", L"", -11, false},
      {form->BtnGenFile.Handle(), L"", L"", -11, false},
      {form->sGroupBox1.Handle(), L"Данные для генерации:", L"", -13, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.text.begin(), c.text.end()));
    wchar_t text[200] = {};
    GetWindowTextW(c.hwnd, text, 200);
    EXPECT_EQ(std::wstring(text), c.text);
    const LOGFONTW lf = FontOf(c.hwnd);
    EXPECT_EQ(std::wstring(lf.lfFaceName), L"Tahoma");
    EXPECT_EQ(lf.lfHeight, c.height);
    EXPECT_EQ(lf.lfWeight >= FW_BOLD, c.bold);
    if (!c.placeholder.empty()) {
      wchar_t cue[200] = {};
      SendMessageW(c.hwnd, EM_GETCUEBANNER, reinterpret_cast<WPARAM>(cue), 200);
      EXPECT_EQ(std::wstring(cue), c.placeholder);
    }
  }
  EXPECT_EQ(kAlphabet.size(), 62u);
  EXPECT_EQ(form->LabelReclam.Text(), L"http://www.corvanix.example");
  EXPECT_TRUE(form->LabelReclam.Font().bold);
  EXPECT_EQ(form->TimerReklamUpdate.Interval(), 20000u);
  EXPECT_EQ(form->TimerReklamChange.Interval(), 30000u);
}

TEST_F(MainFormTest, OnlyTheFourButtonsHaveTooltips) {
  const HWND tips = form->ToolTipWindow();
  ASSERT_TRUE(tips);
  const int count = static_cast<int>(SendMessageW(tips, TTM_GETTOOLCOUNT, 0, 0));
  ASSERT_EQ(count, 4);
  std::vector<std::pair<HWND, std::wstring>> found;
  for (int i = 0; i < count; ++i) {
    wchar_t text[256] = {};
    TTTOOLINFOW info{};
    info.cbSize = sizeof info;
    info.lpszText = text;
    SendMessageW(tips, TTM_ENUMTOOLSW, i, reinterpret_cast<LPARAM>(&info));
    found.push_back({reinterpret_cast<HWND>(info.uId), text});
  }
  const std::vector<std::pair<HWND, std::wstring>> expected = {
      {form->BtnGen.Handle(), L"Генерирование 1го пароля, он автоматически копируется в буфер обмена"},
      {form->BtnGenFile.Handle(), L"Генерирование файла паролей"},
      {form->BtnAbout.Handle(), L"Информация о том, как можно помочь проекту, как связаться с автором, и так далее..."},
      {form->BtnExit.Handle(), L"Завершение работы с данной замечательной программой..."},
  };
  EXPECT_EQ(found, expected);
}

TEST_F(MainFormTest, FirstFocusAndTheTabOrder) {
  ASSERT_EQ(GetFocus(), form->EditMask.Handle());
  EXPECT_EQ(form->EditMask.Selection(), (std::pair<int, int>{0, 62})) << "the whole alphabet is selected";
  const HWND order[] = {form->sSpinEdit1.Handle(), form->EditPass.Handle(), form->BtnGen.Handle(),
                        form->BtnAbout.Handle(),   form->BtnExit.Handle(),  form->BtnGenFile.Handle(),
                        form->EditMask.Handle()};
  for (HWND expected : order) {
    PressKey(app, VK_TAB);
    EXPECT_EQ(GetFocus(), expected) << ClassOf(GetFocus()).c_str();
  }
}

TEST_F(MainFormTest, GenRandomPassOnTheLcgGivesTheKnownPositions) {
  RandomState = 0;
  LcgDrawSource lcg;
  std::wstring password;
  form->GenRandomPass(kAlphabet, 6, password, lcg);
  EXPECT_EQ(password, (std::wstring{kAlphabet[0], kAlphabet[1], kAlphabet[53], kAlphabet[12], kAlphabet[16], kAlphabet[41]}));
  std::wstring kept = L"kept";
  form->GenRandomPass(kAlphabet, 0, kept, lcg);
  form->GenRandomPass(kAlphabet, -3, kept, lcg);
  EXPECT_EQ(kept, L"kept");
}

TEST_F(MainFormTest, GenerateShowsThePasswordAndCopiesItPrivately) {
  for (const wchar_t* length : {L"7", L"1", L"40"}) {
    form->sSpinEdit1.SetText(length);
    form->BtnGen.SetFocus();
    SendMessageW(form->BtnGen.Handle(), BM_CLICK, 0, 0);
    const std::wstring password = form->EditPass.Text();
    ASSERT_EQ(password.size(), std::stoul(length));
    for (wchar_t c : password) EXPECT_NE(kAlphabet.find(c), std::wstring::npos);
    EXPECT_EQ(ClipboardText(), password);
    for (const wchar_t* name :
         {L"ExcludeClipboardContentFromMonitorProcessing", L"CanIncludeInClipboardHistory", L"CanUploadToCloudClipboard"}) {
      EXPECT_TRUE(IsClipboardFormatAvailable(RegisterClipboardFormatW(name))) << name;
    }
  }
  ASSERT_TRUE(OpenClipboard(nullptr));
  HANDLE h = GetClipboardData(RegisterClipboardFormatW(L"CanIncludeInClipboardHistory"));
  ASSERT_TRUE(h);
  EXPECT_EQ(*static_cast<const DWORD*>(GlobalLock(h)), 0u);
  GlobalUnlock(h);
  CloseClipboard();
}

TEST_F(MainFormTest, AnEmptyAlphabetFailsThroughTheReportAndKeepsThePassword) {
  form->EditPass.SetText(L"old one");
  form->EditMask.SetText(L"");
  SendMessageW(form->BtnGen.Handle(), BM_CLICK, 0, 0);
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, L"Не задан набор символов для генерации пароля.");
  EXPECT_EQ(boxes[0].caption, L"Tarvelin");
  EXPECT_EQ(form->EditPass.Text(), L"old one");
}

TEST_F(MainFormTest, ALongGenerationLetsMessagesAndTimersThrough) {
  auto source = std::make_unique<SlowSource>(2);
  SlowSource& slow = *source;
  form->SetPasswordSource(std::move(source));
  form->sSpinEdit1.SetText(L"25600");  // 100 blocks of 2 ms
  long posted_seen_at = -1, tick_seen_at = -1;
  TTimer timer;
  timer.SetInterval(20);
  timer.SetOnTimer([&](TObject*) {
    if (tick_seen_at < 0) tick_seen_at = slow.draws;
  });
  MessageProbe probe([&] { posted_seen_at = slow.draws; });
  probe.Post();
  form->BtnGenClick(nullptr);
  EXPECT_EQ(form->EditPass.Text().size(), 25600u);
  EXPECT_GE(posted_seen_at, 0);
  EXPECT_LT(posted_seen_at, 25600) << "the posted message ran during the generation";
  EXPECT_GE(tick_seen_at, 0);
  EXPECT_LT(tick_seen_at, 25600) << "the timer ticked during the generation";
}

TEST_F(MainFormTest, ANestedGenerateRunsToItsEndAndTheOuterOneWins) {
  form->SetPasswordSource(std::make_unique<SlowSource>(1));
  form->sSpinEdit1.SetText(L"5000");
  std::vector<std::wstring> shown;
  form->EditPass.OnChange = [&](TObject*) { shown.push_back(form->EditPass.Text()); };
  PostMessageW(form->BtnGen.Handle(), BM_CLICK, 0, 0);
  form->BtnGenClick(nullptr);
  ASSERT_EQ(shown.size(), 2u);
  EXPECT_NE(shown[0], shown[1]);
  EXPECT_EQ(form->EditPass.Text(), shown[1]);
  EXPECT_EQ(ClipboardText(), shown[1]);
}

TEST_F(MainFormTest, ExitCloseBoxAndAltF4EndTheProgramWithoutAQuestion) {
  struct Case {
    const char* how;
    std::function<void(TMainForm&)> act;
  };
  const Case cases[] = {
      {"Exit", [](TMainForm& f) { SendMessageW(f.BtnExit.Handle(), BM_CLICK, 0, 0); }},
      {"close box", [](TMainForm& f) { PostMessageW(f.Handle(), WM_CLOSE, 0, 0); }},
      {"Alt+F4", [](TMainForm& f) { PostMessageW(f.Handle(), WM_SYSCOMMAND, SC_CLOSE, 0); }},
  };
  form.reset();
  for (const auto& c : cases) {
    SCOPED_TRACE(c.how);
    TApplication fresh;  // a loop of its own, not yet terminating
    fresh.OnMessageBox = app.OnMessageBox;
    TMainForm main;
    main.Show();
    c.act(main);
    fresh.ProcessMessages();
    EXPECT_TRUE(fresh.Terminated());
    EXPECT_TRUE(IsWindowVisible(main.Handle())) << "the window stays until the loop has ended";
    EXPECT_TRUE(boxes.empty()) << "no question";
  }
}

TEST_F(MainFormTest, ExitDuringALongGenerationEndsAfterIt) {
  form->SetPasswordSource(std::make_unique<SlowSource>(1));
  form->sSpinEdit1.SetText(L"5000");
  PostMessageW(form->BtnExit.Handle(), BM_CLICK, 0, 0);
  form->BtnGenClick(nullptr);
  EXPECT_TRUE(app.Terminated());
  EXPECT_EQ(form->EditPass.Text().size(), 5000u) << "the command ran to its end";
}

std::wstring VersionString(const std::vector<BYTE>& block, const wchar_t* name) {
  void* value = nullptr;
  UINT size = 0;
  const std::wstring path = std::wstring(L"\\StringFileInfo\\041904E3\\") + name;
  if (!VerQueryValueW(block.data(), path.c_str(), &value, &size)) return L"<missing>";
  return size ? std::wstring(static_cast<const wchar_t*>(value)) : std::wstring();
}

TEST(ProgramFile, CarriesItsRussianVersionInformation) {
  const std::wstring exe = Wide(Utf16FromUtf8(TARVELIN_EXE));
  DWORD ignored = 0;
  const DWORD size = GetFileVersionInfoSizeW(exe.c_str(), &ignored);
  ASSERT_GT(size, 0u);
  std::vector<BYTE> block(size);
  ASSERT_TRUE(GetFileVersionInfoW(exe.c_str(), 0, size, block.data()));
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT len = 0;
  ASSERT_TRUE(VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &len));
  EXPECT_EQ(fixed->dwFileVersionMS, MAKELONG(12, 1));
  EXPECT_EQ(fixed->dwFileVersionLS, MAKELONG(26, 0));
  EXPECT_EQ(fixed->dwProductVersionMS, MAKELONG(12, 1));
  EXPECT_EQ(fixed->dwProductVersionLS, 0u);
  DWORD* translation = nullptr;
  ASSERT_TRUE(VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translation), &len));
  EXPECT_EQ(*translation, MAKELONG(0x0419, 1251));
  EXPECT_EQ(VersionString(block, L"FileDescription"), L"Программа для генерации паролей");
  EXPECT_EQ(VersionString(block, L"FileVersion"), L"1.12.0.26");
  EXPECT_EQ(VersionString(block, L"ProductVersion"), L"1.12.0.0");
  EXPECT_EQ(VersionString(block, L"ProductName"), L"Tarvelin");
  EXPECT_EQ(VersionString(block, L"OriginalFilename"), L"Tarvelin.exe");
  EXPECT_EQ(VersionString(block, L"InternalName"), L"");
  EXPECT_EQ(VersionString(block, L"Comments"), L"");
}

}  // namespace
