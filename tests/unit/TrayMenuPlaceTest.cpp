#include "tray/TrayMenuPlace.h"

#include <gtest/gtest.h>

namespace quenora {
namespace {

TEST(TrayMenuPlaceTest, TheKeyboardsMenuOpensAtTheIconTheMousesAtThePointer) {
  constexpr ScreenRect kIcon{900, 740, 924, 764};
  struct Case {
    ScreenPoint mouse;
    std::optional<ScreenRect> icon;
    int x, y;
    bool atIcon;
  } const cases[] = {
      {{900, 740}, kIcon, 900, 740, false},        // right-clicked on the icon
      {{924, 750}, kIcon, 900, 740, true},         // just past its right edge: the keyboard
      {{910, 764}, kIcon, 900, 740, true},         // just below it
      {{100, 200}, std::nullopt, 100, 200, false}  // the shell doesn't say where it is
  };
  for (const Case& c : cases) {
    const TrayMenuPlace place = PlaceTrayMenu(c.mouse, c.icon);
    EXPECT_EQ(place.at.x, c.x) << c.mouse.x << "," << c.mouse.y;
    EXPECT_EQ(place.at.y, c.y) << c.mouse.x << "," << c.mouse.y;
    EXPECT_EQ(place.atIcon, c.atIcon) << c.mouse.x << "," << c.mouse.y;
  }
}

}  // namespace
}  // namespace quenora
