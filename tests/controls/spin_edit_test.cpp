// The numeric entry field under Wine, driven by messages: typed characters, keys, the wheel,
// paste and cut, focus moves, the spin buttons with their repeat timer.
#include <windows.h>

#include <atomic>
#include <cstring>
#include <cwchar>
#include <functional>
#include <string>
#include <vector>
#include <stdexcept>
#include <thread>

#include "controls/spin_edit_win.h"
#include "tests/win_test_support.h"
#include "toolkit/exception.h"

namespace {

constexpr TFontSpec kFieldFont{L"Tahoma", 13, false, false, RGB(0, 0, 0)};

struct TestSpin : TsSpinEdit {
  int beeps = 0;
  void Beep() override { ++beeps; }
};

// A control before the field, the field inside a panel, a control after it.
struct SpinForm : TForm {
  explicit SpinForm(const TSpinEditLayout& layout) : TForm(TBorderStyle::Dialog, TPosition::ScreenCenter, 300, 120, {}) {
    before.Create(*this, {5, 5, 100, 22}, {}, {});
    box.Create(*this, {0, 30, 300, 40});
    spin.Create(box, {5, 5, 61, 23}, kFieldFont, layout);
    after.Create(*this, {5, 80, 100, 22}, {}, {});
    spin.OnChange = [this](TObject*) { ++changes; };
  }
  TsEdit before;
  TsPanel box;
  TestSpin spin;
  TsEdit after;
  int changes = 0;
};

// The settings of the program's two fields.
const TSpinEditLayout kProgramLayout{.Text = L"7", .Value = 7, .MinValue = 1, .MaxValue = 0, .NumbersOnly = true};

void PutOnClipboard(const std::wstring& text) {
  ASSERT_TRUE(OpenClipboard(nullptr));
  EmptyClipboard();
  const std::size_t bytes = (text.size() + 1) * sizeof(wchar_t);
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes);
  std::memcpy(GlobalLock(memory), text.c_str(), bytes);
  GlobalUnlock(memory);
  SetClipboardData(CF_UNICODETEXT, memory);
  CloseClipboard();
}

RECT RectIn(HWND of, HWND in) {
  RECT r;
  GetWindowRect(of, &r);
  MapWindowPoints(nullptr, in, reinterpret_cast<POINT*>(&r), 2);
  return r;
}

class SpinEditTest : public WindowTest {
protected:
  explicit SpinEditTest(const TSpinEditLayout& layout = kProgramLayout) : form(layout) {}

  void SetUp() override {
    ShowActive(form);
    spin().SetFocus();
    app.ProcessMessages();
    form.changes = 0;
  }

  TestSpin& spin() { return form.spin; }
  HWND field() { return form.spin.Handle(); }
  HWND column() { return form.spin.Button.Handle(); }
  void SetText(const std::wstring& text) {
    SendMessageW(field(), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
    form.changes = 0;
  }
  void Type(wchar_t c) { SendMessageW(field(), WM_CHAR, c, 1); }
  LRESULT Wheel(int delta) {
    return SendMessageW(field(), WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(static_cast<short>(delta))),
                        MAKELPARAM(10, 10));
  }
  // Leaves the field for the control after it, and comes back without raising a change.
  void LeaveAndReturn() {
    form.after.SetFocus();
    app.ProcessMessages();
  }
  POINT Centre(const TsTimerSpeedButton& b) {
    const RECT& r = b.BoundsRect();
    return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
  }
  void MouseDown(const TsTimerSpeedButton& b, UINT msg = WM_LBUTTONDOWN) {
    const POINT p = Centre(b);
    SendMessageW(column(), msg, MK_LBUTTON, MAKELPARAM(p.x, p.y));
  }
  void MouseUp(const TsTimerSpeedButton& b, bool inside = true, UINT msg = WM_LBUTTONUP) {
    const POINT p = inside ? Centre(b) : POINT{-20, -20};
    SendMessageW(column(), msg, 0, MAKELPARAM(p.x, p.y));
  }

  SpinForm form;
};

TEST_F(SpinEditTest, ValueParsesWhateverTextTheFieldHolds) {
  const struct {
    std::wstring text;
    std::int32_t value;
  } cases[] = {
      {L"", 0},          {L"0", 0},      {L"-5", -5},  {L"007", 7},    {L" 12", 12},   {L"+5", 5},
      {L"$1F", 31},      {L"12 ", 1},    {L"1-2", 1},  {L"abc", 1},    {L"2147483647", 2147483647},
      {L"2147483648", 1}, {L"99999999999", 1}, {L"1\r\n2", 1}, {std::wstring(10000, L'7'), 1},
      {std::wstring(10000, L'0') + L"42", 42},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.text.size() << " units: " << std::string(c.text.begin(), c.text.begin() + std::min<std::size_t>(c.text.size(), 20)));
    SetText(c.text);
    ASSERT_EQ(spin().Text(), c.text);
    EXPECT_EQ(spin().Value(), c.value);
  }
  // A text with a NUL ends there: the window holds only what comes before it.
  SendMessageW(field(), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"12\0abc"));
  EXPECT_EQ(spin().Text(), L"12");
  EXPECT_EQ(spin().Value(), 12);
}

