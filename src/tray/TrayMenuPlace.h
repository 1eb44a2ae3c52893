#pragma once
// Where the tray menu opens: at the mouse, or at its icon when the keyboard opened it.

#include <optional>

namespace quenora {

struct ScreenPoint {
  int x = 0;
  int y = 0;
};

// A rectangle on the screen in pixels, its right and bottom edges outside it.
struct ScreenRect {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
};

struct TrayMenuPlace {
  ScreenPoint at;
  // Opened from the keyboard: the menu keeps clear of `icon` instead of covering it.
  bool atIcon = false;
};

// `icon` is where the shell shows the icon, if it says.
TrayMenuPlace PlaceTrayMenu(ScreenPoint mouse, std::optional<ScreenRect> icon);

}  // namespace quenora
