// The About dialog's banner: the vendor's emblem and name on a tall blue band.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string_view>
#include <vector>

#include "Pictures.h"

namespace pictures {
namespace {

constexpr int kBannerWidth = 224;
constexpr int kBannerHeight = 1020;

// The dialog stretches the banner onto a picture control of 915 x 6135 twips, which is
// narrower for its height than the banner: at 96 dpi its width shrinks to 27 percent, its
// height only to 40. So the banner is laid out on a taller design with the control's
// proportions, 224 units wide, and pressed to the bitmap's height; the dialog's stretching
// gives the emblem its square tile and the letters their shapes back. One design unit across
// is one pixel; down, kSquash pixels.
constexpr double kSquash = (1.0 * kBannerHeight / kBannerWidth) / (6135.0 / 915.0);
constexpr double kDesignHeight = kBannerHeight / kSquash;

// Shrunk to little more than a quarter, everything on it must be bold: no stroke of a letter
// thinner than eight units, nothing that lives on fine detail.

// The emblem as the icon draws it, near the top; the tile inside it is about 158 units wide.
constexpr int kEmblemPixels = 176;
constexpr double kEmblemLeft = (kBannerWidth - kEmblemPixels) / 2.0;
constexpr double kEmblemTop = 24;

// The name in two lines, turned to read from the bottom up: "TARNWICK" large, "SOFTWARE"
// spread out beneath it (to its right, as the band shows it) over the same length.
constexpr double kNameCap = 104;
constexpr double kNameStroke = 0.21;
constexpr double kNameTracking = 0.3;
constexpr double kSuffixCap = 40;
constexpr double kSuffixStroke = 0.22;
constexpr double kLineGap = 16;
constexpr double kNameBottom = kDesignHeight - 40;

const Colour kWhite = Rgb(255, 255, 255);

// ---- The letters ---------------------------------------------------------------------------
// Square-shouldered block capitals in the manner of the technical faces of the time: straight
// stems, counters as rounded rectangles, diagonals cut flat at the cap line and the baseline.
// A letter is drawn in units of its cap height, the cap line at y = 0, the baseline at y = 1,
// its left side at x = 0.

struct Letter {
  Shape shape;
  double width = 0;
};

// The corner radius of the round letters, outside.
constexpr double kRound = 0.34;

Shape Bar(double left, double top, double right, double bottom) {
  return Box(left, top, right, bottom);
}

// A rounded rectangle's rim, `stroke` wide all round.
Shape Ring(double left, double top, double right, double bottom, double stroke) {
  return Subtract(Box(left, top, right, bottom, kRound),
                  Box(left + stroke, top + stroke, right - stroke, bottom - stroke,
                      std::max(0.0, kRound - stroke)));
}

// A slanted stroke `stroke` wide, cut flat at the heights of `top` and `bottom`; their x are
// its outer corners, so that it fills exactly the width between them.
Shape Diagonal(Point top, Point bottom, double stroke) {
  const double rise = bottom.y - top.y;
  const double run = std::abs(bottom.x - top.x);
  // Measured along a row, a slanted stroke is wider than across it; the width a row crosses
  // depends on the slant of the stroke's middle line, which depends on that width in turn.
  double across = stroke;
  for (int i = 0; i < 8; ++i) across = stroke * std::hypot(run - across, rise) / rise;
  const double shift = bottom.x > top.x ? across : -across;
  return Polygon({top, {top.x + shift, top.y}, bottom, {bottom.x - shift, bottom.y}});
}

// Two diagonals meeting at the baseline in a short flat foot, between `left` and `right`.
Shape Vee(double left, double right, double stroke) {
  const double middle = (left + right) / 2;
  const double foot = stroke * 0.55;
  return Union(Diagonal({left, 0}, {middle + foot, 1}, stroke),
               Diagonal({right, 0}, {middle - foot, 1}, stroke));
}

Letter MakeLetter(char c, double s) {
  switch (c) {
    case 'A': {
      const double w = 0.96;
      const double apex = s * 0.6;
      const Shape legs =
          Union(Diagonal({w / 2 + apex, 0}, {0, 1}, s), Diagonal({w / 2 - apex, 0}, {w, 1}, s));
      const Shape outside = Polygon({{0, 1}, {w / 2 - apex, 0}, {w / 2 + apex, 0}, {w, 1}});
      return {Union(legs, Intersect(Bar(0, 0.62, w, 0.62 + s * 0.9), outside)), w};
    }
    case 'C': {
      const double w = 0.9;
      return {Subtract(Ring(0, 0, w, 1, s), Bar(w / 2, 0.36, w + 1, 0.64)), w};
    }
    case 'E': {
      const double w = 0.78;
      return {Union(Union(Bar(0, 0, s, 1), Bar(0, 0, w, s)),
                    Union(Bar(0, (1 - s) / 2, w * 0.9, (1 + s) / 2), Bar(0, 1 - s, w, 1))),
              w};
    }
    case 'F': {
      const double w = 0.76;
      return {
          Union(Union(Bar(0, 0, s, 1), Bar(0, 0, w, s)), Bar(0, (1 - s) / 2, w * 0.9, (1 + s) / 2)),
          w};
    }
    case 'I':
      return {Bar(0, 0, s, 1), s};
    case 'K': {
      const double w = 0.88;
      const double join = 0.62;
      const Shape arm = Diagonal({w, 0}, {s * 0.5, join}, s);
      // The leg starts inside the arm; what would show above the arm's middle line is cut.
      const double armAcross = s * 1.25;
      const Shape leg =
          Intersect(Diagonal({w * 0.22, 0.2}, {w, 1}, s),
                    HalfPlane({s * 0.5 + armAcross / 2, join}, {w - armAcross / 2, 0}));
      return {Intersect(Union(Bar(0, 0, s, 1), Union(arm, leg)), Bar(0, 0, w, 1)), w};
    }
    case 'N': {
      const double w = 0.9;
      return {Union(Union(Bar(0, 0, s, 1), Bar(w - s, 0, w, 1)), Diagonal({0, 0}, {w, 1}, s)), w};
    }
    case 'O': {
      const double w = 0.96;
      return {Ring(0, 0, w, 1, s), w};
    }
    case 'R': {
      const double w = 0.88;
      const double bowl = 0.58;
      const Shape square =
          Union(Union(Bar(0, 0, s, 1), Bar(0, 0, w / 2, s)), Bar(0, bowl - s, w / 2, bowl));
      const Shape leg = Diagonal({w * 0.38, bowl - s}, {w, 1}, s);
      return {Union(Union(Ring(0, 0, w, bowl, s), square), leg), w};
    }
    case 'S': {
      const double w = 0.86;
      const double upperBottom = (1 + s) / 2;
      const double lowerTop = (1 - s) / 2;
      const double cut = 0.3;
      // Two loops, one above the other, sharing the middle bar; each loses the side the
      // other one has.
      const Shape upper = Subtract(Ring(0, 0, w, upperBottom, s), Bar(w / 2, cut, w + 1, 2));
      const Shape lower = Subtract(Ring(0, lowerTop, w, 1, s), Bar(-1, -1, w / 2, 1 - cut));
      return {Union(upper, lower), w};
    }
    case 'T': {
      const double w = 0.86;
      return {Union(Bar(0, 0, w, s), Bar((w - s) / 2, 0, (w + s) / 2, 1)), w};
    }
    case 'W': {
      const double w = 1.3;
      const double apex = s * 0.55;
      return {Union(Vee(0, w / 2 + apex, s), Vee(w / 2 - apex, w, s)), w};
    }
    default:
      return {[](Point) { return 1e9; }, 0.6};
  }
}

// Pairs whose open sides face each other stand closer, or a hole opens in the word.
double Kerning(char left, char right) {
  if ((left == 'T' && right == 'A') || (left == 'A' && right == 'T')) return -0.1;
  return 0;
}

// A line of capitals `cap` units high, turned a quarter to the left so that it reads from
// the bottom up: its cap line runs down the band at x = `capLine`, its first letter begins at
// y = `start`. `spread` is extra space between the letters, in units. One shape per letter,
// each filled on its own so that the rasterizer only looks at one letter at a time.
std::vector<Shape> RisingLine(std::string_view text, double cap, double stroke, double tracking,
                              double spread, double capLine, double start) {
  std::vector<Shape> shapes;
  double pen = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const Letter letter = MakeLetter(text[i], stroke);
    const Shape glyph = letter.shape;
    const double at = pen;
    shapes.push_back([glyph, at, cap, capLine, start](Point p) {
      return glyph({(start - p.y - at) / cap, (p.x - capLine) / cap}) * cap;
    });
    pen += (letter.width + tracking) * cap + spread;
    if (i + 1 < text.size()) pen += Kerning(text[i], text[i + 1]) * cap;
  }
  return shapes;
}

// The length of a line as RisingLine sets it without spread.
double LineLength(std::string_view text, double cap, double stroke, double tracking) {
  double length = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    length += MakeLetter(text[i], stroke).width * cap;
    if (i + 1 < text.size()) length += (tracking + Kerning(text[i], text[i + 1])) * cap;
  }
  return length;
}

