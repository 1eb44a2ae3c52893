#include "Pictures.h"

#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

namespace pictures {
namespace {

constexpr double kPi = 3.14159265358979323846;

// The page pictures and the emblem are drawn on a 48-unit square; at 48 pixels one unit is
// one pixel, so that is the size the details are judged at.
constexpr double kPageDesign = 48;

const Colour kWhite = Rgb(255, 255, 255);
const Colour kBlack = Rgb(0, 0, 0);

// All outlines share one darkness, tinted by the object's own colour, so the pictures look
// like one set beside each other.
Colour OutlineOf(Colour base) {
  return Mix(base, Rgb(16, 16, 24), 0.72);
}

// One pixel up to 72 pixels, two from 96 on: an outline that stays a whole number of pixels
// wide is crisp at every size.
double OutlineWidth(const Canvas& canvas) {
  return canvas.Px(std::floor(canvas.Scale() + 0.3));
}

// The soft shadow every page picture casts towards the bottom right.
void CastShadow(Canvas& canvas) {
  canvas.AddShadow(0.9 * canvas.Scale(), 1.6 * canvas.Scale(), 0.32);
}

// Light falls from the top left: the edges of a raised face that look that way catch it, the
// ones looking away lie in shade. `width` is the width of either band.
void Bevel(Canvas& canvas, const Shape& face, double width, double light, double shade) {
  canvas.Fill(Subtract(face, Move(face, {width, width})), kWhite, light);
  canvas.Fill(Subtract(face, Move(face, {-width, -width})), kBlack, shade);
}

Point Direction(double radians) {
  return {std::cos(radians), std::sin(radians)};
}

// A clock hand from the centre towards `clockAngle` (0 at twelve, turning clockwise), wide at
// the hub and narrowing to its tip.
Shape ClockHand(Point centre, double clockAngle, double length, double baseWidth, double tipWidth) {
  const Point along{std::sin(clockAngle), -std::cos(clockAngle)};
  const Point across{-along.y, along.x};
  const Point tail = centre - along * (baseWidth * 0.8);
  const Point tip = centre + along * length;
  return Polygon({tail + across * (baseWidth / 2), tip + across * (tipWidth / 2),
                  tip - across * (tipWidth / 2), tail - across * (baseWidth / 2)});
}

// The outline of a gear wheel: `teeth` flat-topped teeth between the root and tip radii,
// with sloping flanks; `phase` is the direction of the first tooth.
Shape GearWheel(Point centre, int teeth, double rootRadius, double tipRadius, double phase) {
  constexpr int kStepsPerTooth = 36;
  const int steps = teeth * kStepsPerTooth;
  auto radiusAt = [=](double angle) {
    // 1 at the middle of a tooth, -1 in the middle of a gap; the thresholds make a tooth a
    // little narrower than a gap halfway up, so that the wheel's thickness and outline leave
    // the gaps open.
    const double wave = std::cos(teeth * (angle - phase));
    const double t = std::clamp((wave + 0.2) / 0.8, 0.0, 1.0);
    return rootRadius + (tipRadius - rootRadius) * t * t * (3 - 2 * t);
  };
  std::vector<Point> corners;
  for (int i = 0; i < steps; ++i) {
    const double angle = 2 * kPi * i / steps;
    corners.push_back(centre + Direction(angle) * radiusAt(angle));
  }
  // The nearest edge is never farther than the edge straight out from the centre through
  // p, which bounds the angle within which it can lie; only the edges there are looked at,
  // which keeps the wheel quick enough to be swept and bevelled. Far outside and deep inside
  // the circles are close enough; nothing is grown or outlined by that much.
  constexpr double kExactBand = 4;
  const double stepAngle = 2 * kPi / steps;
  return [=](Point p) {
    const Point q = p - centre;
    const double r = std::hypot(q.x, q.y);
    if (r >= tipRadius + kExactBand) return r - tipRadius;
    if (r <= rootRadius - kExactBand) return r - rootRadius;
    double angle = std::atan2(q.y, q.x);
    if (angle < 0) angle += 2 * kPi;
    const double radial = std::abs(r - radiusAt(angle));
    const double reach = radial >= r ? kPi : std::asin(radial / r);
    const int window = static_cast<int>(std::ceil(reach / stepAngle)) + 1;
    const int nearest = static_cast<int>(angle / stepAngle);
    double distance = radial;
    for (int i = nearest - window; i <= nearest + window; ++i) {
      const Point a = corners[static_cast<std::size_t>((i % steps + steps) % steps)];
      const Point b = corners[static_cast<std::size_t>(((i + 1) % steps + steps) % steps)];
      const Point ab = b - a;
      const double t = std::clamp(
          ((p.x - a.x) * ab.x + (p.y - a.y) * ab.y) / (ab.x * ab.x + ab.y * ab.y), 0.0, 1.0);
      distance = std::min(distance, std::hypot(p.x - a.x - ab.x * t, p.y - a.y - ab.y * t));
    }
    return r <= radiusAt(angle) ? -distance : distance;
  };
}

struct Metal {
  Colour light;
  Colour dark;
  Colour side;
};

// A gear plate lying flat, its thickness showing to the bottom right.
void DrawGear(Canvas& canvas, const Shape& wheel, Point centre, double hubRadius,
              const Shape& holes, const Metal& metal) {
  const double outline = OutlineWidth(canvas);
  const Shape face = Subtract(wheel, holes);
  const Point thickness{1.0, 1.3};
  const Shape solid = Sweep(face, thickness);
  canvas.Fill(Grow(solid, outline), OutlineOf(metal.dark));
  canvas.Fill(solid, LinearGradient(centre - Point{10, 10}, centre + Point{12, 12},
                                    {{0, metal.dark}, {1, metal.side}}));
  const double reach = 16;
  canvas.Fill(face,
              LinearGradient(
                  centre - Point{reach, reach} * 0.7, centre + Point{reach, reach} * 0.7,
                  {{0, metal.light}, {0.55, Mix(metal.light, metal.dark, 0.45)}, {1, metal.dark}}));
  // The hub is a shallow raised boss: its rim catches the light on the far side and drops a
  // shade on the near one.
  const Shape hub = Subtract(Circle(centre, hubRadius), holes);
  canvas.Fill(hub, LinearGradient(centre - Point{hubRadius, hubRadius},
                                  centre + Point{hubRadius, hubRadius},
                                  {{0, Mix(metal.light, kWhite, 0.3)}, {1, metal.dark}}));
  Bevel(canvas, hub, outline * 0.9, 0.5, 0.28);
  canvas.Fill(Outline(Circle(centre, hubRadius + outline * 0.5), outline), OutlineOf(metal.dark),
              0.55);
  Bevel(canvas, face, outline * 0.9, 0.55, 0.25);
}

}  // namespace

Image DrawPageDrives(int pixels) {
  Canvas canvas(pixels, kPageDesign);
  const double outline = OutlineWidth(canvas);

  // A drive lying flat, seen from the front, a little from above and from the right. The
  // front face is placed on whole pixels so its long edges stay sharp.
  const double left = canvas.Snap(2);
  const double right = canvas.Snap(36);
  const double top = canvas.Snap(24);
  const double bottom = canvas.Snap(38);
  const Point depth{canvas.Snap(9), canvas.Snap(-13)};
  auto onTop = [&](double u, double v) {
    return Point{left + (right - left) * u + depth.x * v, top + depth.y * v};
  };
  const Shape front = Box(left, top, right, bottom);
  const Shape topFace = Polygon({onTop(0, 0), onTop(0, 1), onTop(1, 1), onTop(1, 0)});
  const Shape side = Polygon({{right, top},
                              {right + depth.x, top + depth.y},
                              {right + depth.x, bottom + depth.y},
                              {right, bottom}});
  const Shape body = Union(front, Union(topFace, side));

  const Colour steel = Rgb(168, 172, 180);
  canvas.Fill(Grow(body, outline), OutlineOf(steel));
  canvas.Fill(topFace, LinearGradient(onTop(0, 1), onTop(1, 0),
                                      {{0, Rgb(246, 247, 250)}, {1, Rgb(196, 200, 208)}}));
  canvas.Fill(side, LinearGradient({right, top}, {right + depth.x, bottom},
                                   {{0, Rgb(150, 154, 164)}, {1, Rgb(104, 108, 118)}}));
  canvas.Fill(front, LinearGradient({left, top}, {left, bottom},
                                    {{0, Rgb(218, 221, 226)}, {1, Rgb(170, 174, 182)}}));
  // The edge where top and front meet faces the light.
  canvas.Fill(Box(left, top, right, top + outline), kWhite, 0.85);
  canvas.Fill(Box(left, top, left + outline, bottom), kWhite, 0.5);

  // The cover of the drive: a label with a few lines of print, and a screw in each corner.
  const Shape label =
      Polygon({onTop(0.18, 0.2), onTop(0.18, 0.8), onTop(0.72, 0.8), onTop(0.72, 0.2)});
  canvas.Fill(Grow(label, outline * 0.5), Rgb(150, 154, 162));
  canvas.Fill(label, LinearGradient(onTop(0.18, 0.8), onTop(0.72, 0.2),
                                    {{0, Rgb(255, 255, 255)}, {1, Rgb(226, 232, 244)}}));
  for (double v : {0.38, 0.62}) {
    canvas.Fill(Line(onTop(0.26, v), onTop(0.64, v), outline * 0.9), Rgb(120, 132, 160));
  }
  for (auto [u, v] :
       {std::pair{0.07, 0.2}, std::pair{0.93, 0.2}, std::pair{0.07, 0.8}, std::pair{0.93, 0.8}}) {
    const Point screw = onTop(u, v);
    canvas.Fill(Ellipse(screw, 1.3, 0.95), Rgb(110, 114, 124));
    canvas.Fill(Ellipse(screw - Point{0.3, 0.25}, 0.6, 0.45), kWhite, 0.8);
  }

  // The front: a dark ventilation slot and the green activity lamp.
  const double rowTop = canvas.Snap(top + (bottom - top) / 2 - 1.5);
  const double rowBottom = rowTop + canvas.Snap(3);
  const Shape slot = Box(left + canvas.Snap(4), rowTop, left + canvas.Snap(19), rowBottom, 0.8);
  canvas.Fill(Move(slot, {0, outline}), kWhite, 0.7);
  canvas.Fill(slot, LinearGradient({0, rowTop}, {0, rowBottom},
                                   {{0, Rgb(40, 42, 48)}, {1, Rgb(88, 92, 100)}}));
  const Shape lamp = Box(right - canvas.Snap(9), rowTop, right - canvas.Snap(4), rowBottom, 0.8);
  canvas.Fill(Grow(lamp, outline), Rgb(0, 90, 0));
  canvas.Fill(lamp, LinearGradient({0, rowTop}, {0, rowBottom},
                                   {{0, Rgb(150, 255, 140)}, {1, Rgb(20, 200, 30)}}));
  CastShadow(canvas);
  return canvas.ToImage();
}

Image DrawPageInterval(int pixels) {
  Canvas canvas(pixels, kPageDesign);
  const double outline = OutlineWidth(canvas);

  // The calendar sheet, upper left.
  const double left = canvas.Snap(3);
  const double right = canvas.Snap(33);
  const double top = canvas.Snap(6);
  const double bottom = canvas.Snap(38);
  const double headerBottom = canvas.Snap(15);
  const Shape sheet = Box(left, top, right, bottom, 2.5);
  canvas.Fill(Grow(sheet, outline), OutlineOf(Rgb(200, 200, 200)));
  canvas.Fill(sheet, LinearGradient({left, top}, {right, bottom},
                                    {{0, Rgb(255, 255, 255)}, {1, Rgb(226, 228, 232)}}));
  const Shape header = Intersect(sheet, Box(left - 1, top - 1, right + 1, headerBottom));
  canvas.Fill(header, LinearGradient({0, top}, {0, headerBottom},
                                     {{0, Rgb(244, 96, 80)}, {1, Rgb(190, 28, 20)}}));
  canvas.Fill(Box(left, headerBottom, right, headerBottom + outline), Rgb(120, 20, 16), 0.8);
  canvas.Fill(Intersect(header, Box(left, top, right, top + outline)), kWhite, 0.45);

  // The days: a grid of small squares, today's in red.
  for (int row = 0; row < 4; ++row) {
    for (int column = 0; column < 4; ++column) {
      const double x = canvas.Snap(left + 3 + column * 6.5);
      const double y = canvas.Snap(headerBottom + 3 + row * 5);
      const Shape day = Box(x, y, x + canvas.Snap(4.5), y + canvas.Snap(3), 0.4);
      const bool today = row == 1 && column == 1;
      canvas.Fill(day, today ? Rgb(222, 44, 32) : Rgb(176, 182, 194));
    }
  }

  // The two rings the sheets hang on, each through a punched hole in the header.
  for (double x : {left + 8.5, right - 8.5}) {
    const double ringX = canvas.Snap(x);
    canvas.Fill(Ellipse({ringX, top + 5}, 1.6, 1.3), Rgb(90, 12, 8));
    const Shape ring = Line({ringX, top - 2}, {ringX, top + 4.5}, 2.4);
    canvas.Fill(Grow(ring, outline), OutlineOf(Rgb(150, 150, 160)));
    canvas.Fill(ring, LinearGradient({ringX - 1.2, 0}, {ringX + 1.2, 0},
                                     {{0, Rgb(255, 255, 255)}, {1, Rgb(130, 134, 146)}}));
  }

  // The wall clock over the lower right corner of the sheet.
  const Point centre{33.5, 33.5};
  const double rimRadius = 13;
  const double faceRadius = 10.2;
  canvas.Fill(Circle(centre, rimRadius + outline), OutlineOf(Rgb(60, 90, 150)));
  canvas.Fill(
      Circle(centre, rimRadius),
      LinearGradient(centre - Point{9, 9}, centre + Point{9, 9},
                     {{0, Rgb(150, 186, 240)}, {0.5, Rgb(60, 104, 190)}, {1, Rgb(26, 56, 130)}}));
  // The face sits in the rim like a dish: the rim's inner edge is shaded the other way.
  canvas.Fill(Circle(centre, faceRadius + 1.2),
              LinearGradient(centre - Point{8, 8}, centre + Point{8, 8},
                             {{0, Rgb(24, 50, 120)}, {1, Rgb(170, 200, 245)}}));
  canvas.Fill(Circle(centre, faceRadius),
              RadialGradient(
                  centre - Point{3, 3}, faceRadius * 1.6,
                  {{0, Rgb(255, 255, 255)}, {0.5, Rgb(250, 250, 250)}, {1, Rgb(200, 206, 218)}}));
  for (int hour = 0; hour < 12; ++hour) {
    const double angle = hour * kPi / 6;
    const Point along{std::sin(angle), -std::cos(angle)};
    const bool quarter = hour % 3 == 0;
    const double inner = quarter ? faceRadius - 2.6 : faceRadius - 1.8;
    canvas.Fill(
        Line(centre + along * inner, centre + along * (faceRadius - 0.9), quarter ? 1.3 : 0.8),
        Rgb(40, 44, 56), quarter ? 1 : 0.7);
  }
  // Ten past ten, the clock-maker's favourite: the hands frame the middle and leave it open.
  const Colour handColour = Rgb(28, 30, 40);
  canvas.Fill(ClockHand(centre, (10 + 10 / 60.0) * kPi / 6, 5.4, 2.0, 1.0), handColour);
  canvas.Fill(ClockHand(centre, 10 * kPi / 30, 8.2, 1.6, 0.7), handColour);
  const double secondAngle = 35 * kPi / 30;
  const Point secondAlong{std::sin(secondAngle), -std::cos(secondAngle)};
  canvas.Fill(Line(centre - secondAlong * 2.2, centre + secondAlong * 8.6, 0.7), Rgb(210, 30, 20));
  canvas.Fill(Circle(centre, 1.3), Rgb(210, 30, 20));
  canvas.Fill(Circle(centre - Point{0.35, 0.35}, 0.5), kWhite, 0.7);
  // A glint on the glass.
  canvas.Fill(Intersect(Circle(centre, faceRadius), Ellipse(centre - Point{3.5, 5.5}, 6, 3)),
              kWhite, 0.35);
  CastShadow(canvas);
  return canvas.ToImage();
}

Image DrawPageAlarm(int pixels) {
  Canvas canvas(pixels, kPageDesign);
  const double outline = OutlineWidth(canvas);

  // A round pie lying flat, seen from above at a slant: its top is an ellipse and its edge
  // shows at the front. Angles are taken on the round pie before the slant, clockwise from
  // the right on screen, so 90 degrees is the front.
  const Point centre{21, 19};
  const double radiusX = 18.5;
  const double radiusY = 12;
  const Point thickness{0, 7};
  auto rim = [&](Point middle, double degrees) {
    const double a = degrees * kPi / 180;
    return middle + Point{radiusX * std::cos(a), radiusY * std::sin(a)};
  };
  struct Piece {
    double from;
    double to;
    Point offset;
    Colour topLight, topDark, sideLight, sideDark;
  };
  // The used space in blue and the little that is left free in magenta, pulled out to the
  // right so that its cut face and the one it leaves behind show.
  const double freeFrom = -32;
  const double freeTo = 40;
  const double pull = 4.5;
  const double freeMiddle = (freeFrom + freeTo) / 2 * kPi / 180;
  const Point freeOffset =
      Point{std::cos(freeMiddle), std::sin(freeMiddle) * radiusY / radiusX} * pull;
  const Piece pieces[] = {
      {freeTo,
       360 + freeFrom,
       {0, 0},
       Rgb(128, 168, 255),
       Rgb(36, 80, 214),
       Rgb(60, 96, 214),
       Rgb(18, 40, 140)},
      {freeFrom, freeTo, freeOffset, Rgb(255, 140, 236), Rgb(214, 36, 170), Rgb(206, 40, 164),
       Rgb(130, 12, 100)},
  };
  for (const Piece& piece : pieces) {
    const Point middle = centre + piece.offset;
    const Shape top = Intersect(Ellipse(middle, radiusX, radiusY),
                                Wedge(middle, rim(middle, piece.from), rim(middle, piece.to)));
    const Shape solid = Sweep(top, thickness);
    canvas.Fill(Grow(solid, outline), OutlineOf(piece.sideDark));
    canvas.Fill(solid, LinearGradient(middle - Point{radiusX, 0}, middle + Point{radiusX, 0},
                                      {{0, piece.sideLight}, {1, piece.sideDark}}));
    // A cut face is a wall standing on a radius. Going clockwise, the wall at a piece's start
    // looks towards the viewer when its radius points left, the one at its end when its
    // radius points right; the others are hidden behind the piece itself.
    for (double degrees : {piece.from, piece.to}) {
      const double a = degrees * kPi / 180;
      const bool facesViewer = degrees == piece.from ? -std::cos(a) > 1e-9 : std::cos(a) > 1e-9;
      if (!facesViewer) continue;
      const Point edge = rim(middle, degrees);
      canvas.Fill(Polygon({middle, edge, edge + thickness, middle + thickness}),
                  Mix(piece.sideLight, piece.sideDark, 0.35));
    }
    canvas.Fill(Grow(top, outline * 0.5), OutlineOf(piece.sideDark), 0.6);
    canvas.Fill(top,
                LinearGradient(middle - Point{radiusX, radiusY}, middle + Point{radiusX, radiusY},
                               {{0, piece.topLight}, {1, piece.topDark}}));
    // A soft sheen on the top, as on a glazed plate.
    canvas.Fill(Intersect(top, Ellipse(middle - Point{6, 5}, 9, 4)), kWhite, 0.22);
  }
  CastShadow(canvas);
  return canvas.ToImage();
}

Image DrawPageAutostart(int pixels) {
  Canvas canvas(pixels, kPageDesign);

  // Two wheels with teeth of one size, ten on the big one and eight on the small one, their
  // centres the sum of their pitch radii apart (and a hair more), so tooth sits in gap.
  constexpr int kBigTeeth = 10;
  constexpr int kSmallTeeth = 8;
  const Point bigCentre{16.5, 16.5};
  const double bigPitch = 12.5;
  const double smallPitch = bigPitch * kSmallTeeth / kBigTeeth;
  const double addendum = 1.9;
  const double dedendum = 2.1;
  const double lineAngle = 42 * kPi / 180;
  const Point smallCentre = bigCentre + Direction(lineAngle) * (bigPitch + smallPitch + 0.3);
  // On the line between the centres the big wheel has a gap and the small one a tooth.
  const Shape big = GearWheel(bigCentre, kBigTeeth, bigPitch - dedendum, bigPitch + addendum,
                              lineAngle + kPi / kBigTeeth);
  const Shape small = GearWheel(smallCentre, kSmallTeeth, smallPitch - dedendum,
                                smallPitch + addendum, lineAngle + kPi);

  Shape bigHoles = Circle(bigCentre, 2.4);
  for (int i = 0; i < 5; ++i) {
    bigHoles =
        Union(bigHoles, Circle(bigCentre + Direction(-kPi / 2 + i * 2 * kPi / 5) * 6.6, 1.8));
  }
  const Metal steel{Rgb(238, 242, 248), Rgb(128, 136, 150), Rgb(92, 98, 110)};
  const Metal brass{Rgb(255, 236, 150), Rgb(206, 144, 28), Rgb(150, 96, 10)};
  DrawGear(canvas, big, bigCentre, 4.4, bigHoles, steel);
  DrawGear(canvas, small, smallCentre, 3.6, Circle(smallCentre, 1.9), brass);
  CastShadow(canvas);
  return canvas.ToImage();
}

Image DrawDriveSmall(int pixels) {
  // At 16 pixels every pixel is placed by hand: drawn from shapes, the slot and the lamp
  // fall between pixels and smear.
  if (pixels == 16) {
    return PixelArt(
        {
            "................",
            "................",
            "................",
            "................",
            ".kkkkkkkkkkkkkk.",
            "kwwwwwwwwwwwwwwk",
            "kwllllllllllllsk",
            "kwlddddddlnggnsk",
            "kwlhhhhhhlnggnsk",
            "kwllllllllllllsk",
            "kssssssssssssssk",
            ".kkkkkkkkkkkkkk.",
            "................",
            "................",
            "................",
            "................",
        },
        {{'k', Rgb(72, 74, 80)},
         {'w', Rgb(250, 250, 252)},
         {'l', Rgb(200, 203, 208)},
         {'s', Rgb(146, 150, 158)},
         {'d', Rgb(44, 46, 52)},
         {'h', Rgb(110, 114, 122)},
         {'n', Rgb(0, 100, 0)},
         {'g', Rgb(40, 230, 40)}});
  }
  Canvas canvas(pixels, 32);
  const double outline = canvas.Px(std::max(1.0, std::round(canvas.Scale() - 0.2)));
  const double left = canvas.Snap(1);
  const double right = canvas.Snap(31);
  const double top = canvas.Snap(9);
  const double bottom = canvas.Snap(23);
  const Shape body = Box(left + outline, top + outline, right - outline, bottom - outline, outline);
  canvas.Fill(Box(left, top, right, bottom, outline * 1.5), Rgb(72, 74, 80));
  canvas.Fill(body, LinearGradient({0, top}, {0, bottom},
                                   {{0, Rgb(226, 228, 232)}, {1, Rgb(178, 182, 190)}}));
  Bevel(canvas, body, outline, 0.9, 0.3);
  const double rowTop = canvas.Snap((top + bottom) / 2 - 1.6);
  const double rowBottom = rowTop + canvas.Snap(3.2);
  const Shape slot = Box(canvas.Snap(5), rowTop, canvas.Snap(19), rowBottom);
  canvas.Fill(Move(slot, {0, outline}), kWhite, 0.8);
  canvas.Fill(slot, Rgb(44, 46, 52));
  const double lampLeft = canvas.Snap(22);
  const double lampRight = canvas.Snap(27);
  canvas.Fill(Box(lampLeft, rowTop, lampRight, rowBottom), Rgb(0, 100, 0));
  // Below four pixels of height a rim above and below would leave no light to see; the lamp
  // then keeps its rim at the sides only, as at 16 pixels.
  const double rimY = (rowBottom - rowTop) * canvas.Scale() >= 4 ? outline : 0;
  canvas.Fill(Box(lampLeft + outline, rowTop + rimY, lampRight - outline, rowBottom - rimY),
              LinearGradient({0, rowTop}, {0, rowBottom},
                             {{0, Rgb(140, 255, 130)}, {1, Rgb(20, 210, 30)}}));
  return canvas.ToImage();
}

namespace {

// The mouse is drawn upright about its own middle, buttons at the top, then turned to the
// left like the classic arrow, so that the front corner of its left button becomes the tip
// it points with. The cable leaves at the front and arcs over to the right, clear of the tip.
struct Mouse {
  // Black all round, a little over a pixel wide, so the pointer reads on light and on dark
  // ground alike.
  static constexpr double kOutline = 1.1;
  Point middle{13.2, 16.6};
  Shape body;
  Shape leftButton;
  Shape rightButton;
  Shape seams;
  Shape cable;
};

Mouse MouseGeometry() {
  Mouse mouse;
  const double turn = -0.5;
  auto place = [&](const Shape& shape) {
    return Rotate(Move(shape, mouse.middle), mouse.middle, turn);
  };
  mouse.body = place(Box(-7.5, -11, 7.5, 11, 6.8));
  mouse.leftButton = place(Box(-8, -12, -0.5, -2.5, 0));
  mouse.rightButton = place(Box(0.5, -12, 8, -2.5, 0));
  mouse.seams = place(Union(Line({0, -11}, {0, -2.5}, 1.0), Line({-8, -2.5}, {8, -2.5}, 1.0)));
  const std::vector<Point> cord = {{0, -11}, {0.5, -13}, {3, -14.5}, {7, -14}, {10, -12}, {12, -9}};
  mouse.cable = Line(cord[0], cord[1], 1.6);
  for (std::size_t i = 2; i < cord.size(); ++i) {
    mouse.cable = Union(mouse.cable, Line(cord[i - 1], cord[i], 1.6));
  }
  mouse.cable = place(mouse.cable);
  return mouse;
}

}  // namespace

Image DrawMousePointer() {
  Canvas canvas(32, 32);
  const Mouse mouse = MouseGeometry();
  canvas.Fill(Grow(mouse.cable, Mouse::kOutline), kBlack);
  canvas.Fill(mouse.cable, Rgb(150, 152, 160));
  canvas.Fill(Grow(mouse.body, Mouse::kOutline), kBlack);
  canvas.Fill(mouse.body,
              LinearGradient(
                  mouse.middle - Point{8, 10}, mouse.middle + Point{8, 10},
                  {{0, Rgb(255, 255, 255)}, {0.6, Rgb(230, 232, 238)}, {1, Rgb(170, 174, 186)}}));
  canvas.Fill(Intersect(mouse.body, mouse.rightButton), Rgb(246, 247, 250));
  canvas.Fill(Intersect(Grow(mouse.body, -0.9), mouse.leftButton),
              LinearGradient(mouse.middle - Point{8, 10}, mouse.middle + Point{2, 0},
                             {{0, Rgb(255, 96, 80)}, {1, Rgb(200, 16, 8)}}));
  canvas.Fill(Intersect(mouse.body, mouse.seams), Rgb(40, 40, 44));
  return canvas.ToImage();
}

// The pixel the pointer points with: of the mouse's body with its outline (the cable does
// not count), the solid pixel nearest the top left corner. Searched rather than written
// down, so the hotspot stays on the tip whatever small changes the drawing gets.
Hotspot MousePointerHotspot() {
  Canvas canvas(32, 32);
  canvas.Fill(Grow(MouseGeometry().body, Mouse::kOutline), kBlack);
  const Image body = canvas.ToImage();
  Hotspot best{body.width, body.height};
  for (int y = 0; y < body.height; ++y) {
    for (int x = 0; x < body.width; ++x) {
      if (body.At(x, y)[3] < 192) continue;
      if (x + y < best.x + best.y || (x + y == best.x + best.y && y < best.y)) best = {x, y};
    }
  }
  return best;
}

Image DrawEmblem(int pixels) {
  // At 16 pixels, the size of a title bar, the letter is set pixel by pixel; drawn from
  // shapes, its bar would smear into the tile.
  if (pixels == 16) {
    return PixelArt(
        {
            ".qooooooooooooq.",
            "qo111111111111oq",
            "o11111111111111o",
            "o1vWWWWWWWWWWv1o",
            "o2xwwwwwwwwwwx2o",
            "o222ddWWwsddd22o",
            "o33333WWwsd3333o",
            "o33333WWwsd3333o",
            "o44444WWwsd4444o",
            "o44444WWwsd4444o",
            "o44444WWwsd4444o",
            "o55555WWwsd5555o",
            "o55555WWwsd5555o",
            "o555555dddd5555o",
            "qo555555555555oq",
            ".qooooooooooooq.",
        },
        {{'o', Rgb(10, 36, 96)},
         {'q', Rgb(10, 36, 96, 110)},
         {'1', Rgb(120, 178, 248)},
         {'2', Rgb(70, 136, 230)},
         {'3', Rgb(44, 106, 212)},
         {'4', Rgb(30, 84, 190)},
         {'5', Rgb(20, 64, 164)},
         {'W', Rgb(255, 255, 255)},
         {'v', Rgb(200, 222, 252)},
         {'w', Rgb(206, 218, 240)},
         {'x', Rgb(150, 178, 226)},
         {'s', Rgb(160, 178, 214)},
         {'d', Rgb(16, 50, 130)}});
  }
  Canvas canvas(pixels, kPageDesign);
  const double outline = OutlineWidth(canvas);

  // A blue tile with a "T" on it whose bar is a disk sitting on the stem as on a spindle:
  // the mark of a maker of disk tools.
  const double edge = canvas.Snap(2.5);
  const double far = canvas.Snap(kPageDesign - 2.5);
  const Shape tile = Box(edge, edge, far, far, 9);
  canvas.Fill(tile, Rgb(10, 36, 96));
  const Shape inner = Grow(tile, -outline);
  canvas.Fill(
      inner,
      LinearGradient({0, edge}, {0, far},
                     {{0, Rgb(84, 150, 240)}, {0.45, Rgb(36, 100, 206)}, {1, Rgb(16, 54, 150)}}));
  // The glaze: a bright top fading out before the middle, so the white disk still stands
  // out against it.
  canvas.Fill(Intersect(inner, Ellipse({24, 2}, 36, 20)),
              LinearGradient({0, edge}, {0, 22},
                             {{0, WithAlpha(kWhite, 0.42)}, {1, WithAlpha(kWhite, 0.04)}}));
  Bevel(canvas, inner, outline, 0.35, 0.2);

  const double stemLeft = canvas.Snap(19);
  const double stemRight = canvas.Snap(29);
  const Shape stem = Box(stemLeft, 16, stemRight, canvas.Snap(40.5), 1.5);
  const Point diskCentre{24, 13.5};
  const Shape diskTop = Ellipse(diskCentre, 17, 3.8);
  const Shape disk = Sweep(diskTop, {0, 3.2});
  const Shape letter = Union(stem, disk);
  // The letter stands a little off the tile.
  canvas.Fill(Move(letter, {1.4, 1.8}), Rgb(6, 24, 70), 0.45);
  canvas.Fill(Grow(letter, outline * 0.7), Rgb(10, 36, 96), 0.75);
  canvas.Fill(stem,
              LinearGradient(
                  {stemLeft, 0}, {stemRight, 0},
                  {{0, Rgb(255, 255, 255)}, {0.45, Rgb(236, 242, 252)}, {1, Rgb(168, 186, 220)}}));
  canvas.Fill(disk,
              LinearGradient({7, 0}, {41, 0}, {{0, Rgb(214, 226, 246)}, {1, Rgb(136, 158, 200)}}));
  canvas.Fill(diskTop, LinearGradient(diskCentre - Point{17, 4}, diskCentre + Point{17, 4},
                                      {{0, Rgb(255, 255, 255)}, {1, Rgb(212, 222, 242)}}));
  if (pixels >= 48) {
    // The spindle's cap in the middle of the disk.
    canvas.Fill(Ellipse(diskCentre, 3.6, 1.0), Rgb(150, 170, 206));
    canvas.Fill(Ellipse(diskCentre - Point{0, 0.25}, 2.7, 0.6), kWhite);
  }
  return canvas.ToImage();
}

namespace {

// The pixel layouts of the program icon at 16 and 24 pixels, the sizes of the title bar and
// the small list views, where a drawn version would blur the lamp and the slot.
Image AppIconPixels(int pixels) {
  const std::vector<PaletteEntry> palette = {
      {'K', Rgb(64, 66, 72)},    {'s', Rgb(0, 0, 0, 80)},   {'P', Rgb(255, 120, 108)},
      {'R', Rgb(232, 16, 8)},    {'r', Rgb(170, 0, 0)},     {'H', Rgb(150, 255, 140)},
      {'G', Rgb(24, 214, 36)},   {'g', Rgb(0, 150, 20)},    {'W', Rgb(252, 252, 254)},
      {'L', Rgb(208, 211, 216)}, {'S', Rgb(150, 154, 162)}, {'D', Rgb(44, 46, 52)},
      {'N', Rgb(0, 100, 0)},     {'n', Rgb(60, 240, 60)},   {'w', Rgb(236, 238, 242)},
  };
  if (pixels == 16) {
    return PixelArt(
        {
            "KKKKKKKKKKKKKKK.",
            "KPPPPPPPPHHHHHKs",
            "KRRRRRRRRGGGGGKs",
            "KRRRRRRRRGGGGGKs",
            "KrrrrrrrrgggggKs",
            "KKKKKKKKKKKKKKKs",
            ".sssssssssssssss",
            "................",
            "KKKKKKKKKKKKKKK.",
            "KWWWWWWWWWWWWWKs",
            "KWLLLLLLLLLLLSKs",
            "KWLDDDDDLLNnNSKs",
            "KWLLLLLLLLLLLSKs",
            "KSSSSSSSSSSSSSKs",
            "KKKKKKKKKKKKKKKs",
            ".sssssssssssssss",
        },
        palette);
  }
  return PixelArt(
      {
          "KKKKKKKKKKKKKKKKKKKKKKK.", "KPPPPPPPPPPPPPHHHHHHHHKs", "KRRRRRRRRRRRRRGGGGGGGGKs",
          "KRRRRRRRRRRRRRGGGGGGGGKs", "KRRRRRRRRRRRRRGGGGGGGGKs", "KRRRRRRRRRRRRRGGGGGGGGKs",
          "KrrrrrrrrrrrrrggggggggKs", "KKKKKKKKKKKKKKKKKKKKKKKs", ".sssssssssssssssssssssss",
          "........................", "........................", "KKKKKKKKKKKKKKKKKKKKKKK.",
          "KWWWWWWWWWWWWWWWWWWWWWKs", "KWLLLLLLLLLLLLLLLLLLLSKs", "KWLLDDDDDDDDDLLLNNNNLSKs",
          "KWLLDDDDDDDDDLLLNnnNLSKs", "KWLLwwwwwwwwwLLLNNNNLSKs", "KWLLLLLLLLLLLLLLLLLLLSKs",
          "KSSSSSSSSSSSSSSSSSSSSSKs", "KKKKKKKKKKKKKKKKKKKKKKKs", ".sssssssssssssssssssssss",
          "........................", "........................", "........................",
      },
      palette);
}

}  // namespace

Image DrawAppIcon(int pixels) {
  if (pixels <= 24) return AppIconPixels(pixels);
  // The same layout as the 32-pixel tray picture: the bar in the upper half, the drive in
  // the lower, both framed and shadowed alike. Bigger sizes gain shading, not detail.
  Canvas canvas(pixels, 32);
  const double outline = canvas.Px(std::max(1.0, std::round(canvas.Scale() * 0.5)));
  const double corner = pixels >= 48 ? 0.6 : 0;
  const double left = canvas.Snap(1);
  const double right = canvas.Snap(30);

  const double barTop = canvas.Snap(1.5);
  const double barBottom = canvas.Snap(14.5);
  const Shape bar = Box(left, barTop, right, barBottom, corner);
  canvas.Fill(bar, Rgb(64, 66, 72));
  const Shape frame = Grow(bar, -outline);
  canvas.Fill(frame, LinearGradient({0, barTop}, {0, barBottom},
                                    {{0, Rgb(196, 198, 204)}, {1, Rgb(120, 122, 130)}}));
  // The frame is one pixel at 32 and grows with the picture, up to a bevelled rim.
  const double rim = pixels >= 48 ? canvas.Px(canvas.Scale() * 0.75) : 0;
  const double fillLeft = left + outline + rim;
  const double fillRight = right - outline - rim;
  const double fillTop = barTop + outline + rim;
  const double fillBottom = barBottom - outline - rim;
  if (rim > 0) Bevel(canvas, frame, rim * 0.5, 0.6, 0.2);
  const double split = canvas.Snap(fillLeft + (fillRight - fillLeft) * 0.6);
  canvas.Fill(Box(fillLeft, fillTop, split, fillBottom),
              LinearGradient({0, fillTop}, {0, fillBottom},
                             {{0, Rgb(255, 96, 84)}, {0.5, Rgb(232, 16, 8)}, {1, Rgb(170, 0, 0)}}));
  canvas.Fill(
      Box(split, fillTop, fillRight, fillBottom),
      LinearGradient({0, fillTop}, {0, fillBottom},
                     {{0, Rgb(150, 255, 140)}, {0.5, Rgb(24, 214, 36)}, {1, Rgb(0, 150, 20)}}));
  // A glaze over the upper half of the bar, fading towards the middle.
  canvas.Fill(Box(fillLeft, fillTop, fillRight, (fillTop + fillBottom) / 2),
              LinearGradient({0, fillTop}, {0, (fillTop + fillBottom) / 2},
                             {{0, WithAlpha(kWhite, 0.45)}, {1, WithAlpha(kWhite, 0.05)}}));

  const double driveTop = canvas.Snap(16.5);
  const double driveBottom = canvas.Snap(29);
  const Shape drive = Box(left, driveTop, right, driveBottom, corner);
  canvas.Fill(drive, Rgb(64, 66, 72));
  const Shape driveFace = Grow(drive, -outline);
  canvas.Fill(driveFace, LinearGradient({0, driveTop}, {0, driveBottom},
                                        {{0, Rgb(236, 238, 242)}, {1, Rgb(176, 180, 188)}}));
  Bevel(canvas, driveFace, outline, 0.9, 0.3);
  // Slot and lamp on the middle line, two and four units high as in the tray picture.
  const double middle = canvas.Snap((driveTop + driveBottom) / 2);
  const Shape slot =
      Box(canvas.Snap(5), middle - canvas.Snap(1), canvas.Snap(17), middle + canvas.Snap(1));
  canvas.Fill(Move(slot, {0, outline}), kWhite, 0.8);
  canvas.Fill(slot, Rgb(44, 46, 52));
  const Shape lamp = Box(canvas.Snap(20), middle - canvas.Snap(2), canvas.Snap(26),
                         middle + canvas.Snap(2), pixels >= 48 ? outline : 0);
  canvas.Fill(lamp, Rgb(0, 100, 0));
  canvas.Fill(Grow(lamp, -outline),
              LinearGradient({0, middle - 2}, {0, middle + 2},
                             {{0, Rgb(150, 255, 140)}, {1, Rgb(20, 210, 30)}}));
  if (pixels >= 48) {
    // Large enough for the lamp to catch a glint and the bar to show the frame's inner edge.
    canvas.Fill(Ellipse({canvas.Snap(21.7), middle - 0.9}, 1.1, 0.55), kWhite, 0.8);
    canvas.Fill(Box(fillLeft, fillTop, fillRight, fillTop + outline), kBlack, 0.25);
    canvas.Fill(Box(fillLeft, fillTop, fillLeft + outline, fillBottom), kBlack, 0.15);
  }
  canvas.AddShadow(0.8 * canvas.Scale(), 1.2 * canvas.Scale(), 0.35);
  return canvas.ToImage();
}

}  // namespace pictures
