#include "monitor/TrayPictures.h"

#include <array>
#include <cmath>
#include <cstddef>
#include <string_view>

namespace quenora {
namespace {

// Shapes are placed in continuous coordinates: pixel (x, y) covers the square from (x, y) to
// (x + 1, y + 1), so its centre is (x + 0.5, y + 0.5) and the picture's centre is (16, 16).
// A pixel belongs to a shape when its centre does. With alpha only 0 or 255 there is no soft
// edge to be had, so the shapes are sized to land on whole pixels.
//
// The shell mostly shows these pictures shrunk to 16 x 16 (or 24 x 24), which averages each
// 2 x 2 block. Details that must survive that (the slot, the lamp, the exclamation mark, the
// strokes of the question mark) are therefore two or four pixels thick and start on even
// rows and columns, so they shrink to whole pixels instead of smearing into their neighbours.
struct Point {
  double x = 0;
  double y = 0;
};

constexpr Rgba Opaque(std::uint8_t r, std::uint8_t g, std::uint8_t b) {
  return {r, g, b, 255};
}

// The fill bar: used space in pure red, free space in pure green, nothing in between, so the
// share can be read off by counting columns.
constexpr Rgba kUsedRed = Opaque(255, 0, 0);
constexpr Rgba kFreeGreen = Opaque(0, 255, 0);
constexpr Rgba kFrameGrey = Opaque(128, 128, 128);
constexpr Rgba kShadow = Opaque(48, 48, 48);

// The drive: a light grey box lit from the top left, as Windows has drawn its drives for ages.
constexpr Rgba kDriveOutline = Opaque(64, 64, 64);
constexpr Rgba kDriveBody = Opaque(192, 192, 192);
constexpr Rgba kDriveHighlight = Opaque(255, 255, 255);
constexpr Rgba kDriveShade = Opaque(128, 128, 128);
constexpr Rgba kDriveSlot = Opaque(32, 32, 32);
constexpr Rgba kLampRim = Opaque(0, 96, 0);
constexpr Rgba kLampGreen = Opaque(0, 255, 0);

constexpr Rgba kWarningYellow = Opaque(255, 216, 0);
constexpr Rgba kWarningOutline = Opaque(48, 32, 0);
constexpr Rgba kWarningMark = Opaque(16, 16, 16);

constexpr Rgba kDiscRed = Opaque(220, 0, 0);
constexpr Rgba kDiscRim = Opaque(112, 0, 0);
constexpr Rgba kQuestionWhite = Opaque(255, 255, 255);

// The bar's inner area, one column per fill level; the frame runs one pixel around it.
constexpr int kBarLeft = 2;
constexpr int kBarRight = kBarLeft + kMaxFillLevel - 1;
constexpr int kBarTop = 2;
constexpr int kBarBottom = 13;

// Fills the rectangle with both corners included.
void FillRect(IconPicture& picture, int left, int top, int right, int bottom, Rgba colour) {
  for (int y = top; y <= bottom; ++y) {
    for (int x = left; x <= right; ++x) picture.At(x, y) = colour;
  }
}

void FillDisc(IconPicture& picture, Point centre, double radius, Rgba colour) {
  for (int y = 0; y < IconPicture::kSize; ++y) {
    for (int x = 0; x < IconPicture::kSize; ++x) {
      const double dx = x + 0.5 - centre.x;
      const double dy = y + 0.5 - centre.y;
      if (dx * dx + dy * dy <= radius * radius) picture.At(x, y) = colour;
    }
  }
}

// Distance of p from the line through a and b, positive on the inside of a triangle whose
// corners run clockwise on screen (y grows downwards).
double EdgeDistance(Point a, Point b, Point p) {
  const double cross = (b.x - a.x) * (p.y - a.y) - (b.y - a.y) * (p.x - a.x);
  return cross / std::hypot(b.x - a.x, b.y - a.y);
}

// Fills the pixels whose centres lie inside the clockwise triangle a, b, c and at least
// `inset` away from each of its edges. The same triangle filled twice, the second time with
// an inset, gets an outline of even width along all three edges.
void FillTriangle(IconPicture& picture, Point a, Point b, Point c, double inset, Rgba colour) {
  for (int y = 0; y < IconPicture::kSize; ++y) {
    for (int x = 0; x < IconPicture::kSize; ++x) {
      const Point p{x + 0.5, y + 0.5};
      if (EdgeDistance(a, b, p) >= inset && EdgeDistance(b, c, p) >= inset &&
          EdgeDistance(c, a, p) >= inset) {
        picture.At(x, y) = colour;
      }
    }
  }
}

// Paints the 'X' cells of a small glyph with its top left cell at (left, top). A glyph is
// drawn cell by cell because no formula gives a question mark that stays clean at 16 pixels.
template <std::size_t kRows>
void DrawGlyph(IconPicture& picture, int left, int top,
               const std::array<std::string_view, kRows>& rows, Rgba colour) {
  for (std::size_t row = 0; row < kRows; ++row) {
    for (std::size_t column = 0; column < rows[row].size(); ++column) {
      if (rows[row][column] == 'X') {
        picture.At(left + static_cast<int>(column), top + static_cast<int>(row)) = colour;
      }
    }
  }
}

// The drive under the fill bar and under the question mark, in rows 16..29: outline over
// columns 1..29 and rows 17..28, a white top and left edge, a darker bottom and right edge,
// and the same dark shadow to the right and below as the bar, so bar and drive read as one
// object.
void DrawDrive(IconPicture& picture) {
  FillRect(picture, 2, 29, 30, 29, kShadow);
  FillRect(picture, 30, 18, 30, 29, kShadow);
  FillRect(picture, 1, 17, 29, 28, kDriveOutline);
  FillRect(picture, 2, 18, 28, 27, kDriveBody);
  FillRect(picture, 2, 18, 28, 18, kDriveHighlight);
  FillRect(picture, 2, 18, 2, 27, kDriveHighlight);
  FillRect(picture, 3, 27, 28, 27, kDriveShade);
  FillRect(picture, 28, 19, 28, 27, kDriveShade);
  FillRect(picture, 6, 22, 17, 23, kDriveSlot);
  // The lamp sits in a dark green rim: bright green alone would hardly stand out from the
  // light grey body once shrunk.
  FillRect(picture, 21, 21, 26, 24, kLampRim);
  FillRect(picture, 22, 22, 25, 23, kLampGreen);
}

void DrawFillPicture(IconPicture& picture, int fillLevel) {
  FillRect(picture, 2, 15, 30, 15, kShadow);
  FillRect(picture, 30, 2, 30, 15, kShadow);
  FillRect(picture, 1, 1, 29, 14, kFrameGrey);
  const int firstFree = kBarLeft + fillLevel;
  if (fillLevel > 0) FillRect(picture, kBarLeft, kBarTop, firstFree - 1, kBarBottom, kUsedRed);
  if (fillLevel < kMaxFillLevel) {
    FillRect(picture, firstFree, kBarTop, kBarRight, kBarBottom, kFreeGreen);
  }
  DrawDrive(picture);
}

// The classic warning sign, as large as the picture allows, because it has to stand out
// among the drive pictures beside it. The mark sits a little below the middle, where the
// triangle is wide enough to leave yellow on both sides of it.
void DrawAlarmPicture(IconPicture& picture) {
  const Point apex{16, 0.5};
  const Point right{32, 32};
  const Point left{0, 32};
  FillTriangle(picture, apex, right, left, 0, kWarningOutline);
  FillTriangle(picture, apex, right, left, 2.2, kWarningYellow);
  FillRect(picture, 14, 12, 17, 21, kWarningMark);
  FillRect(picture, 14, 24, 17, 27, kWarningMark);
}

// The drive with a red disc and a white question mark over its upper part. The disc's centre
// lies on a pixel corner, which keeps its outline free of single stray pixels at the top,
// bottom and sides.
void DrawUnreadablePicture(IconPicture& picture) {
  DrawDrive(picture);
  const Point discCentre{16, 11};
  FillDisc(picture, discCentre, 10, kDiscRim);
  FillDisc(picture, discCentre, 8.6, kDiscRed);
  constexpr std::array<std::string_view, 14> kQuestionMark = {
      "...XXXXXX...",  //
      ".XXXXXXXXXX.",  //
      "XXXX....XXXX",  //
      "XXX......XXX",  //
      "........XXXX",  //
      ".......XXXX.",  //
      "......XXXX..",  //
      ".....XXXX...",  //
      "....XXXX....",  //
      "....XXXX....",  //
      "............",  //
      "............",  //
      "....XXXX....",  //
      "....XXXX....",  //
  };
  DrawGlyph(picture, 10, 4, kQuestionMark, kQuestionWhite);
}

}  // namespace

IconPicture DrawTrayPicture(int index) {
  IconPicture picture;
  if (index >= 0 && index <= kMaxFillLevel) {
    DrawFillPicture(picture, index);
  } else if (index == kIconAlarm) {
    DrawAlarmPicture(picture);
  } else {
    // Any other index shows the unreadable drive: a wrong number must not leave a blank icon.
    DrawUnreadablePicture(picture);
  }
  return picture;
}

}  // namespace quenora
