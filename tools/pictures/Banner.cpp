// The start hint's banner: where to find the program once it runs in the notification area.

#include <algorithm>
#include <cmath>
#include <vector>

#include "Pictures.h"
#include "monitor/TrayPictures.h"

namespace pictures {
namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr int kBannerWidth = 264;
constexpr int kBannerHeight = 64;

// The classic scheme's colours: the desktop, the face of the taskbar and its 3D edges.
const Colour kFace = Rgb(212, 208, 200);
const Colour kHighlight = Rgb(255, 255, 255);
const Colour kShadow = Rgb(128, 128, 128);
const Colour kText = Rgb(0, 0, 0);

// The scene is a screen at 200 percent: the tray pictures at their own 32 pixels, every edge
// of the classic taskbar two pixels wide. At that size the drive icons can be recognised in
// the dialog, which a crop of a screen at 100 percent (16-pixel icons) wouldn't allow.
constexpr double kEdge = 2;
constexpr double kTaskbarTop = 8;
constexpr double kTrayLeft = 50;
constexpr double kTrayTop = kTaskbarTop + 4 * kEdge;
constexpr double kTrayRight = kBannerWidth - 2 * kEdge;
constexpr double kTrayBottom = kTrayTop + 44;
constexpr double kIconTop = 22;
constexpr double kFirstIconLeft = 62;
constexpr double kIconStep = 36;
// Three drives, filled to different levels, so the bars show what the icons are for.
constexpr int kFillLevels[] = {18, 7, 23};

// A polyline of round-ended strokes.
Shape Strokes(std::vector<Point> points, double width) {
  return [points = std::move(points), width](Point p) {
    double distance = 1e9;
    for (std::size_t i = 1; i < points.size(); ++i) {
      distance = std::min(distance, Line(points[i - 1], points[i], width)(p));
    }
    return distance;
  };
}

// Points along an elliptic arc; angles in degrees, clockwise on screen from the right.
std::vector<Point> ArcPoints(Point centre, double radiusX, double radiusY, double fromDegrees,
                             double toDegrees) {
  std::vector<Point> points;
  const int steps = std::max(4, static_cast<int>(std::abs(toDegrees - fromDegrees) / 6));
  for (int i = 0; i <= steps; ++i) {
    const double a = (fromDegrees + (toDegrees - fromDegrees) * i / steps) * kPi / 180;
    points.push_back(centre + Point{radiusX * std::cos(a), radiusY * std::sin(a)});
  }
  return points;
}

Shape Arc(Point centre, double radiusX, double radiusY, double fromDegrees, double toDegrees,
          double width) {
  return Strokes(ArcPoints(centre, radiusX, radiusY, fromDegrees, toDegrees), width);
}

// The clock's digits as the taskbar sets them at 200 percent: a plain sans-serif 16 pixels
// high with two-pixel stems, in a cell 10 pixels wide. Only the figures of "12:34" are needed.
Shape Glyph(char c, Point at) {
  constexpr double kStem = 2.1;
  auto p = [&](double x, double y) { return at + Point{x, y}; };
  switch (c) {
    case '1':
      return Union(Box(at.x + 4.2, at.y, at.x + 6.3, at.y + 16),
                   Union(Line(p(2.2, 3.4), p(5.2, 1.1), kStem),
                         Box(at.x + 1.6, at.y + 14, at.x + 8.8, at.y + 16)));
    case '2': {
      std::vector<Point> points = ArcPoints(p(5, 4.6), 3.8, 3.6, 200, 385);
      points.push_back(p(1.3, 14.9));
      return Union(Strokes(points, kStem), Box(at.x + 0.3, at.y + 14, at.x + 9.6, at.y + 16));
    }
    case '3':
      return Union(Arc(p(4.8, 4.1), 3.5, 3.1, 205, 445, kStem),
                   Union(Line(p(3.4, 7.2), p(4.8, 7.2), kStem),
                         Arc(p(4.8, 11.4), 4.0, 3.6, 270, 518, kStem)));
    case '4':
      return Union(Strokes({p(6.9, 1.0), p(0.9, 11.1), p(9.7, 11.1)}, kStem),
                   Box(at.x + 6.2, at.y, at.x + 8.3, at.y + 16));
    case ':':
      return Union(Box(at.x + 1, at.y + 4.6, at.x + 3.2, at.y + 6.8),
                   Box(at.x + 1, at.y + 12.4, at.x + 3.2, at.y + 14.6));
    default:
      return [](Point) { return 1e9; };
  }
}

// The program's tray picture, pixel for pixel, with its top left corner at `origin`.
Paint TrayIcon(const quenora::IconPicture& picture, Point origin) {
  return [&picture, origin](Point p) {
    const int x = std::clamp(static_cast<int>(std::floor(p.x - origin.x)), 0, 31);
    const int y = std::clamp(static_cast<int>(std::floor(p.y - origin.y)), 0, 31);
    const quenora::Rgba& pixel = picture.At(x, y);
    return Rgb(pixel.r, pixel.g, pixel.b, pixel.a);
  };
}

// A ring as drawn quickly with a red felt pen: a little tilted, not quite round, thicker where
// the pen pressed, and its end running past its start instead of closing neatly.
Shape PenRing(Point centre, double radiusX, double radiusY) {
  constexpr double kTilt = -0.05;
  constexpr double kFrom = 200;
  constexpr double kTo = kFrom + 360 + 38;
  std::vector<Point> points;
  std::vector<double> widths;
  for (double degrees = kFrom; degrees <= kTo; degrees += 3) {
    const double t = (degrees - kFrom) / (kTo - kFrom);
    const double a = degrees * kPi / 180;
    // The hand drifts outwards over the turn, so the end passes outside the start.
    const double grow = 1 + 0.09 * t;
    const double wobble = 1 + 0.025 * std::sin(3 * a + 0.7);
    const Point q{radiusX * grow * wobble * std::cos(a), radiusY * grow * std::sin(a)};
    points.push_back(centre + Point{q.x * std::cos(kTilt) - q.y * std::sin(kTilt),
                                    q.x * std::sin(kTilt) + q.y * std::cos(kTilt)});
    // Thin where the pen touches down and lifts off, firmest on the way round.
    widths.push_back(1.4 + 1.7 * std::sin(std::min(t * 6, 1.0) * kPi / 2) *
                               std::sin(std::min((1 - t) * 5, 1.0) * kPi / 2));
  }
  return [points, widths](Point p) {
    double distance = 1e9;
    for (std::size_t i = 1; i < points.size(); ++i) {
      const double width = (widths[i - 1] + widths[i]) / 2;
      distance = std::min(distance, Line(points[i - 1], points[i], width)(p));
    }
    return distance;
  };
}

}  // namespace

