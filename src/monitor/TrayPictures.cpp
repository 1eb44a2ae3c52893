#include "monitor/TrayPictures.h"

#include <algorithm>
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
// The geometry is that of the 32 x 32 picture. At another size every rectangle's edges are
// moved to the nearest pixel edge of the scaled picture, and the one-pixel lines (frame,
// shadow, outline, the drive's light and dark edges) become lines of a whole number of pixels,
// never less than one: a picture made at the size the shell shows has no half pixels to
// smear. At 32 every edge stays where it is, so the pictures are those drawn for 32 ever since.
//
// Where the shell still shrinks a 32 x 32 picture (to 16 x 16, or 24 x 24), it averages each
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

// Around the shape on a dark taskbar: light enough for 3:1 and more against the darkest
// taskbars, yet a step below the drive's white highlight, so it reads as an edge, not a glow.
constexpr Rgba kDarkTaskbarEdge = Opaque(200, 200, 200);

// The colours of a shape's outer parts, those that meet the taskbar.
struct OuterColours {
  Rgba frame = kFrameGrey;
  Rgba shadow = kShadow;
  Rgba driveOutline = kDriveOutline;
  Rgba warningOutline = kWarningOutline;
  Rgba discRim = kDiscRim;
};

// A rectangle of pixels, both corners included.
struct Box {
  int left = 0, top = 0, right = 0, bottom = 0;
  int Width() const { return right - left + 1; }
  int Height() const { return bottom - top + 1; }
};

// The 32-pixel geometry at the picture's size.
class Grid {
 public:
  explicit Grid(int size) : size_(size), line_(std::max(1, Edge(1))) {}

  int Size() const { return size_; }
  double Scale() const { return size_ / 32.0; }
  // The pixel edge nearest to edge `v` of the 32-pixel picture; a half goes to the right.
  int Edge(double v) const { return static_cast<int>(std::floor(v * size_ / 32.0 + 0.5)); }
  // The pixels of the 32-pixel rectangle from (left, top) to (right, bottom), included.
  Box Place(int left, int top, int right, int bottom) const {
    return {Edge(left), Edge(top), Edge(right + 1) - 1, Edge(bottom + 1) - 1};
  }
  // The thickness of a line that is one pixel at 32.
  int Line() const { return line_; }
  // The box less a line all round; in a direction too small for that, the box as it is, so
  // that what it holds (the lamp in its rim) doesn't vanish.
  Box Inside(Box box) const {
    if (box.Width() > 2 * line_) box.left += line_, box.right -= line_;
    if (box.Height() > 2 * line_) box.top += line_, box.bottom -= line_;
    return box;
  }

 private:
  int size_;
  int line_;
};

void FillBox(IconPicture& picture, Box box, Rgba colour) {
  for (int y = std::max(box.top, 0); y <= box.bottom && y < picture.Size(); ++y) {
    for (int x = std::max(box.left, 0); x <= box.right && x < picture.Size(); ++x) {
      picture.At(x, y) = colour;
    }
  }
}