TEST_F(SpinEditTest, WritingValueBoundsItAndAnEqualTextRaisesNoChange) {
  spin().SetValue(7);
  EXPECT_EQ(form.changes, 0) << "the text is already 7";
  spin().SetValue(12);
  EXPECT_EQ(spin().Text(), L"12");
  EXPECT_EQ(form.changes, 1);
  spin().SetValue(0);
  EXPECT_EQ(spin().Text(), L"1");
  spin().SetValue(-2147483647 - 1);
  EXPECT_EQ(spin().Text(), L"1");
  EXPECT_EQ(form.changes, 2);
  SetText(L"007");
  spin().SetValue(7);
  EXPECT_EQ(spin().Text(), L"7") << "written in normal form";
  EXPECT_EQ(form.changes, 1);
}

TEST_F(SpinEditTest, TheStoredValueIsIgnoredAndNothingIsBoundedAtLoad) {
  SpinForm other({.Text = L"0", .Value = 12, .MinValue = 1});
  EXPECT_EQ(other.spin.Text(), L"0");
  EXPECT_FALSE(other.spin.Loading());
  EXPECT_TRUE(other.spin.Button.Visible());
  other.spin.SetValue(12);
  EXPECT_EQ(other.spin.Text(), L"12") << "writes work once loading has ended";
}

TEST_F(SpinEditTest, ArrowKeysStepOncePerKeyDownAndWrapBeforeTheBound) {
  const struct {
    std::wstring text;
    WPARAM key;
    std::wstring expected;
  } cases[] = {
      {L"1", VK_DOWN, L"1"},    {L"", VK_UP, L"1"},         {L"0", VK_UP, L"1"},
      {L"7", VK_UP, L"8"},      {L"007", VK_UP, L"8"},      {L"5", VK_DOWN, L"4"},
      {L"2147483647", VK_UP, L"1"}, {L"99999999999", VK_UP, L"2"}, {L"abc", VK_DOWN, L"1"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << std::string(c.text.begin(), c.text.end()) << " key " << c.key);
    SetText(c.text);
    PressKey(app, c.key);  // through the window's key handling, as typed
    EXPECT_EQ(spin().Text(), c.expected);
    EXPECT_EQ(GetFocus(), field()) << "the arrows are the field's, not the window's";
  }
  SetText(L"5");
  for (int i = 0; i < 3; ++i) SendMessageW(field(), WM_KEYDOWN, VK_UP, 1 | (1 << 30));  // auto-repeat
  EXPECT_EQ(spin().Text(), L"8");
}

TEST_F(SpinEditTest, ReadOnlyStepsBeepAndCustomHandlersReplaceTheSteps) {
  spin().SetReadOnly(true);
  PressKey(app, VK_UP);
  MouseDown(spin().Button.DownButton);
  MouseUp(spin().Button.DownButton);
  EXPECT_EQ(spin().Text(), L"7");
  EXPECT_EQ(spin().beeps, 2);
  EXPECT_EQ(Wheel(120), 0);
  EXPECT_EQ(spin().Text(), L"7") << "the wheel does nothing on a read-only field";
  EXPECT_EQ(spin().beeps, 2);

  spin().SetReadOnly(false);
  std::vector<std::pair<char, TObject*>> calls;
  spin().OnUpClick = [&](TObject* sender) { calls.push_back({'u', sender}); };
  spin().OnDownClick = [&](TObject* sender) { calls.push_back({'d', sender}); };
  PressKey(app, VK_UP);
  PressKey(app, VK_DOWN);
  MouseDown(spin().Button.UpButton);
  MouseUp(spin().Button.UpButton);
  const std::vector<std::pair<char, TObject*>> expected = {{'u', &spin()}, {'d', &spin()}, {'u', &spin()}};
  EXPECT_EQ(calls, expected);
  EXPECT_EQ(spin().Text(), L"7");
}

