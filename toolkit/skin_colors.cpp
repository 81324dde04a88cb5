// One row of colours a section; high contrast maps the system's few colours onto the same roles.
#include "toolkit/skin_colors.h"

namespace {

constexpr TSkinColors kForm{Rgb(240, 240, 240), Rgb(220, 220, 220), Rgb(0, 0, 0),       Rgb(240, 240, 240),
                            Rgb(220, 220, 220), Rgb(240, 240, 240), Rgb(220, 220, 220), Rgb(220, 220, 220),
                            Rgb(131, 131, 131)};
constexpr TSkinColors kEdit{Rgb(255, 255, 255), Rgb(171, 173, 179), Rgb(0, 0, 0),      Rgb(255, 255, 255),
                            Rgb(126, 180, 234), Rgb(255, 255, 255), Rgb(86, 157, 229), Rgb(0, 120, 215),
                            Rgb(131, 131, 131)};
constexpr TSkinColors kButton{Rgb(225, 225, 225), Rgb(173, 173, 173), Rgb(0, 0, 0),   Rgb(229, 241, 251),
                              Rgb(0, 120, 215),   Rgb(204, 228, 247), Rgb(0, 84, 153), Rgb(0, 120, 215),
                              Rgb(131, 131, 131)};
constexpr TSkinColors kPanel{Rgb(240, 240, 240), Rgb(240, 240, 240), Rgb(0, 0, 0),       Rgb(240, 240, 240),
                             Rgb(240, 240, 240), Rgb(240, 240, 240), Rgb(240, 240, 240), Rgb(240, 240, 240),
                             Rgb(131, 131, 131)};
constexpr TSkinColors kGroupBox{Rgb(240, 240, 240), Rgb(213, 223, 229), Rgb(0, 0, 0),       Rgb(240, 240, 240),
                                Rgb(213, 223, 229), Rgb(240, 240, 240), Rgb(213, 223, 229), Rgb(213, 223, 229),
                                Rgb(131, 131, 131)};
constexpr TSkinColors kSpeedButton{Rgb(240, 240, 240), Rgb(240, 240, 240), Rgb(64, 64, 64),  Rgb(229, 241, 251),
                                   Rgb(0, 120, 215),   Rgb(204, 228, 247), Rgb(0, 84, 153), Rgb(0, 120, 215),
                                   Rgb(170, 170, 170)};

}  // namespace

TSkinColors LightSkin(TSkinSection section) noexcept {
  switch (section) {
    case TSkinSection::Edit: return kEdit;
    case TSkinSection::Button: return kButton;
    case TSkinSection::Panel: return kPanel;
    case TSkinSection::GroupBox: return kGroupBox;
    case TSkinSection::SpeedButtonSmall: return kSpeedButton;
    case TSkinSection::Form: break;
  }
  return kForm;
}

TSkinColors HighContrastSkin(TSkinSection section, const TSystemColors& system) noexcept {
  const bool field = section == TSkinSection::Edit;
  const TColor face = field ? system.window : system.button_face;
  const TColor text = field ? system.window_text : system.button_text;
  const TColor border = section == TSkinSection::SpeedButtonSmall ? face : text;
  return TSkinColors{face,           border, text, face, system.hot_light, face, system.highlight, system.highlight,
                     system.gray_text};
}
