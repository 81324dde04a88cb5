// The details take what the support line leaves above the panel, and nothing when it leaves
// nothing.
#include "about/about_layout.h"

#include <algorithm>

TAboutTextPlaces AboutTextPlaces(int help_height) noexcept {
  constexpr int kHelpBottomMargin = 3, kRecTopMargin = 1;
  TAboutTextPlaces places{kLabelHelp, kLabelRec};
  places.help.height = help_height;
  places.rec.y = std::min(kLabelHelp.y + help_height + kHelpBottomMargin + kRecTopMargin, kAboutPanel.y);
  places.rec.height = kAboutPanel.y - places.rec.y;
  return places;
}