void FillDisc(IconPicture& picture, Point centre, double radius, Rgba colour) {
  for (int y = 0; y < picture.Size(); ++y) {
    for (int x = 0; x < picture.Size(); ++x) {
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
  for (int y = 0; y < picture.Size(); ++y) {
    for (int x = 0; x < picture.Size(); ++x) {
      const Point p{x + 0.5, y + 0.5};
      if (EdgeDistance(a, b, p) >= inset && EdgeDistance(b, c, p) >= inset &&
          EdgeDistance(c, a, p) >= inset) {
        picture.At(x, y) = colour;
      }
    }
  }
}

// Paints the 'X' cells of a small glyph, drawn for 32 pixels with its top left cell at
// (left, top). A glyph is drawn cell by cell because no formula gives a question mark that
// stays clean at 16 pixels; at another size each pixel takes the cell under its centre.
template <std::size_t kRows>
void DrawGlyph(IconPicture& picture, const Grid& grid, int left, int top,
               const std::array<std::string_view, kRows>& rows, Rgba colour) {
  const int columns = static_cast<int>(rows[0].size());
  const Box place = grid.Place(left, top, left + columns - 1, top + static_cast<int>(kRows) - 1);
  for (int y = place.top; y <= place.bottom; ++y) {
    const int row = static_cast<int>(std::floor((y + 0.5) / grid.Scale())) - top;
    for (int x = place.left; x <= place.right; ++x) {
      const int column = static_cast<int>(std::floor((x + 0.5) / grid.Scale())) - left;
      if (row >= 0 && row < static_cast<int>(kRows) && column >= 0 && column < columns &&
          rows[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)] == 'X') {
        picture.At(x, y) = colour;
      }
    }
  }
}

// A shape lit from the top left: its box in `outer`, and the dark shadow one line wide to the
// right and below it.
void FillWithShadow(IconPicture& picture, const Grid& grid, Box box, Rgba outer, Rgba shadow) {
  const int line = grid.Line();
  FillBox(picture, {box.left + line, box.bottom + 1, box.right + line, box.bottom + line}, shadow);
  FillBox(picture, {box.right + 1, box.top + line, box.right + line, box.bottom + line}, shadow);
  FillBox(picture, box, outer);
}

// The drive under the fill bar and under the question mark, in rows 16..29: outline over
// columns 1..29 and rows 17..28, a white top and left edge, a darker bottom and right edge,
// and the same dark shadow to the right and below as the bar, so bar and drive read as one
// object.
void DrawDrive(IconPicture& picture, const Grid& grid, const OuterColours& colours) {
  const int line = grid.Line();
  const Box outline = grid.Place(1, 17, 29, 28);
  FillWithShadow(picture, grid, outline, colours.driveOutline, colours.shadow);
  const Box body = grid.Inside(outline);
  FillBox(picture, body, kDriveBody);
  FillBox(picture, {body.left, body.top, body.right, body.top + line - 1}, kDriveHighlight);
  FillBox(picture, {body.left, body.top, body.left + line - 1, body.bottom}, kDriveHighlight);
  FillBox(picture, {body.left + line, body.bottom - line + 1, body.right, body.bottom},
          kDriveShade);
  FillBox(picture, {body.right - line + 1, body.top + line, body.right, body.bottom}, kDriveShade);
  FillBox(picture, grid.Place(6, 22, 17, 23), kDriveSlot);
  // The lamp sits in a dark green rim: bright green alone would hardly stand out from the
  // light grey body once shrunk.
  const Box rim = grid.Place(21, 21, 26, 24);
  FillBox(picture, rim, kLampRim);
  FillBox(picture, grid.Inside(rim), kLampGreen);
}

// The red columns of a bar of `columns` for a fill level: whole columns, so 0 is none, 27 all
// of them, and a fuller drive never shows fewer. In between, the nearest share of the columns
// between the first and the last: on a bar narrower than 27 a drive that holds anything shows
// red, and one not yet full shows green.
int RedColumns(int fillLevel, int columns) {
  if (fillLevel <= 0) return 0;
  if (fillLevel >= kMaxFillLevel) return columns;
  return 1 + ((fillLevel - 1) * (columns - 2) + 12) / (kMaxFillLevel - 2);
}

void DrawFillPicture(IconPicture& picture, const Grid& grid, const OuterColours& colours,
                     int fillLevel) {
  const Box frame = grid.Place(1, 1, 29, 14);
  FillWithShadow(picture, grid, frame, colours.frame, colours.shadow);
  const Box bar = grid.Inside(frame);
  const int firstFree = bar.left + RedColumns(fillLevel, bar.Width());
  FillBox(picture, {bar.left, bar.top, firstFree - 1, bar.bottom}, kUsedRed);
  FillBox(picture, {firstFree, bar.top, bar.right, bar.bottom}, kFreeGreen);
  DrawDrive(picture, grid, colours);
}

// The classic warning sign, as large as the picture allows, because it has to stand out
// among the drive pictures beside it. The mark sits a little below the middle, where the
// triangle is wide enough to leave yellow on both sides of it. It stays an even number of
// pixels wide, so it stands in the middle, and its dot square, no taller than it is wide: so
// yellow parts dot and stroke at every size from 16 to 64.
void DrawAlarmPicture(IconPicture& picture, const Grid& grid, const OuterColours& colours) {
  const double scale = grid.Scale();
  const double size = grid.Size();
  const Point apex{16 * scale, 0.5 * scale};
  const Point right{size, size};
  const Point left{0, size};
  FillTriangle(picture, apex, right, left, 0, colours.warningOutline);
  FillTriangle(picture, apex, right, left, 2.2 * scale, kWarningYellow);
  const int half = std::max(1, static_cast<int>(std::floor(2 * scale)));
  const int markLeft = grid.Size() / 2 - half;
  const int markRight = grid.Size() / 2 + half - 1;
  const Box stroke = grid.Place(14, 12, 17, 21);
  const int dotBottom = grid.Edge(28) - 1;
  FillBox(picture, {markLeft, stroke.top, markRight, stroke.bottom}, kWarningMark);
  FillBox(picture, {markLeft, dotBottom - 2 * half + 1, markRight, dotBottom}, kWarningMark);
}

// The drive with a red disc and a white question mark over its upper part. The disc's centre
// lies on a pixel corner, which keeps its outline free of single stray pixels at the top,
// bottom and sides; its rim stays at least a pixel wide.
void DrawUnreadablePicture(IconPicture& picture, const Grid& grid, const OuterColours& colours) {
  DrawDrive(picture, grid, colours);
  const double scale = grid.Scale();
  const Point discCentre{static_cast<double>(grid.Edge(16)), static_cast<double>(grid.Edge(11))};
  FillDisc(picture, discCentre, 10 * scale, colours.discRim);
  FillDisc(picture, discCentre, std::min(8.6 * scale, 10 * scale - 1), kDiscRed);
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
  DrawGlyph(picture, grid, 10, 4, kQuestionMark, kQuestionWhite);
}

// On a dark taskbar the dark outer parts (shadow, outlines, the disc's rim) melt into it. The
// shape gets a light edge, a line wide, in the pixels around it that are transparent anyway:
// every pixel of the picture itself stays as it is.
void AddDarkTaskbarEdge(IconPicture& picture, int line) {
  const IconPicture shape = picture;
  const int size = picture.Size();
  for (int y = 0; y < size; ++y) {
    for (int x = 0; x < size; ++x) {
      if (shape.At(x, y).a != 0) continue;
      bool nearShape = false;
      for (int dy = -line; dy <= line && !nearShape; ++dy) {
        for (int dx = -line; dx <= line && !nearShape; ++dx) {
          const int nx = x + dx, ny = y + dy;
          nearShape = nx >= 0 && ny >= 0 && nx < size && ny < size && shape.At(nx, ny).a != 0;
        }
      }
      if (nearShape) picture.At(x, y) = kDarkTaskbarEdge;
    }
  }
}

}  // namespace

