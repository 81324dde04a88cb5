// The banner on the main window under Wine: the rotation timer's handler called directly, the
// pointer over the banner and the click.
#include <windows.h>

#include <windowsx.h>

#include <memory>

#include "app/main_form_win.h"
#include "tests/banner/banner_test_support_win.h"
#include "toolkit/wide.h"

namespace {

class RotationTest : public BannerTest {
protected:
  void SetUp() override {
    BannerTest::SetUp();
    form = std::make_unique<TMainForm>();
    update_counting_at_start = form->TimerReklamUpdate.Counting();
    // No download in these tests: its tick would ask the real site.
    form->TimerReklamUpdate.SetEnabled(false);
    form->Show();
    SetForegroundWindow(form->Handle());
    app.ProcessMessages();
  }
  void TearDown() override {
    form.reset();
    BannerTest::TearDown();
  }

  // The centre of the banner, or a point of the window's client area above everything else, in
  // client coordinates.
  LPARAM OverBanner() const {
    const RECT r = form->LabelReclam.ScaledBounds();
    return MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
  }
  LPARAM OffBanner() const {
    const RECT r = form->LabelReclam.ScaledBounds();
    return MAKELPARAM((r.left + r.right) / 2, r.top - 2);
  }
  void MoveTo(LPARAM where) { SendMessageW(form->Handle(), WM_MOUSEMOVE, 0, where); }

  std::unique_ptr<TMainForm> form;
  bool update_counting_at_start = false;
};

TEST_F(RotationTest, TheFirstTickComesAfter30sAndSetsA15sPeriod) {
  EXPECT_TRUE(update_counting_at_start);
  EXPECT_EQ(form->TimerReklamUpdate.Interval(), 20000u);
  EXPECT_EQ(form->TimerReklamChange.Interval(), 30000u);
  EXPECT_TRUE(form->TimerReklamChange.Enabled());
  EXPECT_TRUE(form->TimerReklamChange.Counting());
  for (int tick = 1; tick <= 3; ++tick) {
    SCOPED_TRACE(tick);
    form->TimerReklamChangeTimer(&form->TimerReklamChange);
    EXPECT_EQ(form->TimerReklamChange.Interval(), 15000u);
    EXPECT_TRUE(form->TimerReklamChange.Enabled());
    EXPECT_TRUE(form->TimerReklamChange.Counting());
    EXPECT_EQ(form->LabelReclam.Text(), Wide(SiteURL)) << "the list has not loaded: the site stays";
    EXPECT_EQ(RandomState, 0u) << "nothing is drawn before the list has loaded";
  }
}

TEST_F(RotationTest, OnceLoadedEachTickShowsTheSlotTheLcgDraws) {
  form->TimerReklamChangeTimer(&form->TimerReklamChange);
  ReklamLoaded = true;
  // An empty line of the list makes the banner empty until the next tick.
  ReklamText2 = u"";
  // From RandomState 0, draws for the range 5 give 0 0 4 1 1 3.
  const std::wstring expected[] = {L"slot 1", L"slot 1", L"slot 5", L"", L"", L"slot 4"};
  for (const std::wstring& text : expected) {
    form->TimerReklamChangeTimer(&form->TimerReklamChange);
    EXPECT_EQ(form->LabelReclam.Text(), text);
    EXPECT_EQ(form->TimerReklamChange.Interval(), 15000u);
  }
}

TEST_F(RotationTest, ThePointerUnderlinesTheBannerAndShowsTheHand) {
  const TFontSpec initial = form->LabelReclam.Font();
  EXPECT_TRUE(initial.bold);
  EXPECT_FALSE(initial.underline);
  EXPECT_EQ(form->CursorShape(), nullptr);
  for (int round = 0; round < 3; ++round) {
    SCOPED_TRACE(round);
    MoveTo(OverBanner());
    EXPECT_TRUE(form->LabelReclam.Font().underline);
    EXPECT_TRUE(form->LabelReclam.Font().bold);
    EXPECT_EQ(form->CursorShape(), IDC_HAND);
    SendMessageW(form->Handle(), WM_SETCURSOR, reinterpret_cast<WPARAM>(form->Handle()), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    EXPECT_EQ(GetCursor(), LoadCursorW(nullptr, IDC_HAND));
    // Leaving within the window, then leaving the window altogether.
    if (round % 2 == 0) {
      MoveTo(OffBanner());
    } else {
      SendMessageW(form->Handle(), WM_MOUSELEAVE, 0, 0);
    }
    EXPECT_FALSE(form->LabelReclam.Font().underline);
    EXPECT_TRUE(form->LabelReclam.Font().bold);
    EXPECT_EQ(form->CursorShape(), nullptr);
  }
  EXPECT_EQ(form->LabelReclam.Font(), initial);
}

// The real pointer: the hand shows as soon as the pointer rests on the banner, without a
// further move.
TEST_F(RotationTest, TheHandShowsAtOnceUnderTheRealPointer) {
  const LPARAM over = OverBanner();
  POINT p{GET_X_LPARAM(over), GET_Y_LPARAM(over)};
  ClientToScreen(form->Handle(), &p);
  SetCursorPos(p.x, p.y);
  ASSERT_TRUE(PumpUntil([&] { return form->LabelReclam.Font().underline; }, 3000)) << "no pointer move arrived";
  EXPECT_EQ(GetCursor(), LoadCursorW(nullptr, IDC_HAND));
  const LPARAM off = OffBanner();
  p = POINT{GET_X_LPARAM(off), GET_Y_LPARAM(off)};
  ClientToScreen(form->Handle(), &p);
  SetCursorPos(p.x, p.y);
  ASSERT_TRUE(PumpUntil([&] { return !form->LabelReclam.Font().underline; }, 3000));
  EXPECT_EQ(GetCursor(), LoadCursorW(nullptr, IDC_ARROW));
}

TEST_F(RotationTest, AClickOpensTheSiteWhateverTheBannerShows) {
  std::vector<std::wstring> opened;
  OpenInShellOverride = [&](const std::wstring& address) { opened.push_back(address); };
  auto click = [&](LPARAM where) {
    MoveTo(where);
    SendMessageW(form->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, where);
    SendMessageW(form->Handle(), WM_LBUTTONUP, 0, where);
  };
  click(OverBanner());
  ReklamLoaded = true;
  form->TimerReklamChangeTimer(&form->TimerReklamChange);
  EXPECT_EQ(form->LabelReclam.Text(), L"slot 1");
  click(OverBanner());
  click(OffBanner());
  EXPECT_EQ(opened, (std::vector<std::wstring>{L"http://www.corvanix.example", L"http://www.corvanix.example"}));
}

}  // namespace
