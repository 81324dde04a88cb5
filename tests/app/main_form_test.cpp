// The main window: layout, texts, keyboard, the Generate command and the way it keeps the window
// responsive, and closing.
#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <cstdio>
#include <map>

#include "about/dlg_about_win.h"
#include "app/main_form_win.h"
#include "passwords/dlg_file_count_win.h"
#include "passwords/random.h"
#include "tests/win_test_support.h"
#include "toolkit/scope_exit.h"
#include "toolkit/text.h"
#include "toolkit/wide.h"

namespace {

const std::wstring kAlphabet = L"1234567890ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";

// A source that counts its draws and takes its time, so a generation lasts long enough to be
// observed from inside.
class SlowSource final : public TDrawSource {
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
      {form->BtnGenFile.Handle(), L"Генерирование файла паролей", L"", -11, false},
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

// Each tooltip shows its whole text, as the font draws it: the last letter of every line stands
// clear of the tooltip's right edge (printed on a wider page, nothing beyond the edge either).
TEST_F(MainFormTest, EveryTooltipShowsItsWholeText) {
  ShowActive(*form);
  const HWND tips = form->ToolTipWindow();
  for (TsButton* button : {&form->BtnGen, &form->BtnGenFile, &form->BtnAbout, &form->BtnExit}) {
    SCOPED_TRACE(testing::Message() << button->Text().size() << " characters");
    RECT b;
    GetWindowRect(button->Handle(), &b);
    // The pointer comes to rest over the button: the tooltip shows after its delay.
    SetCursorPos((b.left + b.right) / 2, (b.top + b.bottom) / 2);
    SendMessageW(button->Handle(), WM_MOUSEMOVE, 0, MAKELPARAM((b.right - b.left) / 2, (b.bottom - b.top) / 2));
    ASSERT_TRUE(PumpUntil([&] { return IsWindowVisible(tips) != FALSE; }, 3000));
    RECT client;
    GetClientRect(tips, &client);
    // Printed on a page wider than the tooltip, in a colour the tooltip never paints.
    const COLORREF page = RGB(1, 2, 3);
    const int width = client.right + 64;
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, width, client.bottom);
    ReleaseDC(nullptr, screen);
    const HGDIOBJ old = SelectObject(dc, bitmap);
    const RECT all{0, 0, width, client.bottom};
    HBRUSH brush = CreateSolidBrush(page);
    FillRect(dc, &all, brush);
    DeleteObject(brush);
    SendMessageW(tips, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
    const COLORREF background = GetPixel(dc, 0, 0);
    int last_ink = -1;
    for (int x = 0; x < width; ++x) {
      for (int y = 0; y < client.bottom; ++y) {
        const COLORREF c = GetPixel(dc, x, y);
        if (c != page && c != background) last_ink = x;
      }
    }
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
    EXPECT_GT(last_ink, client.right / 2);
    // A letter cut off by the text's rectangle leaves ink up to its edge, 2 px inside the border.
    EXPECT_LT(last_ink, client.right - 4) << "the text runs to the edge of a tooltip " << client.right << " wide";
    SendMessageW(button->Handle(), WM_MOUSELEAVE, 0, 0);
    SendMessageW(tips, TTM_POP, 0, 0);
    SetCursorPos(0, 0);
    SendMessageW(form->Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(1, 1));
  }
}

// The second click of a double click is a click like the first, also when the focus moved away
// between the clicks: it presses a button, which takes the focus and clicks once on the release,
// and gives a field the focus.
TEST_F(MainFormTest, ADoubleClickOnAControlWithoutTheFocusTakesIt) {
  ShowActive(*form);
  int clicks = 0;
  form->BtnAbout.OnClick = [&](TObject*) { ++clicks; };
  for (TWinControl* control : std::initializer_list<TWinControl*>{&form->BtnAbout, &form->EditMask,
                                                                   &form->sSpinEdit1, &form->EditPass}) {
    for (const UINT down : {WM_LBUTTONDOWN, WM_LBUTTONDBLCLK}) {
      form->BtnGen.SetFocus();
      SendMessageW(control->Handle(), down, MK_LBUTTON, MAKELPARAM(10, 10));
      SendMessageW(control->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(10, 10));
      app.ProcessMessages();
      EXPECT_EQ(GetFocus(), control->Handle()) << ClassOf(control->Handle()).c_str() << (down == WM_LBUTTONDBLCLK ? " double" : "");
    }
  }
  EXPECT_EQ(clicks, 2);
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
  TLcgDrawSource lcg;
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

bool ClipboardIsPrivate() {
  return IsClipboardFormatAvailable(RegisterClipboardFormatW(L"CanIncludeInClipboardHistory")) &&
         IsClipboardFormatAvailable(RegisterClipboardFormatW(L"CanUploadToCloudClipboard")) &&
         IsClipboardFormatAvailable(RegisterClipboardFormatW(L"ExcludeClipboardContentFromMonitorProcessing"));
}

// Posts key to the focus with one modifier key held.
void PressWith(TApplication& app, WPARAM key, int modifier) {
  BYTE state[256];
  GetKeyboardState(state);
  state[modifier] = 0x80;
  SetKeyboardState(state);
  PostMessageW(GetFocus(), WM_KEYDOWN, key, 1);
  app.ProcessMessages();
  state[modifier] = 0;
  SetKeyboardState(state);
}

TEST_F(MainFormTest, ACutCopiesAsTheFieldsCopyDoesAndDeletesUndoably) {
  enum class How { Message, CtrlX, ShiftDel, CtrlIns, Menu, ClipboardBusy };
  struct Case {
    const char* what;
    TsEdit& field;
    How how;
    const wchar_t* text;  // the field's text afterwards; cut ones are undone to abcdef
    const wchar_t* clipboard;
    bool is_private;
  };
  const Case cases[] = {
      {"password, WM_CUT", form->EditPass, How::Message, L"aef", L"bcd", true},
      {"password, Ctrl+X", form->EditPass, How::CtrlX, L"aef", L"bcd", true},
      {"password, Shift+Del", form->EditPass, How::ShiftDel, L"aef", L"bcd", true},
      {"password, the context menu's Cut", form->EditPass, How::Menu, L"aef", L"bcd", true},
      {"password, Ctrl+Ins copies privately", form->EditPass, How::CtrlIns, L"abcdef", L"bcd", true},
      {"password, clipboard busy: nothing is lost", form->EditPass, How::ClipboardBusy, L"abcdef", L"", false},
      {"alphabet, the system's plain cut", form->EditMask, How::Message, L"aef", L"bcd", false},
      {"alphabet, Shift+Del plain too", form->EditMask, How::ShiftDel, L"aef", L"bcd", false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    c.field.SetText(L"abcdef");
    c.field.SetFocus();
    c.field.SetSelection(1, 4);
    OpenClipboard(nullptr);
    EmptyClipboard();
    CloseClipboard();
    switch (c.how) {
      case How::Message: SendMessageW(c.field.Handle(), WM_CUT, 0, 0); break;
      case How::CtrlX: SendMessageW(c.field.Handle(), WM_CHAR, 0x18, 1); break;
      case How::ShiftDel: PressWith(app, VK_DELETE, VK_SHIFT); break;
      case How::CtrlIns: PressWith(app, VK_INSERT, VK_CONTROL); break;
      case How::Menu: {
        // The menu runs its own loop: its keys are posted before it opens. Cut is the first
        // item after Undo, which is grey and skipped.
        const HWND focus = c.field.Handle();
        for (WPARAM key : {VK_DOWN, VK_DOWN, VK_RETURN}) PostMessageW(focus, WM_KEYDOWN, key, 1);
        SendMessageW(focus, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(focus), MAKELPARAM(-1, -1));
        app.ProcessMessages();
        break;
      }
      case How::ClipboardBusy:
        OpenClipboard(form->Handle());
        SendMessageW(c.field.Handle(), WM_CUT, 0, 0);
        CloseClipboard();
        break;
    }
    EXPECT_EQ(c.field.Text(), c.text);
    EXPECT_EQ(ClipboardText(), c.clipboard);
    EXPECT_EQ(ClipboardIsPrivate(), c.is_private);
    if (c.field.Text() != L"abcdef") {
      SendMessageW(c.field.Handle(), WM_UNDO, 0, 0);
      EXPECT_EQ(c.field.Text(), L"abcdef") << "the cut is undone";
    }
  }
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

TEST_F(MainFormTest, EveryFocusableControlOfTheThreeWindowsHasAName) {
  // Buttons are named by their window text; fields by an annotation, which Wine takes none of,
  // so the annotations are recorded here.
  std::map<HWND, std::wstring> annotated;
  AnnotateAccessibleNameOverride = [&](HWND hwnd, const std::wstring& name) {
    annotated[hwnd] = name;
    return true;
  };
  const TScopeExit reset([] { AnnotateAccessibleNameOverride = nullptr; });
  form.reset();
  TMainForm main;
  TFormOpenFile file;
  TFormAbout about;
  const struct {
    const char* what;
    HWND hwnd;
    const wchar_t* name;
    bool by_text;  // else by annotation
  } cases[] = {
      {"alphabet field", main.EditMask.Handle(), L"Данные для генерации:", false},
      {"length field", main.sSpinEdit1.Handle(), L"Длина пароля", false},
      {"password field", main.EditPass.Handle(), L"Ваш пароль", false},
      {"Generate", main.BtnGen.Handle(), L"Генерировать", true},
      {"About", main.BtnAbout.Handle(), L"О программе", true},
      {"Exit", main.BtnExit.Handle(), L"Выход", true},
      {"the icon-only button: its tooltip", main.BtnGenFile.Handle(), L"Генерирование файла паролей", true},
      {"dialog's path field", file.EditFilePath.Handle(), L"Файл паролей", false},
      {"dialog's count field", file.sSpinEdit1.Handle(), L"Количество паролей", false},
      {"dialog's Choose", file.BtnOpen.Handle(), L"Выбрать файл", true},
      {"dialog's Close", file.BtnCancel.Handle(), L"Закрыть", true},
      {"About's Close", about.sBitBtn1.Handle(), L"Закрыть", true},
  };
  std::vector<HWND> named;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    wchar_t text[200] = {};
    GetWindowTextW(c.hwnd, text, 200);
    EXPECT_EQ(c.by_text ? std::wstring(text) : annotated[c.hwnd], c.name);
    named.push_back(c.hwnd);
  }
  // No tab stop of the three windows is left out of the table.
  for (const TForm* f : {static_cast<TForm*>(&main), static_cast<TForm*>(&file), static_cast<TForm*>(&about)}) {
    for (HWND h = GetNextDlgTabItem(f->Handle(), nullptr, FALSE), first = h; h;) {
      EXPECT_NE(std::find(named.begin(), named.end(), h), named.end()) << ClassOf(h).c_str();
      h = GetNextDlgTabItem(f->Handle(), h, FALSE);
      if (h == first) break;
    }
  }
  // Through the system's own annotation service: Wine's answers E_NOTIMPL, Windows' takes it.
  AnnotateAccessibleNameOverride = nullptr;
  EXPECT_EQ(main.EditPass.SetAccessibleName(L"Ваш пароль"), !UnderWine());
  EXPECT_EQ(main.EditPass.AccessibleName(), L"Ваш пароль");
}

// The form's client area as it shows on screen, one COLORREF a pixel.
class TCapture {
public:
  explicit TCapture(const TForm& form) {
    RECT client;
    GetClientRect(form.Handle(), &client);
    width_ = client.right;
    height_ = client.bottom;
    POINT origin{0, 0};
    ClientToScreen(form.Handle(), &origin);
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), width_, -height_, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    const HDC screen = GetDC(nullptr);
    const HDC memory = CreateCompatibleDC(screen);
    const HBITMAP dib = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    const HGDIOBJ old = SelectObject(memory, dib);
    BitBlt(memory, 0, 0, width_, height_, screen, origin.x, origin.y, SRCCOPY);
    GdiFlush();
    const auto* p = static_cast<const DWORD*>(bits);
    pixels_.assign(p, p + static_cast<std::size_t>(width_) * height_);
    SelectObject(memory, old);
    DeleteObject(dib);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
  }
  COLORREF At(POINT p) const {
    const DWORD bgr = pixels_[static_cast<std::size_t>(p.y) * width_ + p.x];
    return RGB(GetBValue(bgr), GetGValue(bgr), GetRValue(bgr));
  }
  // How many pixels of r show exactly colour c.
  int Count(const RECT& r, COLORREF c) const {
    int n = 0;
    for (LONG y = r.top; y < r.bottom; ++y) {
      for (LONG x = r.left; x < r.right; ++x) n += At(POINT{x, y}) == c;
    }
    return n;
  }

private:
  LONG width_ = 0, height_ = 0;
  std::vector<DWORD> pixels_;
};

TEST_F(MainFormTest, HighContrastDrawsEverythingInTheSystemColoursAndNothingElseChanges) {
  // A dark scheme of the kind high contrast brings, with distinct values where the system has
  // distinct roles.
  const int roles[] = {COLOR_WINDOW, COLOR_WINDOWTEXT, COLOR_BTNFACE, COLOR_BTNTEXT, COLOR_HOTLIGHT, COLOR_HIGHLIGHT};
  const COLORREF dark[] = {RGB(16, 16, 16),    RGB(255, 255, 255), RGB(8, 8, 8),
                           RGB(250, 250, 250), RGB(255, 255, 0),   RGB(26, 235, 255)};
  COLORREF saved[std::size(roles)];
  for (std::size_t i = 0; i < std::size(roles); ++i) saved[i] = GetSysColor(roles[i]);
  const TScopeExit restore([&] {
    HighContrastQueryOverride = nullptr;
    SetSysColors(static_cast<int>(std::size(roles)), roles, saved);
    RefreshHighContrast();
  });
  ASSERT_TRUE(SetSysColors(static_cast<int>(std::size(roles)), roles, dark));
  form->EditPass.SetText(L"WWWWWWWW");
  form->EditMask.SetFocus();
  const struct {
    const char* what;
    POINT at;
    RECT text;  // where a text in the colour shows; empty: the colour of the point
    COLORREF skin, system;
  } probes[] = {
      {"group box face", {2, 40}, {}, RGB(240, 240, 240), RGB(8, 8, 8)},
      // Its font asks for the window-text colour, white in this scheme: unreadable on the skin.
      {"group box caption", {}, {8, 0, 150, 16}, RGB(255, 255, 255), RGB(250, 250, 250)},
      {"alphabet field, focused: its frame", {200, 21}, {}, RGB(0, 120, 215), RGB(26, 235, 255)},
      {"password field face", {400, 64}, {}, RGB(255, 255, 255), RGB(16, 16, 16)},
      {"password field text", {}, {6, 55, 120, 74}, RGB(0, 0, 0), RGB(255, 255, 255)},
      {"panel face", {230, 100}, {}, RGB(240, 240, 240), RGB(8, 8, 8)},
      {"Exit button face", {425, 87}, {}, RGB(225, 225, 225), RGB(8, 8, 8)},
      {"Exit button caption", {}, {421, 83, 520, 119}, RGB(0, 0, 0), RGB(250, 250, 250)},
      {"banner link", {}, {0, 123, 524, 136}, RGB(0, 0, 0), RGB(255, 255, 0)},
  };
  const struct {
    const char* what;
    std::function<bool()> query;  // nullptr: the system's own answer
    bool high_contrast;
    UINT message;  // how the program hears of it
  } modes[] = {
      {"normal, only the system's colours changed: the skin stays", [] { return false; }, false, WM_SYSCOLORCHANGE},
      {"high contrast switched on", [] { return true; }, true, WM_SETTINGCHANGE},
      {"the system's own answer: Wine has no high contrast", nullptr, false, WM_SETTINGCHANGE},
  };
  const char* hold = std::getenv("TARVELIN_SCREENSHOT_HOLD_MS");  // for a screenshot from outside
  for (const auto& m : modes) {
    SCOPED_TRACE(m.what);
    HighContrastQueryOverride = m.query;
    SendMessageW(form->Handle(), m.message, SPI_SETHIGHCONTRAST, 0);
    EXPECT_EQ(HighContrast(), m.high_contrast);
    app.ProcessMessages();
    RedrawWindow(form->Handle(), nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    if (hold) {
      std::printf("screenshot now: %s\n", m.what);
      std::fflush(stdout);
      PumpFor(static_cast<DWORD>(std::atoi(hold)));
    }
    const TCapture shot(*form);
    for (const auto& p : probes) {
      SCOPED_TRACE(p.what);
      const COLORREF expected = m.high_contrast ? p.system : p.skin;
      if (IsRectEmpty(&p.text)) {
        EXPECT_EQ(shot.At(p.at), expected);
      } else {
        EXPECT_GT(shot.Count(p.text, expected), 0);
        if (m.high_contrast) {
          EXPECT_EQ(shot.Count(p.text, p.skin), 0) << "no skin colour is left";
        }
      }
    }
  }
}

TEST_F(MainFormTest, TheTooltipsWidthFollowsTheDpi) {
  for (const UINT dpi : {144u, 192u, 120u, 96u}) {
    SCOPED_TRACE(dpi);
    RECT r;
    GetWindowRect(form->Handle(), &r);
    SendMessageW(form->Handle(), WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&r));
    EXPECT_EQ(SendMessageW(form->ToolTipWindow(), TTM_GETMAXTIPWIDTH, 0, 0), MulDiv(420, static_cast<int>(dpi), 96));
  }
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

// The main window with the length field in it.
class MainWindowLengthTest : public WindowTest {
protected:
  void SetUp() override {
    ShowActive(form);
  }
  TMainForm form;
};

TEST_F(MainWindowLengthTest, TheLengthFieldStandsSecondInTheTabOrder) {
  EXPECT_EQ(form.sSpinEdit1.Text(), L"7");
  EXPECT_EQ(form.sSpinEdit1.MinValue, 1);
  EXPECT_EQ(form.sSpinEdit1.MaxValue, 0);
  EXPECT_EQ(form.sSpinEdit1.Increment, 1);
  EXPECT_TRUE(form.sSpinEdit1.NumbersOnly());
  ASSERT_EQ(GetFocus(), form.EditMask.Handle());
  const TWinControl* order[] = {&form.sSpinEdit1, &form.EditPass, &form.BtnGen, &form.BtnAbout,
                                &form.BtnExit,    &form.BtnGenFile, &form.EditMask};
  for (const TWinControl* c : order) {
    PressKey(app, VK_TAB);
    EXPECT_EQ(GetFocus(), c->Handle());
  }
}

TEST_F(MainWindowLengthTest, GenerateReadsTheLengthFieldAfterItWasLeft) {
  form.sSpinEdit1.SetFocus();
  SendMessageW(form.sSpinEdit1.Handle(), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"12"));
  form.BtnGen.SetFocus();  // a click on the button moves the focus first
  app.ProcessMessages();
  SendMessageW(form.BtnGen.Handle(), BM_CLICK, 0, 0);
  EXPECT_EQ(form.EditPass.Text().size(), 12u);
  form.sSpinEdit1.SetFocus();
  SendMessageW(form.sSpinEdit1.Handle(), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L""));
  form.BtnGen.SetFocus();
  app.ProcessMessages();
  EXPECT_EQ(form.sSpinEdit1.Text(), L"1");
  SendMessageW(form.BtnGen.Handle(), BM_CLICK, 0, 0);
  EXPECT_EQ(form.EditPass.Text().size(), 1u);
}

}  // namespace
