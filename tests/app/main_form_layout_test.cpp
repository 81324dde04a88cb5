// The main window's layout: every control inside its parent, none over another, the window's
// parts stacked from top to bottom and the buttons on one row.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/main_form_layout.h"

namespace {

struct TPart {
  const char* name;
  TRect96 r;
};

bool Overlap(const TRect96& a, const TRect96& b) {
  return a.x < b.x + b.width && b.x < a.x + a.width && a.y < b.y + b.height && b.y < a.y + a.height;
}

void ExpectInsideAndApart(const char* parent, int width, int height, const std::vector<TPart>& parts) {
  for (std::size_t i = 0; i < parts.size(); ++i) {
    const TRect96& r = parts[i].r;
    EXPECT_TRUE(r.x >= 0 && r.y >= 0 && r.x + r.width <= width && r.y + r.height <= height)
        << parts[i].name << " leaves " << parent;
    EXPECT_TRUE(r.width > 0 && r.height > 0) << parts[i].name;
    for (std::size_t j = i + 1; j < parts.size(); ++j) {
      EXPECT_FALSE(Overlap(r, parts[j].r)) << parts[i].name << " over " << parts[j].name;
    }
  }
}

TEST(MainFormLayout, EveryControlStandsInsideItsParentAndNoneOverAnother) {
  ExpectInsideAndApart("the window", kClientWidth, kClientHeight,
                       {{"group", kGroupBox}, {"password", kEditPass}, {"panel", kPanel}, {"banner", kLabelReclam}});
  ExpectInsideAndApart("the group", kGroupBox.width, kGroupBox.height, {{"alphabet", kEditMask}, {"length", kSpinEdit}});
  ExpectInsideAndApart("the panel", kPanel.width, kPanel.height,
                       {{"generate", kBtnGen}, {"file", kBtnGenFile}, {"about", kBtnAbout}, {"exit", kBtnExit}});
}

TEST(MainFormLayout, TheBannerSpansTheFootAndTheButtonsShareARow) {
  EXPECT_EQ(kLabelReclam.y + kLabelReclam.height, kClientHeight);
  EXPECT_EQ(kLabelReclam.width, kClientWidth);
  EXPECT_EQ(kPanel.y + kPanel.height, kLabelReclam.y) << "the banner right under the buttons";
  for (const TRect96& b : {kBtnGenFile, kBtnAbout, kBtnExit}) {
    EXPECT_EQ(b.y, kBtnGen.y);
    EXPECT_EQ(b.height, kBtnGen.height);
  }
  EXPECT_EQ(kEditMask.y, kSpinEdit.y);
  EXPECT_EQ(kEditMask.height, kSpinEdit.height);
}

}  // namespace
