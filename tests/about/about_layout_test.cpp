// The About window's texts: the support line as high as its text, the details filling the rest
// down to the panel, and nothing pushed over or under the panel.
#include <gtest/gtest.h>

#include "about/about_layout.h"

namespace {

TEST(AboutLayout, TheDetailsTakeWhatTheSupportLineLeavesAboveThePanel) {
  struct Case {
    int help_height;
    int rec_y, rec_height;
  };
  const Case cases[] = {
      {13, 184, 123},  // one line: the layout as designed
      {26, 197, 110},  // wrapped in two
      {0, 171, 136},
      {136, 307, 0},   // the support line reaches the panel: no room is left for the details
      {500, 307, 0},
  };
  for (const Case& c : cases) {
    const TAboutTextPlaces p = AboutTextPlaces(c.help_height);
    EXPECT_EQ(p.help.y, kLabelHelp.y);
    EXPECT_EQ(p.help.height, c.help_height);
    EXPECT_EQ(p.rec.y, c.rec_y) << c.help_height;
    EXPECT_EQ(p.rec.height, c.rec_height) << c.help_height;
    EXPECT_EQ(p.rec.x, kLabelRec.x);
    EXPECT_EQ(p.rec.width, kLabelRec.width);
  }
}

TEST(AboutLayout, TheTextsAndThePanelStandInsideThePicture) {
  for (const TRect96& r : {kLabelAuth, kLabelHelp, kLabelRec, kAboutPanel}) {
    EXPECT_TRUE(r.x >= 0 && r.y >= kAboutBandHeight && r.x + r.width <= kAboutPictureWidth &&
                r.y + r.height <= kAboutPictureHeight)
        << r.x << ',' << r.y;
  }
  EXPECT_EQ(kAboutPanel.y + kAboutPanel.height, kAboutPictureHeight);
  EXPECT_LE(kAboutCloseButton.x + kAboutCloseButton.width, kAboutPanel.width);
  EXPECT_LE(kAboutCloseButton.y + kAboutCloseButton.height, kAboutPanel.height);
}

}  // namespace
