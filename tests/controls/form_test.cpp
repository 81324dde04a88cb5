// Forms: keyboard navigation, focus notifications, select-all on focus, modal display.
#include <windows.h>

#include "controls/controls_win.h"
#include "tests/win_test_support.h"
#include "toolkit/form_win.h"

namespace {

// edit1, a panel with two buttons, edit2: the tab order is the order of creation.
struct NavForm : TForm {
  // Declared before the controls, so it outlives them: destroying a focused control moves the
  // focus to another one, whose OnEnter still writes here.
  std::vector<std::pair<wchar_t, TWinControl*>> log;
  NavForm() : TForm(TBorderStyle::Dialog, TPosition::ScreenCenter, 300, 120, {}) {
    edit1.Create(*this, {5, 5, 100, 22}, {}, {});
    edit1.SetText(L"first text");
    panel.Create(*this, {0, 30, 300, 40});
    btn1.Create(panel, {5, 5, 80, 30}, L"One", {}, nullptr, -1);
    btn2.Create(panel, {90, 5, 80, 30}, L"Two", {}, nullptr, -1);
    edit2.Create(*this, {5, 80, 100, 22}, {}, {});
    edit2.SetText(L"second");
    for (TWinControl* c : std::initializer_list<TWinControl*>{&edit1, &btn1, &btn2, &edit2}) {
      c->OnEnter = [this, c](TObject*) { log.push_back({L'+', c}); };
      c->OnExit = [this, c](TObject*) { log.push_back({L'-', c}); };
    }
  }
  TsEdit edit1;
  TsPanel panel;
  TsButton btn1, btn2;
  TsEdit edit2;
};

class FormTest : public WindowTest {
protected:
  void SetUp() override {
    ShowActive(form);
  }
  NavForm form;
};

TEST_F(FormTest, FirstActivationFocusesTheFirstControlOfTheTabOrder) {
  EXPECT_EQ(GetFocus(), form.edit1.Handle());
  EXPECT_EQ(form.ActiveControl(), &form.edit1);
}

TEST_F(FormTest, TabAndShiftTabFollowTheTabOrderAcrossContainers) {
  const HWND forward[] = {form.btn1.Handle(), form.btn2.Handle(), form.edit2.Handle(), form.edit1.Handle()};
  for (HWND expected : forward) {
    PressKey(app, VK_TAB);
    EXPECT_EQ(GetFocus(), expected);
  }
  PressKey(app, VK_TAB, true);
  EXPECT_EQ(GetFocus(), form.edit2.Handle());
  EXPECT_EQ(form.edit1.Text(), L"first text") << "Tab inserts nothing";
}

TEST_F(FormTest, FocusMovesRaiseExitThenEnter) {
  form.log.clear();
  PressKey(app, VK_TAB);
  form.btn2.SetFocus();
  app.ProcessMessages();
  const std::vector<std::pair<wchar_t, TWinControl*>> expected = {
      {L'-', &form.edit1}, {L'+', &form.btn1}, {L'-', &form.btn1}, {L'+', &form.btn2}};
  EXPECT_EQ(form.log, expected);
}

TEST_F(FormTest, ArrowsMoveAmongTheButtonsOfOnePanelOnly) {
  form.btn1.SetFocus();
  PressKey(app, VK_RIGHT);
  EXPECT_EQ(GetFocus(), form.btn2.Handle());
  PressKey(app, VK_RIGHT);
  EXPECT_EQ(GetFocus(), form.btn1.Handle()) << "wraps inside the panel";
  form.edit1.SetFocus();
  form.edit1.SetSelection(3, 3);
  PressKey(app, VK_RIGHT);
  EXPECT_EQ(GetFocus(), form.edit1.Handle()) << "an edit keeps its arrows";
  EXPECT_EQ(form.edit1.Selection(), (std::pair<int, int>{4, 4}));
}

TEST_F(FormTest, EnterClicksAFocusedButtonAndDoesNothingElsewhere) {
  int clicks = 0;
  form.btn2.OnClick = [&](TObject*) { ++clicks; };
  form.btn2.SetFocus();
  PressKey(app, VK_RETURN);
  EXPECT_EQ(clicks, 1);
  form.edit1.SetFocus();
  PressKey(app, VK_RETURN);
  PressKey(app, VK_ESCAPE);
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(form.edit1.Text(), L"first text");
  EXPECT_TRUE(IsWindowVisible(form.Handle()));
}

TEST_F(FormTest, AnEditSelectsAllWhenFocusedByKeyboardButNotByClick) {
  form.btn1.SetFocus();
  PressKey(app, VK_TAB, true);  // back to edit1
  ASSERT_EQ(GetFocus(), form.edit1.Handle());
  EXPECT_EQ(form.edit1.Selection(), (std::pair<int, int>{0, 10}));

  form.btn1.SetFocus();
  SendMessageW(form.edit2.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 5));
  SendMessageW(form.edit2.Handle(), WM_LBUTTONUP, 0, MAKELPARAM(2, 5));
  ASSERT_EQ(GetFocus(), form.edit2.Handle());
  const auto [start, end] = form.edit2.Selection();
  EXPECT_EQ(start, end) << "a click places the caret";
}