// ---- The band ------------------------------------------------------------------------------

// The canvas seen in design units: what is filled is pressed to the bitmap's height on the
// way. A pressed shape is nearer to a pixel than its design distance says, but never nearer
// than kSquash times it, so that is the distance it claims: the rasterizer's short cuts stay
// sound.
class Band {
 public:
  explicit Band(Canvas& canvas) : canvas_(canvas) {}

  void Fill(const Shape& shape, const Paint& paint, double opacity = 1) {
    canvas_.Fill(
        [shape](Point p) {
          return shape({p.x, p.y / kSquash}) * kSquash;
        },
        [paint](Point p) {
          return paint({p.x, p.y / kSquash});
        },
        opacity);
  }
  void Fill(const Shape& shape, Colour colour, double opacity = 1) {
    Fill(shape, Solid(colour), opacity);
  }

 private:
  Canvas& canvas_;
};

// A broad shaft of light crossing the band, rising to the right, brightest along its middle.
void LightStreak(Band& band, double middleY, double width, double strength) {
  const Point along{1, -0.62};
  const Point across{0.62, 1};
  const double length = std::hypot(across.x, across.y);
  const Point unit{across.x / length, across.y / length};
  const Point centre{kBannerWidth / 2.0, middleY};
  const Point a = centre - along * 400 - unit * (width / 2);
  const Point b = centre + along * 400 - unit * (width / 2);
  band.Fill(Polygon({a, b, b + unit * width, a + unit * width}),
            LinearGradient(centre - unit * (width / 2), centre + unit * (width / 2),
                           {{0, WithAlpha(kWhite, 0)},
                            {0.5, WithAlpha(kWhite, strength)},
                            {1, WithAlpha(kWhite, 0)}}));
}