TEST_F(SpinEditTest, TypedCharactersPassTheFilter) {
  spin().SelectAll();
  Type(L'4');
  Type(L'2');
  EXPECT_EQ(spin().Text(), L"42");
  EXPECT_EQ(spin().beeps, 0);
  for (wchar_t c : {L'-', L'a', L' ', L'+', L'$', L'\x0444'}) Type(c);
  EXPECT_EQ(spin().Text(), L"42");
  EXPECT_EQ(spin().beeps, 6) << "each refused character beeps";
  for (wchar_t c : {L'\r', L'\t', L'\n'}) Type(c);
  EXPECT_EQ(spin().Text(), L"42") << "no line break and no tab";
  EXPECT_EQ(SendMessageW(field(), EM_GETLINECOUNT, 0, 0), 1);
  EXPECT_EQ(spin().beeps, 6) << "Enter and Tab are swallowed silently";
  Type(L'\b');
  EXPECT_EQ(spin().Text(), L"4");
  spin().EditorEnabled = false;
  Type(L'5');
  EXPECT_EQ(spin().Text(), L"4");
  EXPECT_EQ(spin().beeps, 7);
}

class NegativeSpinEditTest : public SpinEditTest {
protected:
  NegativeSpinEditTest() : SpinEditTest({.Text = L"12", .MinValue = -50, .MaxValue = 50}) {}
};

TEST_F(NegativeSpinEditTest, AMinusGoesInOnlyAtTheStartAndOnlyOnce) {
  spin().SetSelection(0, 0);
  Type(L'-');
  EXPECT_EQ(spin().Text(), L"-12");
  spin().SetSelection(0, 0);
  Type(L'-');
  spin().SetSelection(1, 1);
  Type(L'-');
  EXPECT_EQ(spin().Text(), L"-12");
  EXPECT_EQ(spin().beeps, 2);
  spin().SetSelection(0, 2);  // all but one character
  Type(L'-');
  EXPECT_EQ(spin().Text(), L"-2");
  spin().AllowNegative = false;
  spin().SetSelection(0, 2);
  Type(L'-');
  EXPECT_EQ(spin().Text(), L"-2");
  EXPECT_EQ(spin().beeps, 3);
}

TEST_F(NegativeSpinEditTest, LeavingTheFieldMakesTheMinusSignsZeroAndBoundsTheRest) {
  const struct {
    std::wstring text, expected;
  } cases[] = {{L"-", L"0"}, {L"-0", L"0"}, {L"-51", L"-50"}, {L"99", L"50"}, {L"-7", L"-7"}, {L"", L""}};
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.text.begin(), c.text.end()));
    spin().SetFocus();
    SetText(c.text);
    LeaveAndReturn();
    EXPECT_EQ(spin().Text(), c.expected);
  }
}

TEST_F(SpinEditTest, TheWheelStepsByWholeNotchesAndRewritesTheText) {
  // Each row starts with the focus just arrived; its turns then follow one another.
  const struct {
    std::wstring text;
    std::vector<int> deltas;
    std::wstring expected;
  } cases[] = {
      {L"7", {240}, L"9"},    {L"7", {-120}, L"6"},        {L"7", {60}, L"7"},
      {L"", {60}, L"1"},      {L"007", {60}, L"7"},        {L"007", {119}, L"7"},
      {L"5", {-239}, L"4"},   {L"5", {-600}, L"1"},        {L"2147483647", {120}, L"1"},
      {L"7", {30, 30, 30}, L"7"},  {L"7", {30, 30, 30, 30}, L"8"},  {L"7", {60, 60, 60, 60}, L"9"},
      {L"7", {-30, -30, -30, -30}, L"6"},  {L"7", {90, -30, -30, -30}, L"7"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << std::string(c.text.begin(), c.text.end()) << " "
                                    << testing::PrintToString(c.deltas));
    LeaveAndReturn();
    spin().SetFocus();
    app.ProcessMessages();
    SetText(c.text);
    for (int delta : c.deltas) EXPECT_EQ(Wheel(delta), 0) << "the message counts as handled";
    EXPECT_EQ(spin().Text(), c.expected);
  }
  // What small turns left is forgotten when the focus moves.
  SetText(L"7");
  Wheel(90);
  LeaveAndReturn();
  spin().SetFocus();
  app.ProcessMessages();
  Wheel(30);
  EXPECT_EQ(spin().Text(), L"7");
}

TEST_F(SpinEditTest, TheWheelIsOfferedToTheFieldAndItsParentsFirst) {
  std::vector<TObject*> offered;
  bool field_handles = true;
  spin().OnMouseWheel = [&](TObject* sender, WORD, int delta, POINT, bool& handled) {
    offered.push_back(sender);
    EXPECT_EQ(delta, 240);
    handled = field_handles;
  };
  Wheel(240);
  EXPECT_EQ(spin().Text(), L"7");
  form.box.OnMouseWheel = [&](TObject* sender, WORD, int, POINT, bool& handled) {
    offered.push_back(sender);
    handled = true;
  };
  field_handles = false;
  Wheel(240);
  EXPECT_EQ(spin().Text(), L"7") << "the panel handled it";
  form.box.OnMouseWheel = nullptr;
  Wheel(240);
  EXPECT_EQ(spin().Text(), L"9");
  const std::vector<TObject*> expected = {&spin(), &spin(), &form.box, &spin()};
  EXPECT_EQ(offered, expected);
}

