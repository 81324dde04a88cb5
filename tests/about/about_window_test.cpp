// The About window under Wine: the About command, closing, the modal display, placement, the
// layout of the texts and the picture.
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "about/about_picture_win.h"
#include "about/about_texts.h"
#include "about/dlg_about_win.h"
#include "app/main_form_win.h"
#include "tests/win_test_support.h"
#include "toolkit/exception.h"
#include "toolkit/timer_win.h"
#include "toolkit/wide.h"

namespace {

// One step of a script run while the About window is shown; returns true once it is done, and
// the next step follows at the next tick.
using Step = std::function<bool(TFormAbout&)>;

int CountThreadWindows() {
  int count = 0;
  EnumThreadWindows(
      GetCurrentThreadId(),
      [](HWND, LPARAM lp) -> BOOL {
        ++*reinterpret_cast<int*>(lp);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&count));
  return count;
}

void PostKey(HWND hwnd, WPARAM key) {
  PostMessageW(hwnd, WM_KEYDOWN, key, 1);
  PostMessageW(hwnd, WM_KEYUP, key, 1 | (1u << 30) | (1u << 31));
}

class AboutWindowTest : public WindowTest {
protected:
  void SetUp() override {
    ShowActive(main);
  }

  TFormAbout* OpenAbout() const {
    for (TWinControl* form : app.Forms()) {
      if (auto* about = dynamic_cast<TFormAbout*>(form); about && about->Modal()) return about;
    }
    return nullptr;
  }

  // Runs show() while a timer plays the steps on the open About window; a script that does not
  // close the window within its ticks fails, and the window is then closed with result 99.
  void RunScript(const std::function<void()>& show, std::vector<Step> steps) {
    std::size_t next = 0;
    int ticks = 0;
    TTimer timer;
    timer.SetInterval(20);
    timer.SetOnTimer([&](TObject*) {
      TFormAbout* about = OpenAbout();
      if (!about) return;
      if (++ticks > 250) {
        ADD_FAILURE() << "the About window is still open after step " << next;
        about->SetModalResult(99);
      } else if (next < steps.size() && steps[next](*about)) {
        ++next;
      }
    });
    show();
    EXPECT_EQ(next, steps.size()) << "the window closed before the script ended";
  }

  // Clicks the main window's About button and plays the steps while the window is shown.
  void RunAboutCommand(std::vector<Step> steps) {
    RunScript([&] { SendMessageW(main.BtnAbout.Handle(), BM_CLICK, 0, 0); }, std::move(steps));
  }

  TMainForm main;
};

TEST_F(AboutWindowTest, EveryShowingIsAFreshWindowWithTheSameTextsAndLeavesNothingBehind) {
  const int windows_before = CountThreadWindows();
  const std::wstring author = Wide(AboutAuthorText()), support = Wide(AboutSupportText()),
                     donation = Wide(AboutDonationText());
  for (int showing = 0; showing < 3; ++showing) {
    SCOPED_TRACE(showing);
    std::wstring caption, shown_author, shown_support, shown_donation;
    bool main_enabled = true;
    HWND focus = nullptr, button = nullptr;
    RunAboutCommand({[&](TFormAbout& about) {
      caption = about.Text();
      shown_author = about.LabelAuth.Text();
      shown_support = about.LabelHelp.Text();
      shown_donation = about.LabelRec.Text();
      main_enabled = IsWindowEnabled(main.Handle());
      focus = GetFocus();
      button = about.sBitBtn1.Handle();
      PostMessageW(button, BM_CLICK, 0, 0);
      return true;
    }});
    EXPECT_EQ(caption, L"О программе");
    EXPECT_EQ(shown_author, author);
    EXPECT_EQ(shown_support, support);
    EXPECT_EQ(shown_donation, donation);
    EXPECT_FALSE(main_enabled) << "the main window takes no input meanwhile";
    EXPECT_EQ(focus, button) << "the close button has the focus";
    EXPECT_TRUE(IsWindowEnabled(main.Handle()));
    EXPECT_EQ(GetActiveWindow(), main.Handle()) << "the main window is active again";
    EXPECT_EQ(app.Forms().size(), 1u);
    EXPECT_EQ(CountThreadWindows(), windows_before);
  }
}

TEST_F(AboutWindowTest, TheButtonClosesWithElevenAnyOtherRequestWithTwoAndEscapeNothing) {
  struct Case {
    const char* how;
    std::function<void(TFormAbout&)> close;
    int expected;
  };
  const auto centre = [](HWND hwnd) {
    RECT r;
    GetClientRect(hwnd, &r);
    return MAKELPARAM(r.right / 2, r.bottom / 2);
  };
  const Case cases[] = {
      {"Enter", [](TFormAbout& a) { PostKey(a.sBitBtn1.Handle(), VK_RETURN); }, mrAboutClose},
      {"Space", [](TFormAbout& a) { PostKey(a.sBitBtn1.Handle(), VK_SPACE); }, mrAboutClose},
      {"mouse click",
       [&](TFormAbout& a) {
         PostMessageW(a.sBitBtn1.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, centre(a.sBitBtn1.Handle()));
         PostMessageW(a.sBitBtn1.Handle(), WM_LBUTTONUP, 0, centre(a.sBitBtn1.Handle()));
       },
       mrAboutClose},
      {"WM_CLOSE", [](TFormAbout& a) { PostMessageW(a.Handle(), WM_CLOSE, 0, 0); }, mrCancel},
      {"close box", [](TFormAbout& a) { PostMessageW(a.Handle(), WM_SYSCOMMAND, SC_CLOSE, 0); }, mrCancel},
      {"Alt+F4",
       [](TFormAbout& a) {
         PostMessageW(a.sBitBtn1.Handle(), WM_SYSKEYDOWN, VK_F4, 1 | (1u << 29));
       },
       mrCancel},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.how);
    int result = -1;
    bool open_after_escape = false;
    RunScript(
        [&] {
          TFormAbout about;
          result = about.ShowModal();
        },
        {[](TFormAbout& a) {
           PostKey(a.sBitBtn1.Handle(), VK_ESCAPE);
           return true;
         },
         [&](TFormAbout& a) {
           open_after_escape = IsWindowVisible(a.Handle()) && a.ModalResult() == mrNone;
           c.close(a);
           return true;
         }});
    EXPECT_TRUE(open_after_escape) << "Escape does nothing";
    EXPECT_EQ(result, c.expected);
  }
}