// A soft shadow under a shape, falling to the bottom right.
void SoftShadow(Band& band, const Shape& shape, Point offset, double reach, double opacity) {
  const Shape cast = Move(shape, offset);
  band.Fill(Grow(cast, reach), [cast, reach, opacity](Point p) {
    const double t = std::clamp((cast(p) + reach * 0.25) / (reach * 1.25), 0.0, 1.0);
    return Rgb(0, 8, 30, static_cast<int>(std::lround(255 * opacity * (1 - t) * (1 - t))));
  });
}

// The picture pressed to `height` rows, each row the average of the rows it covers, weighted
// by how much of each it covers and by their alpha.
Image PressRows(const Image& image, int height) {
  Image pressed;
  pressed.width = image.width;
  pressed.height = height;
  pressed.rgba.assign(static_cast<std::size_t>(image.width * height) * 4, 0);
  const double rowsPerRow = static_cast<double>(image.height) / height;
  for (int y = 0; y < height; ++y) {
    const double from = y * rowsPerRow;
    const double to = from + rowsPerRow;
    for (int x = 0; x < image.width; ++x) {
      double sum[4] = {0, 0, 0, 0};
      for (int source = static_cast<int>(from); source < to && source < image.height; ++source) {
        const double weight = std::min<double>(source + 1, to) - std::max<double>(source, from);
        const std::uint8_t* pixel = image.At(x, source);
        const double alpha = pixel[3] / 255.0 * weight;
        for (int c = 0; c < 3; ++c) sum[c] += pixel[c] * alpha;
        sum[3] += alpha;
      }
      std::uint8_t* pixel = pressed.At(x, y);
      if (sum[3] <= 0) continue;
      for (int c = 0; c < 3; ++c) {
        pixel[c] = static_cast<std::uint8_t>(std::lround(std::clamp(sum[c] / sum[3], 0.0, 255.0)));
      }
      pixel[3] =
          static_cast<std::uint8_t>(std::lround(std::clamp(sum[3] / rowsPerRow, 0.0, 1.0) * 255));
    }
  }
  return pressed;
}

// A picture, pixel for pixel, with its top left corner at `origin`.
Paint Picture(const Image& image, Point origin) {
  return [&image, origin](Point p) {
    const int x = std::clamp(static_cast<int>(std::floor(p.x - origin.x)), 0, image.width - 1);
    const int y = std::clamp(static_cast<int>(std::floor(p.y - origin.y)), 0, image.height - 1);
    const std::uint8_t* pixel = image.At(x, y);
    return Rgb(pixel[0], pixel[1], pixel[2], pixel[3]);
  };
}

}  // namespace

