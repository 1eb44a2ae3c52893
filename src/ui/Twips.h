#pragma once
// Twips, the unit the windows' layouts are given in: 1/1440 inch, 15 to a pixel at 96 dpi.

namespace quenora {

struct TwipsRect {
  int left, top, width, height;
};

// Pixels for twips at the given dots per inch, rounded to the nearest.
int TwipsToPixels(int twips, int dpi);

}  // namespace quenora