TEST_F(FormTest, ShowModalDisablesTheOtherWindowsAndEndsWithItsResult) {
  // The dialog looks around and ends its display from a message posted before it is shown,
  // which only its modal loop can dispatch.
  struct Dialog : TForm {
    Dialog() : TForm(TBorderStyle::ToolWindow, TPosition::MainFormCenter, 150, 60, {}) {
      ok.Create(*this, {5, 5, 60, 30}, L"OK", {}, nullptr, -1);
      ok.ModalResult = 11;
    }
    LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override {
      if (msg == WM_APP) {
        on_app();
        return 0;
      }
      return TForm::WndProc(msg, wp, lp);
    }
    TsButton ok;
    std::function<void()> on_app;
  };
  struct Case {
    const char* how;
    std::function<void(Dialog&)> end;
    int expected;
  };
  const Case cases[] = {
      {"button", [](Dialog& d) { SendMessageW(d.ok.Handle(), BM_CLICK, 0, 0); }, 11},
      {"close box", [](Dialog& d) { PostMessageW(d.Handle(), WM_CLOSE, 0, 0); }, mrCancel},
      {"Alt+F4", [](Dialog& d) { PostMessageW(d.Handle(), WM_SYSCOMMAND, SC_CLOSE, 0); }, mrCancel},
      {"modal result", [](Dialog& d) { d.SetModalResult(5); }, 5},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.how);
    Dialog dialog;
    bool main_enabled_meanwhile = true, dialog_visible_meanwhile = false;
    dialog.on_app = [&] {
      main_enabled_meanwhile = IsWindowEnabled(form.Handle());
      dialog_visible_meanwhile = IsWindowVisible(dialog.Handle());
      c.end(dialog);
    };
    PostMessageW(dialog.Handle(), WM_APP, 0, 0);
    EXPECT_EQ(dialog.ShowModal(), c.expected);
    EXPECT_FALSE(main_enabled_meanwhile);
    EXPECT_TRUE(dialog_visible_meanwhile);
    EXPECT_TRUE(IsWindowEnabled(form.Handle()));
    EXPECT_FALSE(IsWindowVisible(dialog.Handle()));
  }
}

TEST(ScaleRect, KeepsNeighboursFlushAtEveryDpi) {
  for (UINT dpi : {96u, 120u, 144u, 168u, 192u}) {
    const RECT a = ScaleRect({4, 4, 145, 36}, dpi), b = ScaleRect({149, 4, 6, 36}, dpi);
    EXPECT_EQ(a.right, b.left) << dpi;
    EXPECT_EQ(a.right - a.left, MulDiv(149, static_cast<int>(dpi), 96) - MulDiv(4, static_cast<int>(dpi), 96));
  }
}

}  // namespace