Image DrawAboutBanner() {
  // The canvas is square, one unit a pixel; the banner is its left strip.
  Canvas canvas(kBannerHeight, kBannerHeight);
  Band band(canvas);
  const double width = kBannerWidth;
  const double height = kDesignHeight;
  const Shape whole = Box(0, 0, width, height);

  // Deep blue, lightest at the top where the emblem sits, darkening downwards.
  band.Fill(whole, LinearGradient({0, 0}, {0, height},
                                  {{0, Rgb(30, 82, 176)},
                                   {0.3, Rgb(16, 52, 132)},
                                   {0.75, Rgb(9, 32, 92)},
                                   {1, Rgb(6, 22, 68)}}));
  // Rounded like a bar of glass: a little light down the left, a little shade on the right.
  band.Fill(whole, LinearGradient({0, 0}, {width, 0},
                                  {{0, WithAlpha(kWhite, 0.10)},
                                   {0.45, WithAlpha(kWhite, 0)},
                                   {0.8, Rgb(0, 0, 20, 0)},
                                   {1, Rgb(0, 0, 20, 60)}}));
  LightStreak(band, height * 0.26, 200, 0.09);
  LightStreak(band, height * 0.33, 60, 0.06);
  LightStreak(band, height * 0.56, 280, 0.07);
  // The platters of a disk, barely there, turning about a hub beyond the band's foot.
  const Point hub{width * 0.8, height + 80};
  for (const double radius : {230.0, 340.0, 450.0, 560.0}) {
    band.Fill(Outline(Circle(hub, radius), 4), kWhite, 0.06);
  }

  // The emblem, exactly as the icon draws it but pressed like the rest, on a glow that lifts
  // it off the band and over a soft shadow under its tile. It is placed on whole pixels so
  // that its own edges stay as crisp as drawn.
  const Image emblem =
      PressRows(DrawEmblem(kEmblemPixels), static_cast<int>(std::lround(kEmblemPixels * kSquash)));
  const Point emblemPixel{kEmblemLeft, std::round(kEmblemTop * kSquash)};
  const Point emblemOrigin{emblemPixel.x, emblemPixel.y / kSquash};
  const Point emblemCentre = emblemOrigin + Point{kEmblemPixels / 2.0, kEmblemPixels / 2.0};
  band.Fill(Circle(emblemCentre, 160), RadialGradient(emblemCentre, 160,
                                                      {{0, Rgb(150, 200, 255, 90)},
                                                       {0.55, Rgb(110, 170, 255, 34)},
                                                       {1, Rgb(110, 170, 255, 0)}}));
  const double designScale = kEmblemPixels / 48.0;
  const double tileEdge = std::round(2.5 * designScale);
  const double tileFar = std::round(45.5 * designScale);
  const Shape tile = Box(emblemOrigin.x + tileEdge, emblemOrigin.y + tileEdge,
                         emblemOrigin.x + tileFar, emblemOrigin.y + tileFar, 9 * designScale);
  SoftShadow(band, tile, {5, 8}, 16, 0.55);
  canvas.Fill(Box(emblemPixel.x, emblemPixel.y, emblemPixel.x + emblem.width,
                  emblemPixel.y + emblem.height),
              Picture(emblem, emblemPixel));

  // The name. "SOFTWARE" is spread to the length of "TARNWICK", so the two lines make one
  // block centred across the band.
  constexpr std::string_view kName = "TARNWICK";
  constexpr std::string_view kSuffix = "SOFTWARE";
  const double nameLength = LineLength(kName, kNameCap, kNameStroke, kNameTracking);
  const double suffixLength = LineLength(kSuffix, kSuffixCap, kSuffixStroke, 0);
  const double spread = (nameLength - suffixLength) / static_cast<double>(kSuffix.size() - 1);
  const double nameLine = std::round((width - (kNameCap + kLineGap + kSuffixCap)) / 2);
  const double suffixLine = nameLine + kNameCap + kLineGap;
  std::vector<Shape> letters =
      RisingLine(kName, kNameCap, kNameStroke, kNameTracking, 0, nameLine, kNameBottom);
  for (const Shape& letter :
       RisingLine(kSuffix, kSuffixCap, kSuffixStroke, 0, spread, suffixLine, kNameBottom)) {
    letters.push_back(letter);
  }
  // The letters stand a little off the band, as the emblem's letter does off its tile.
  for (const Shape& letter : letters) band.Fill(Move(letter, {3, 5}), Rgb(2, 12, 40), 0.5);
  // White, cooling a little towards the baseline like the emblem's letter.
  for (std::size_t i = 0; i < letters.size(); ++i) {
    const bool name = i < kName.size();
    const double capLine = name ? nameLine : suffixLine;
    const double cap = name ? kNameCap : kSuffixCap;
    band.Fill(letters[i], LinearGradient({capLine, 0}, {capLine + cap, 0},
                                         {{0, Rgb(255, 255, 255)}, {1, Rgb(218, 230, 248)}}));
  }

  Image full = canvas.ToImage();
  Image banner;
  banner.width = kBannerWidth;
  banner.height = kBannerHeight;
  banner.rgba.resize(static_cast<std::size_t>(kBannerWidth * kBannerHeight) * 4);
  for (int y = 0; y < kBannerHeight; ++y) {
    std::copy_n(full.At(0, y), kBannerWidth * 4, banner.At(0, y));
  }
  return banner;
}

}  // namespace pictures