IconPicture DrawTrayPicture(int index, const TrayPictureStyle& style) {
  const int size = std::clamp(style.size, IconPicture::kMinSize, IconPicture::kMaxSize);
  const Grid grid(size);
  OuterColours colours;
  if (style.look == TrayLook::HighContrast) {
    const Rgba text = Opaque(style.themeText.r, style.themeText.g, style.themeText.b);
    colours = {text, text, text, text, text};
  }
  IconPicture picture(size);
  if (index >= 0 && index <= kMaxFillLevel) {
    DrawFillPicture(picture, grid, colours, index);
  } else if (index == kIconAlarm) {
    DrawAlarmPicture(picture, grid, colours);
  } else {
    // Any other index shows the unreadable drive: a wrong number must not leave a blank icon.
    DrawUnreadablePicture(picture, grid, colours);
  }
  if (style.look == TrayLook::DarkTaskbar) AddDarkTaskbarEdge(picture, grid.Line());
  return picture;
}

TrayPictureStyle TrayPictureStyleFor(const TaskbarLook& taskbar) {
  TrayPictureStyle style;
  style.size = std::clamp(taskbar.smallIconSize, IconPicture::kMinSize, IconPicture::kMaxSize);
  if (taskbar.highContrastText) {
    const std::uint32_t rgb = *taskbar.highContrastText;
    style.look = TrayLook::HighContrast;
    style.themeText = Opaque(static_cast<std::uint8_t>(rgb >> 16),
                             static_cast<std::uint8_t>(rgb >> 8), static_cast<std::uint8_t>(rgb));
  } else if (taskbar.systemUsesLightTheme == "0") {
    style.look = TrayLook::DarkTaskbar;
  }
  return style;
}

}  // namespace quenora