TEST_F(AboutWindowTest, TheMainWindowsTimersKeepRunningBehindItAndTheirFailuresAreReported) {
  int ticks = 0;
  main.TimerReklamChange.SetInterval(30);
  main.TimerReklamChange.SetOnTimer([&](TObject*) {
    if (++ticks == 2) throw Exception(u"Сбой таймера");
  });
  HWND box_owner = nullptr;
  RunAboutCommand({[&](TFormAbout& a) {
                     box_owner = a.Handle();
                     return ticks >= 4;
                   },
                   [](TFormAbout& a) {
                     PostKey(a.sBitBtn1.Handle(), VK_RETURN);
                     return true;
                   }});
  EXPECT_GE(ticks, 4) << "the timer ticks on after its failure";
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, L"Сбой таймера.");
  EXPECT_EQ(boxes[0].owner, box_owner) << "the report belongs to the open About window";
  EXPECT_TRUE(IsWindowEnabled(main.Handle()));
  EXPECT_EQ(app.Forms().size(), 1u);
}

TEST_F(AboutWindowTest, IsCentredOnTheWholeDesktopAndNeverLeftOfOrAboveIt) {
  const RECT desktop{GetSystemMetrics(SM_XVIRTUALSCREEN), GetSystemMetrics(SM_YVIRTUALSCREEN),
                     GetSystemMetrics(SM_XVIRTUALSCREEN) + GetSystemMetrics(SM_CXVIRTUALSCREEN),
                     GetSystemMetrics(SM_YVIRTUALSCREEN) + GetSystemMetrics(SM_CYVIRTUALSCREEN)};
  // The main window stands in a corner of the primary monitor, so centring on it would show.
  SetWindowPos(main.Handle(), nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  RECT window{}, client{};
  RunAboutCommand({[&](TFormAbout& a) {
    GetWindowRect(a.Handle(), &window);
    GetClientRect(a.Handle(), &client);
    PostKey(a.sBitBtn1.Handle(), VK_RETURN);
    return true;
  }});
  const int monitors = GetSystemMetrics(SM_CMONITORS);
  // Set by the run on a desktop of two monitors side by side, which the usual display is not.
  wchar_t expected_monitors[8] = {};
  if (GetEnvironmentVariableW(L"TARVELIN_EXPECT_MONITORS", expected_monitors, 8)) {
    ASSERT_EQ(monitors, _wtoi(expected_monitors));
  }
  SCOPED_TRACE(testing::Message() << monitors << " monitor(s), desktop " << desktop.left << "," << desktop.top << " "
                                  << desktop.right << "x" << desktop.bottom);
  EXPECT_EQ(client.right, ScaleTo(500, main.Dpi()));
  EXPECT_EQ(client.bottom, ScaleTo(360, main.Dpi()));
  EXPECT_LE(std::abs((window.left + window.right) - (desktop.left + desktop.right)), 1);
  EXPECT_LE(std::abs((window.top + window.bottom) - (desktop.top + desktop.bottom)), 1);
  EXPECT_GE(window.left, desktop.left);
  EXPECT_GE(window.top, desktop.top);
}

TEST_F(AboutWindowTest, TheSupportLineGrowsWithItsTextAndTheDetailsFillTheRestDownToThePanel) {
  TFormAbout about;
  about.LabelHelp.SetText(L"Одна строка");
  AlignAboutTexts(about);
  const int line = about.LabelHelp.Bounds96().height;
  ASSERT_GT(line, 0);
  const std::wstring long_line(60, L'ж');
  const struct {
    const char* what;
    std::wstring text;
    int lines;  // 0: whatever the font makes of the composed text
  } cases[] = {
      {"one line", L"Одна строка", 1},
      {"two lines", long_line + L" " + long_line, 2},
      {"three lines", long_line + L" " + long_line + L" " + long_line, 3},
      {"the composed text", Wide(AboutSupportText()), 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    about.LabelHelp.SetText(c.text);
    AlignAboutTexts(about);
    const TRect96 help = about.LabelHelp.Bounds96(), rec = about.LabelRec.Bounds96();
    EXPECT_EQ(help.y, 167);
    EXPECT_EQ(help.height, c.lines ? c.lines * line : about.LabelHelp.TextHeight96());
    EXPECT_EQ(rec.y, help.y + help.height + 4) << "a margin of 3 below the support line and 1 above the details";
    EXPECT_EQ(rec.y + rec.height, 307) << "the details end at the panel";
    EXPECT_EQ(rec.x, 30);
    EXPECT_EQ(rec.width, 467);
  }
}

// The colour of the picture's pixel at x, y given at 96 dpi.
COLORREF PixelAt(HBITMAP bitmap, int x, int y, UINT dpi) {
  const HDC dc = CreateCompatibleDC(nullptr);
  const HGDIOBJ old = SelectObject(dc, bitmap);
  const COLORREF c = GetPixel(dc, ScaleTo(x, dpi), ScaleTo(y, dpi));
  SelectObject(dc, old);
  DeleteDC(dc);
  return c;
}

TEST(AboutPicture, IsA24BitDibOfTheWindowsSizeWithABlueBandAndLightBelow) {
  for (UINT dpi : {96u, 144u}) {
    SCOPED_TRACE(dpi);
    const TUniqueBitmap picture = DrawAboutPicture(dpi);
    DIBSECTION dib{};
    ASSERT_EQ(GetObjectW(picture.Get(), sizeof dib, &dib), static_cast<int>(sizeof dib)) << "a DIB section";
    EXPECT_EQ(dib.dsBm.bmWidth, ScaleTo(500, dpi));
    EXPECT_EQ(dib.dsBm.bmHeight, ScaleTo(360, dpi));
    EXPECT_EQ(dib.dsBm.bmBitsPixel, 24);
    const struct {
      const char* where;
      int x, y;
      std::function<bool(COLORREF)> holds;
    } samples[] = {
        {"band, right of the texts", 490, 10, [](COLORREF c) { return GetBValue(c) > GetRValue(c) + 80; }},
        {"band, near its foot", 300, 110, [](COLORREF c) { return GetBValue(c) > GetRValue(c) + 80; }},
        {"emblem centre, grey", 60, 57, [](COLORREF c) { return GetRValue(c) > 180 && GetBValue(c) - GetRValue(c) < 20; }},
        {"shade under the band, grey", 250, 121, [](COLORREF c) {
           return GetRValue(c) < 215 && GetRValue(c) <= GetGValue(c) && GetGValue(c) <= GetBValue(c) &&
                  GetBValue(c) - GetRValue(c) < 20;
         }},
        {"shade behind the author line, light", 250, 145, [](COLORREF c) { return GetRValue(c) > 225; }},
        {"white behind the details", 250, 200, [](COLORREF c) { return c == RGB(255, 255, 255); }},
        {"white at the bottom", 499, 359, [](COLORREF c) { return c == RGB(255, 255, 255); }},
    };
    for (const auto& s : samples) {
      const COLORREF c = PixelAt(picture.Get(), s.x, s.y, dpi);
      EXPECT_TRUE(s.holds(c)) << s.where << ": " << int(GetRValue(c)) << "," << int(GetGValue(c)) << ","
                              << int(GetBValue(c));
    }
  }
}

}  // namespace