TEST_F(SpinEditTest, AWheelTurnAnywhereInTheFormGoesToTheFocusOnly) {
  // Windows 10 and 11 send the wheel to the window under the pointer; Wine to the focus.
  enum Where { Field, Column, Panel, Form, Before };
  const struct {
    const char* what;
    Where focus;  // Form: no control has the focus
    Where target;
    const wchar_t* expected;
    int form_offers;  // the turn reaches the form's OnMouseWheel once, or not at all
  } cases[] = {
      {"field focused, wheel straight to it", Field, Field, L"9", 1},
      {"field focused, pointer over the form", Field, Form, L"9", 1},
      {"field focused, pointer over another field", Field, Before, L"9", 1},
      {"field focused, pointer over its panel", Field, Panel, L"9", 1},
      {"field focused, pointer over its spin buttons", Field, Column, L"9", 1},
      {"other field focused, pointer over the field", Before, Field, L"7", 1},
      {"other field focused, pointer over the form", Before, Form, L"7", 1},
      {"nothing focused, pointer over the field", Form, Field, L"7", 1},
  };
  int offers = 0;
  form.OnMouseWheel = [&](TObject*, WORD, int, POINT, bool&) { ++offers; };
  const auto window = [&](Where w) {
    switch (w) {
      case Field: return field();
      case Column: return column();
      case Panel: return form.box.Handle();
      case Before: return form.before.Handle();
      case Form: break;
    }
    return form.Handle();
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    SetFocus(window(c.focus));
    app.ProcessMessages();
    SetText(L"7");
    offers = 0;
    SendMessageW(window(c.target), WM_MOUSEWHEEL, MAKEWPARAM(0, 240), MAKELPARAM(10, 10));
    EXPECT_EQ(spin().Text(), c.expected);
    EXPECT_EQ(offers, c.form_offers);
  }
}

TEST_F(SpinEditTest, APasteThatFailsTheRuleRestoresTheKeptValue) {
  const struct {
    std::wstring before, clipboard, after;
  } cases[] = {
      {L"12", L"abc", L"12"},   {L"", L"abc", L"0"},     {L"12", L" 12", L" 12"}, {L"12", L"+12", L"+12"},
      {L"12", L"$1F", L"$1F"},  {L"12", L"-5", L"-5"},   {L"12", L"3\r\n4", L"12"}, {L"007", L"x", L"7"},
      {L"abc", L"z", L"1"},     {L"12", L"99999999999", L"12"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.clipboard.begin(), c.clipboard.end()));
    SetText(c.before);
    spin().SelectAll();
    PutOnClipboard(c.clipboard);
    SendMessageW(field(), WM_PASTE, 0, 0);
    EXPECT_EQ(spin().Text(), c.after);
  }
  SetText(L"");
  PutOnClipboard(L"abc");
  SendMessageW(field(), WM_CHAR, 22, 1);  // Ctrl+V
  EXPECT_EQ(spin().Text(), L"0");
  LeaveAndReturn();
  EXPECT_EQ(spin().Text(), L"1");
}

