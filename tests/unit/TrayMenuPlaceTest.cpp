#include "tray/TrayMenuPlace.h"

#include <gtest/gtest.h>

namespace quenora {
namespace {

constexpr ScreenRect kIcon{900, 740, 924, 764};

struct Case {
  const char* what;
  ScreenPoint mouse;
  std::optional<ScreenRect> icon;
  int x, y;
  bool atIcon;
};

constexpr Case kCases[] = {
    {"right-clicked on the icon", {910, 750}, kIcon, 910, 750, false},
    {"icon's top-left pixel is on it", {900, 740}, kIcon, 900, 740, false},
    {"keyboard, pointer left elsewhere", {100, 200}, kIcon, 900, 740, true},
    {"just past the right edge", {924, 750}, kIcon, 900, 740, true},
    {"just below the bottom edge", {910, 764}, kIcon, 900, 740, true},
    {"the shell doesn't say where", {100, 200}, std::nullopt, 100, 200, false},
};

TEST(TrayMenuPlaceTest, TheKeyboardsMenuOpensAtTheIconTheMousesAtThePointer) {
  for (const Case& c : kCases) {
    const TrayMenuPlace place = PlaceTrayMenu(c.mouse, c.icon);
    EXPECT_EQ(place.at.x, c.x) << c.what;
    EXPECT_EQ(place.at.y, c.y) << c.what;
    EXPECT_EQ(place.atIcon, c.atIcon) << c.what;
  }
}

}  // namespace
}  // namespace quenora