Image DrawStartBanner() {
  // The canvas is square; the banner is its top strip.
  Canvas canvas(kBannerWidth, kBannerWidth);
  const double width = kBannerWidth;

  // The desktop above the taskbar.
  canvas.Fill(
      Box(0, 0, width, kTaskbarTop),
      LinearGradient({0, 0}, {0, kTaskbarTop}, {{0, Rgb(70, 122, 178)}, {1, Rgb(58, 110, 165)}}));

  // The taskbar: raised, so its top edge catches the light.
  canvas.Fill(Box(0, kTaskbarTop, width, kBannerHeight), kFace);
  canvas.Fill(Box(0, kTaskbarTop + kEdge, width, kTaskbarTop + 2 * kEdge), kHighlight);

  // The end of a window's button, as a reminder that this is the taskbar.
  const double buttonTop = kTaskbarTop + 3 * kEdge;
  const double buttonBottom = kBannerHeight - 2 * kEdge;
  const double buttonRight = kTrayLeft - 4 * kEdge;
  canvas.Fill(Box(-10, buttonTop, buttonRight, buttonBottom), Rgb(64, 64, 64));
  canvas.Fill(Box(-10, buttonTop, buttonRight - kEdge, buttonBottom - kEdge), kHighlight);
  canvas.Fill(Box(-10, buttonTop + kEdge, buttonRight - kEdge, buttonBottom - kEdge), kShadow);
  canvas.Fill(Box(-10, buttonTop + kEdge, buttonRight - 2 * kEdge, buttonBottom - 2 * kEdge),
              kFace);
  // The button shows a folder, as the file manager's does: the picture a user knows best.
  const Point folder{4, kIconTop + 5};
  const Colour folderEdge = Rgb(150, 110, 20);
  const Shape back = Union(Box(folder.x, folder.y, folder.x + 12, folder.y + 6, 1.5),
                           Box(folder.x, folder.y + 3, folder.x + 28, folder.y + 22, 1.5));
  canvas.Fill(Grow(back, 1), folderEdge);
  canvas.Fill(back, Rgb(228, 184, 72));
  canvas.Fill(Box(folder.x + 3, folder.y + 6, folder.x + 25, folder.y + 12), Rgb(255, 255, 255));
  const Shape front = Polygon({{folder.x, folder.y + 22},
                               {folder.x + 3, folder.y + 9},
                               {folder.x + 31, folder.y + 9},
                               {folder.x + 28, folder.y + 22}});
  canvas.Fill(Grow(front, 1), folderEdge);
  canvas.Fill(front, LinearGradient({0, folder.y + 9}, {0, folder.y + 22},
                                    {{0, Rgb(255, 226, 120)}, {1, Rgb(236, 186, 56)}}));

  // The notification area, sunken into it: shade above and left, light below and right.
  canvas.Fill(Box(kTrayLeft, kTrayTop, kTrayRight, kTrayBottom), kHighlight);
  canvas.Fill(Box(kTrayLeft, kTrayTop, kTrayRight - kEdge, kTrayBottom - kEdge), kShadow);
  canvas.Fill(Box(kTrayLeft + kEdge, kTrayTop + kEdge, kTrayRight - kEdge, kTrayBottom - kEdge),
              kFace);

  // Our icons, as the program draws them.
  std::vector<quenora::IconPicture> icons;
  for (const int level : kFillLevels) icons.push_back(quenora::DrawTrayPicture(level));
  for (std::size_t i = 0; i < icons.size(); ++i) {
    const Point origin{kFirstIconLeft + kIconStep * static_cast<double>(i), kIconTop};
    canvas.Fill(Box(origin.x, origin.y, origin.x + 32, origin.y + 32), TrayIcon(icons[i], origin));
  }

  // The clock, right-aligned in the area, on the icons' middle line.
  const char kTime[] = "12:34";
  double advance = 0;
  for (const char c : std::string_view(kTime)) advance += c == ':' ? 6 : 12;
  Point pen{kTrayRight - kEdge - 6 - advance + 2, kIconTop + 16 - 8};
  for (const char c : std::string_view(kTime)) {
    canvas.Fill(Glyph(c, pen), kText);
    pen.x += c == ':' ? 6 : 12;
  }

  // The red ring round the icons.
  const double iconsLeft = kFirstIconLeft + 1;
  const double iconsRight = kFirstIconLeft + kIconStep * (std::size(kFillLevels) - 1) + 31;
  canvas.Fill(PenRing({(iconsLeft + iconsRight) / 2, kIconTop + 15.5},
                      (iconsRight - iconsLeft) / 2 + 16, 22.5),
              Rgb(222, 20, 16), 0.92);

  Image full = canvas.ToImage();
  Image banner;
  banner.width = kBannerWidth;
  banner.height = kBannerHeight;
  banner.rgba.assign(full.rgba.begin(), full.rgba.begin() + static_cast<std::ptrdiff_t>(
                                                                kBannerWidth * kBannerHeight * 4));
  return banner;
}

}  // namespace pictures