// Every way a text can reach the field other than typing is checked as a paste: "abc" over the
// selected 12 gives 12 back, "34" stays. Typing, cutting and the program's own writes are not.
TEST_F(SpinEditTest, EveryRouteOfAPasteOrAnOutsideTextIsChecked) {
  enum class How { CtrlV, ShiftInsert, Menu, SetTextFromAnotherThread, ReplaceFromAnotherThread, ImeChar };
  const struct {
    const char* what;
    How how;
  } routes[] = {
      {"Ctrl+V", How::CtrlV},
      {"Shift+Insert", How::ShiftInsert},
      {"the context menu's Paste", How::Menu},
      {"WM_SETTEXT from another thread", How::SetTextFromAnotherThread},
      {"EM_REPLACESEL from another thread", How::ReplaceFromAnotherThread},
      {"an input method's characters", How::ImeChar},
  };
  for (const auto& r : routes) {
    for (const wchar_t* text : {L"abc", L"34"}) {
      SCOPED_TRACE(testing::Message() << r.what << " " << std::string(text, text + std::wcslen(text)));
      SetText(L"12");
      spin().SetFocus();
      spin().SelectAll();
      PutOnClipboard(text);
      switch (r.how) {
        case How::CtrlV: PressKey(app, 'V', false, VK_CONTROL); break;
        case How::ShiftInsert: PressKey(app, VK_INSERT, true); break;
        case How::Menu: {
          // The menu runs its own loop: its keys are posted before it opens. Undo, Cut, Copy, Paste.
          for (WPARAM key : {VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN, VK_RETURN}) PostMessageW(field(), WM_KEYDOWN, key, 1);
          SendMessageW(field(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(field()), MAKELPARAM(-1, -1));
          app.ProcessMessages();
          break;
        }
        case How::SetTextFromAnotherThread:
        case How::ReplaceFromAnotherThread: {
          const UINT msg = r.how == How::SetTextFromAnotherThread ? WM_SETTEXT : EM_REPLACESEL;
          const HWND target = field();
          std::atomic<bool> sent = false;
          std::thread sender([&] {
            SendMessageW(target, msg, TRUE, reinterpret_cast<LPARAM>(text));
            sent = true;
          });
          PumpUntil([&] { return sent.load(); });
          sender.join();
          break;
        }
        case How::ImeChar:
          // Taken by the edit or turned into WM_CHAR by the window's default handling.
          for (const wchar_t* c = text; *c; ++c) SendMessageW(field(), WM_IME_CHAR, *c, 1);
          app.ProcessMessages();
          break;
      }
      EXPECT_EQ(spin().Text(), std::wstring(text) == L"abc" ? L"12" : L"34");
    }
  }
  // A text that passes the rule stays as it came while the field has the focus; a field without
  // it will not be left before a command reads it, so it takes the bounds at once.
  for (const bool focused : {true, false}) {
    SCOPED_TRACE(focused ? "focused" : "not focused");
    SetText(L"12");
    if (focused) spin().SetFocus(); else form.after.SetFocus();
    const HWND target = field();
    std::atomic<bool> sent = false;
    std::thread sender([&] {
      SendMessageW(target, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"-3"));
      sent = true;
    });
    PumpUntil([&] { return sent.load(); });
    sender.join();
    EXPECT_EQ(spin().Text(), focused ? L"-3" : L"1");
  }
  spin().SetFocus();
  SetText(L"12");
  spin().SelectAll();
  PressKey(app, VK_DELETE, true);
  EXPECT_EQ(spin().Text(), L"") << "Shift+Del cuts, unchecked";
  PressKey(app, VK_INSERT, true);
  EXPECT_EQ(spin().Text(), L"12") << "and Shift+Insert pastes it back";
}

// A failure in any window of the field, its spin-button column included, reaches the report and
// the field goes on working.
TEST_F(SpinEditTest, AFailureInTheFieldOrItsColumnReachesTheReport) {
  const struct {
    const char* what;
    std::function<void()> fail;
  } cases[] = {
      {"the click on the release", [&] {
         spin().OnUpClick = [](TObject*) { throw Exception(u"Click failed"); };
         MouseDown(spin().Button.UpButton);
         MouseUp(spin().Button.UpButton);
         spin().OnUpClick = nullptr;
       }},
      {"the column's paint", [&] {
         FaultInjectionHook = [&](TObject& target, UINT msg) {
           if (&target == &spin().Button && msg == WM_PAINT) throw Exception(u"Paint failed");
         };
         InvalidateRect(column(), nullptr, FALSE);
         UpdateWindow(column());
         FaultInjectionHook = nullptr;
       }},
      {"the field's paint", [&] {
         FaultInjectionHook = [&](TObject& target, UINT msg) {
           if (&target == &spin() && msg == WM_PAINT) throw Exception(u"Paint failed");
         };
         InvalidateRect(field(), nullptr, FALSE);
         UpdateWindow(field());
         FaultInjectionHook = nullptr;
       }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    boxes.clear();
    c.fail();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].caption, L"Tarvelin");
    EXPECT_TRUE(boxes[0].text == L"Click failed." || boxes[0].text == L"Paint failed.") << boxes[0].text.c_str();
    SetText(L"7");
    MouseDown(spin().Button.UpButton);
    MouseUp(spin().Button.UpButton);
    EXPECT_EQ(spin().Text(), L"8");
  }
}

// A modal window or a box disables the form: a button held down lets go and stops repeating.
TEST_F(SpinEditTest, DisablingTheFormEndsThePressOfAHeldButton) {
  SetText(L"10");
  MouseDown(spin().Button.UpButton);
  ASSERT_EQ(GetCapture(), column());
  const std::vector<HWND> disabled = TApplication::DisableTaskWindows(nullptr);
  EXPECT_EQ(GetCapture(), nullptr);
  EXPECT_FALSE(spin().Button.UpButton.Down());
  EXPECT_FALSE(spin().Button.UpButton.RepeatTimer()->Counting());
  PumpFor(600);
  TApplication::EnableWindows(disabled);
  MouseUp(spin().Button.UpButton);
  EXPECT_EQ(spin().Text(), L"10") << "no repeat and no click on the release";
}

TEST_F(SpinEditTest, PasteAndCutNeedAnEditableField) {
  PutOnClipboard(L"55");
  for (int locked = 0; locked < 2; ++locked) {
    spin().EditorEnabled = locked != 0;  // first the editor is disabled, then the field read-only
    spin().SetReadOnly(locked != 0);
    SetText(L"12");
    spin().SelectAll();
    SendMessageW(field(), WM_PASTE, 0, 0);
    SendMessageW(field(), WM_CUT, 0, 0);
    EXPECT_EQ(spin().Text(), L"12");
  }
  spin().EditorEnabled = true;
  spin().SetReadOnly(false);
  spin().SelectAll();
  SendMessageW(field(), WM_CUT, 0, 0);
  EXPECT_EQ(spin().Text(), L"") << "a cut is not checked";
  SendMessageW(field(), WM_PASTE, 0, 0);
  EXPECT_EQ(spin().Text(), L"12") << "the cut text went to the clipboard";
}

TEST_F(SpinEditTest, LeavingTheFieldRaisesTheExitThenNormalises) {
  std::vector<std::wstring> at_exit;
  spin().OnExit = [&](TObject*) { at_exit.push_back(spin().Text()); };
  const struct {
    std::wstring text, expected;
  } cases[] = {
      {L"", L"1"},  {L"0", L"1"},     {L"00", L"1"},   {L"-", L"1"},   {L"-0", L"1"},
      {L"5", L"5"}, {L"007", L"007"}, {L"abc", L"abc"}, {L"99999999999", L"99999999999"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.text.begin(), c.text.end()));
    spin().SetFocus();
    app.ProcessMessages();
    SetText(c.text);
    at_exit.clear();
    LeaveAndReturn();
    EXPECT_EQ(spin().Text(), c.expected);
    EXPECT_EQ(form.changes, c.text == c.expected ? 0 : c.text == L"-" || c.text == L"-0" ? 2 : 1);
    EXPECT_EQ(at_exit, std::vector<std::wstring>{c.text}) << "the exit notification comes first";
  }
  spin().SetFocus();
  SetText(L"99999999999");
  PressKey(app, VK_UP);
  EXPECT_EQ(spin().Text(), L"2");
}

TEST_F(SpinEditTest, TheWholeTextIsSelectedWhenTheFocusArrives) {
  SetText(L"12345");
  form.before.SetFocus();
  PressKey(app, VK_TAB);  // by keyboard
  ASSERT_EQ(GetFocus(), field());
  EXPECT_EQ(spin().Selection(), (std::pair<int, int>{0, 5}));

  form.before.SetFocus();
  SendMessageW(field(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(8, 8));  // by mouse
  SendMessageW(field(), WM_LBUTTONUP, 0, MAKELPARAM(8, 8));
  ASSERT_EQ(GetFocus(), field());
  EXPECT_EQ(spin().Selection(), (std::pair<int, int>{0, 5}));
  SendMessageW(field(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(8, 8));  // focused already
  SendMessageW(field(), WM_LBUTTONUP, 0, MAKELPARAM(8, 8));
  const auto [start, end] = spin().Selection();
  EXPECT_EQ(start, end) << "a click into the focused field places the caret";

  spin().AutoSelect = false;
  form.before.SetFocus();
  PressKey(app, VK_TAB);
  const auto [s2, e2] = spin().Selection();
  EXPECT_EQ(s2, e2);
}

TEST_F(SpinEditTest, TabAndEnterGoToTheirTargetsOrFollowTheWindow) {
  EXPECT_EQ(SendMessageW(field(), WM_GETDLGCODE, VK_TAB, 0), DLGC_WANTCHARS | DLGC_WANTARROWS);
  PressKey(app, VK_TAB);
  EXPECT_EQ(GetFocus(), form.after.Handle()) << "the window's tab order";
  spin().SetFocus();
  PressKey(app, VK_TAB, true);
  EXPECT_EQ(GetFocus(), form.before.Handle());
  spin().SetFocus();
  PressKey(app, VK_RETURN);
  EXPECT_EQ(GetFocus(), field()) << "Enter does nothing without a target";
  EXPECT_EQ(spin().Text(), L"7");

  spin().NextTabControl = &form.before;
  spin().PrevTabControl = &form.after;
  PressKey(app, VK_TAB);
  EXPECT_EQ(GetFocus(), form.before.Handle());
  spin().SetFocus();
  PressKey(app, VK_RETURN);
  EXPECT_EQ(GetFocus(), form.before.Handle());
  spin().SetFocus();
  PressKey(app, VK_TAB, true);
  EXPECT_EQ(GetFocus(), form.after.Handle());
  spin().SetFocus();
  SendMessageW(field(), WM_KEYDOWN, VK_RETURN, 1);  // sent straight to the field
  EXPECT_EQ(GetFocus(), form.before.Handle());
  EXPECT_EQ(spin().Text(), L"7");
}

TEST_F(SpinEditTest, ASpinButtonClickStepsOnceAndTakesTheFocus) {
  form.before.SetFocus();
  app.ProcessMessages();
  MouseDown(spin().Button.UpButton);
  EXPECT_EQ(GetFocus(), field()) << "focus on press";
  EXPECT_TRUE(spin().Button.UpButton.Down());
  EXPECT_EQ(GetCapture(), column());
  EXPECT_EQ(spin().Text(), L"7") << "the press itself does not step";
  MouseUp(spin().Button.UpButton);
  EXPECT_FALSE(spin().Button.UpButton.Down());
  EXPECT_EQ(GetCapture(), nullptr);
  EXPECT_EQ(spin().Text(), L"8");
  MouseDown(spin().Button.DownButton);
  MouseUp(spin().Button.DownButton);
  MouseDown(spin().Button.DownButton);
  MouseUp(spin().Button.DownButton);
  EXPECT_EQ(spin().Text(), L"6");

  MouseDown(spin().Button.UpButton);
  MouseUp(spin().Button.UpButton, false);
  EXPECT_EQ(spin().Text(), L"6") << "released outside the button";
  // (A right-button release would open the field's context menu, which waits for the user.)
  MouseDown(spin().Button.UpButton, WM_RBUTTONDOWN);
  MouseDown(spin().Button.UpButton, WM_MBUTTONDOWN);
  MouseUp(spin().Button.UpButton, true, WM_MBUTTONUP);
  EXPECT_EQ(spin().Text(), L"6") << "other mouse buttons do not step";

  SetWindowLongW(field(), GWL_STYLE, GetWindowLongW(field(), GWL_STYLE) & ~WS_TABSTOP);
  form.before.SetFocus();
  MouseDown(spin().Button.UpButton);
  MouseUp(spin().Button.UpButton);
  EXPECT_EQ(GetFocus(), form.before.Handle()) << "a field that is no tab stop is not focused";
  EXPECT_EQ(spin().Text(), L"7");
}

TEST_F(SpinEditTest, AHeldButtonRepeatsAfter400MsThenEvery100Ms) {
  std::vector<DWORD> steps;
  form.spin.OnChange = [&](TObject*) { steps.push_back(GetMessageTime()); };
  const DWORD pressed = GetTickCount();
  MouseDown(spin().Button.UpButton);
  PumpUntil([&] { return steps.size() >= 4; }, 3000);
  MouseUp(spin().Button.UpButton);
  ASSERT_EQ(steps.size(), 5u);
  EXPECT_EQ(spin().Text(), L"12") << "four repeats and the release";
  const auto first = static_cast<long>(steps[0] - pressed);
  RecordProperty("first_repeat_ms", static_cast<int>(first));
  RecordProperty("repeat_gaps_ms", std::to_string(steps[1] - steps[0]) + " " + std::to_string(steps[2] - steps[1]) +
                                       " " + std::to_string(steps[3] - steps[2]));
  EXPECT_GE(first, 385);
  EXPECT_LE(first, 600);
  // The ticks keep to their schedule, so a late one is followed by an early one: the span of
  // three gaps is what a busy machine cannot blur.
  const auto span = static_cast<long>(steps[3] - steps[0]);
  EXPECT_GE(span, 270);
  EXPECT_LE(span, 500);
  PumpFor(350);
  EXPECT_EQ(steps.size(), 5u) << "the timer stopped on release";
  ASSERT_NE(spin().Button.UpButton.RepeatTimer(), nullptr);
  EXPECT_FALSE(spin().Button.UpButton.RepeatTimer()->Counting());
  EXPECT_EQ(spin().Button.DownButton.RepeatTimer(), nullptr) << "created on the first press";
}

TEST_F(SpinEditTest, ARepeatStopsWhenTheButtonLosesTheCapture) {
  MouseDown(spin().Button.DownButton);
  SetText(L"50");
  SetCapture(form.before.Handle());
  PumpFor(600);
  ReleaseCapture();
  MouseUp(spin().Button.DownButton);
  EXPECT_EQ(spin().Text(), L"50");
  EXPECT_FALSE(spin().Button.DownButton.Down());
}

TEST_F(SpinEditTest, AFailingRepeatStopsItsTimerBeforeTheReport) {
  int calls = 0;
  bool counting_at_report = true;
  spin().OnUpClick = [&](TObject*) {
    ++calls;
    throw Exception(u"Out of memory");
  };
  on_box = [&](const ShownBox&) { counting_at_report = spin().Button.UpButton.RepeatTimer()->Counting(); };
  MouseDown(spin().Button.UpButton);
  PumpUntil([&] { return !boxes.empty(); }, 2000);
  PumpFor(400);
  MouseUp(spin().Button.UpButton);
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, L"Out of memory.");
  EXPECT_FALSE(counting_at_report);
  EXPECT_EQ(calls, 1) << "no repeat, and no click on the release after the report";
  EXPECT_EQ(GetCapture(), nullptr);
}

TEST_F(SpinEditTest, TheColumnStandsInsideTheBorderAndTheTextStopsBeforeIt) {
  RECT window, client;
  GetWindowRect(field(), &window);
  GetClientRect(field(), &client);
  const int width = window.right - window.left, height = window.bottom - window.top;
  ASSERT_EQ(width, 61);
  ASSERT_EQ(height, 23);
  EXPECT_EQ(client.right, width - 4) << "a two-pixel border on each side";
  const RECT col = RectIn(column(), field());
  EXPECT_EQ(col.left, width - 18 - 4);
  EXPECT_EQ(col.right - col.left, 18);
  EXPECT_EQ(col.top, 0);
  EXPECT_EQ(col.bottom - col.top, height - 4);
  EXPECT_EQ(spin().Button.UpButton.BoundsRect().bottom, (height - 4) / 2);
  EXPECT_EQ(spin().Button.DownButton.BoundsRect().bottom, height - 4);

  RECT format;
  const auto format_right = [&] {
    SendMessageW(field(), EM_GETRECT, 0, reinterpret_cast<LPARAM>(&format));
    return format.right;
  };
  // The edit insets the rectangle set for it by one pixel inside its sunken border and by its
  // right margin: the text ends exactly where the column begins.
  const int margin = HIWORD(SendMessageW(field(), EM_GETMARGINS, 0, 0));
  EXPECT_EQ(format_right() + margin, col.left);
  // Typed keys, a new font and a resize all make the edit forget the rectangle; it is set again.
  PressKey(app, VK_END);
  EXPECT_LE(format_right(), col.left);
  spin().SetFont({L"Tahoma", 11});
  EXPECT_LE(format_right(), col.left);
  spin().SetBounds96({5, 5, 80, 23});
  EXPECT_EQ(RectIn(column(), field()).left, 80 - 18 - 4);
  EXPECT_LE(format_right(), 80 - 18 - 4);

  // A long number scrolls inside the rectangle and never runs under the column.
  SetText(std::wstring(40, L'8'));
  spin().SetSelection(40, 40);
  POINT caret;
  GetCaretPos(&caret);
  EXPECT_LE(caret.x, 80 - 18 - 4);
}

TEST_F(SpinEditTest, TheColumnScalesWithTheDpi) {
  form.ApplyDpi(144);
  RECT window;
  GetWindowRect(field(), &window);
  const int width = window.right - window.left;
  EXPECT_EQ(width, ScaleTo(5 + 61, 144) - ScaleTo(5, 144));
  EXPECT_EQ(spin().ColumnWidth(), 27);
  EXPECT_EQ(RectIn(column(), field()).left, width - 27 - 4);
  form.ApplyDpi(72);
  EXPECT_EQ(spin().ColumnWidth(), 15) << "never narrower than 15 pixels";
  form.ApplyDpi(96);
  EXPECT_EQ(spin().ColumnWidth(), 18);
}

TEST_F(SpinEditTest, ADisabledFieldHidesAndDisablesItsButtons) {
  RECT format;
  SendMessageW(field(), EM_GETRECT, 0, reinterpret_cast<LPARAM>(&format));
  const LONG with_column = format.right;
  spin().SetEnabled(false);
  EXPECT_FALSE(spin().Button.Visible());
  EXPECT_FALSE(spin().Button.Enabled());
  EXPECT_FALSE(spin().Button.UpButton.Enabled());
  EXPECT_FALSE(spin().Button.DownButton.Enabled());
  SendMessageW(field(), EM_GETRECT, 0, reinterpret_cast<LPARAM>(&format));
  EXPECT_GT(format.right, with_column) << "the text may use the column's room";
  EnableWindow(field(), TRUE);  // straight through the system, not the control
  EXPECT_TRUE(spin().Button.Visible());
  EXPECT_TRUE(spin().Button.DownButton.Enabled());
  spin().SetShowSpinButtons(false);
  EXPECT_FALSE(spin().Button.Visible());
  spin().SetShowSpinButtons(true);
  EXPECT_TRUE(spin().Button.Visible());
}

TEST_F(SpinEditTest, AlignmentAndNumbersOnlyAreTheEditsOwnStyles) {
  EXPECT_TRUE(spin().NumbersOnly());
  EXPECT_EQ(GetWindowLongW(field(), GWL_STYLE) & (ES_CENTER | ES_RIGHT), 0);
  EXPECT_TRUE(GetWindowLongW(field(), GWL_STYLE) & ES_MULTILINE);
  SpinForm right({.Text = L"3", .Alignment = TAlignment::Right});
  EXPECT_EQ(right.spin.Alignment(), TAlignment::Right);
  EXPECT_TRUE(GetWindowLongW(right.spin.Handle(), GWL_STYLE) & ES_RIGHT);
  EXPECT_FALSE(right.spin.NumbersOnly());
}

}  // namespace
