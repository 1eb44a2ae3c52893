#pragma once
// A tiny anti-aliased rasterizer: shapes as signed distance functions, paints as colour
// functions, both in the picture's own design units.

#include <cstdint>
#include <functional>
#include <string_view>
#include <vector>

namespace pictures {

struct Point {
  double x = 0;
  double y = 0;
};

inline Point operator+(Point a, Point b) {
  return {a.x + b.x, a.y + b.y};
}
inline Point operator-(Point a, Point b) {
  return {a.x - b.x, a.y - b.y};
}
inline Point operator*(Point a, double f) {
  return {a.x * f, a.y * f};
}

// A colour with straight (not premultiplied) alpha, each channel 0..1.
struct Colour {
  double r = 0, g = 0, b = 0, a = 1;
};

// A colour from 0..255 channels, the way colours are picked in a paint program.
Colour Rgb(int r, int g, int b, int a = 255);
Colour Mix(Colour from, Colour to, double t);
Colour WithAlpha(Colour colour, double alpha);

// Signed distance from a point to a shape's edge: negative inside, positive outside.
using Shape = std::function<double(Point)>;
// The colour a shape is filled with at a point.
using Paint = std::function<Colour(Point)>;

Shape Circle(Point centre, double radius);
Shape Ellipse(Point centre, double radiusX, double radiusY);
Shape Box(double left, double top, double right, double bottom, double cornerRadius = 0);
// A closed polygon; inside is decided by the even-odd rule.
Shape Polygon(std::vector<Point> corners);
// A straight stroke with round ends.
Shape Line(Point from, Point to, double width);
// The half plane to the right of the directed line from a to b, as seen on screen (y down),
// so a polygon whose corners run clockwise has its inside on the right of every edge.
Shape HalfPlane(Point a, Point b);
// The points seen from `centre` between the directions to `from` and to `to`, turning
// clockwise on screen.
Shape Wedge(Point centre, Point from, Point to);

Shape Union(Shape a, Shape b);
Shape Intersect(Shape a, Shape b);
Shape Subtract(Shape a, Shape b);
Shape Grow(Shape shape, double by);
// A band of the given width centred on the shape's edge.
Shape Outline(Shape shape, double width);
Shape Move(Shape shape, Point by);
// Turns the shape about `centre`, clockwise on screen for a positive angle.
Shape Rotate(Shape shape, Point centre, double radians);
// Everything the shape covers while it slides along `by`, as a solid extruded away from the
// viewer shows it.
Shape Sweep(Shape shape, Point by);

Paint Solid(Colour colour);
struct Stop {
  double at = 0;
  Colour colour;
};
Paint LinearGradient(Point from, Point to, std::vector<Stop> stops);
Paint RadialGradient(Point centre, double radius, std::vector<Stop> stops);

// Rows from the top, four bytes a pixel: red, green, blue, straight alpha.
struct Image {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> rgba;
  std::uint8_t* At(int x, int y) { return &rgba[static_cast<std::size_t>(y * width + x) * 4]; }
  const std::uint8_t* At(int x, int y) const {
    return &rgba[static_cast<std::size_t>(y * width + x) * 4];
  }
};

// Builds a picture pixel by pixel from rows of characters, each naming a colour of the
// palette; ' ' and '.' are transparent.
struct PaletteEntry {
  char key = ' ';
  Colour colour;
};
Image PixelArt(const std::vector<std::string_view>& rows, const std::vector<PaletteEntry>& palette);

// A square picture of `pixels` pixels on which a drawing `designSize` units wide is painted.
class Canvas {
 public:
  Canvas(int pixels, double designSize);

  int Pixels() const { return pixels_; }
  // Pixels per design unit.
  double Scale() const { return scale_; }
  // The design coordinate nearest to `value` that falls on a pixel boundary.
  double Snap(double value) const;
  // `count` pixels in design units, at least one pixel.
  double Px(double count) const;

  void Fill(const Shape& shape, const Paint& paint, double opacity = 1);
  void Fill(const Shape& shape, Colour colour, double opacity = 1) {
    Fill(shape, Solid(colour), opacity);
  }
  // Puts a soft shadow of everything drawn so far below it, shifted towards the bottom right,
  // as the light falls from the top left.
  void AddShadow(double offsetPixels, double blurPixels, double opacity);

  Image ToImage() const;

 private:
  void FillBlock(const Shape& shape, const Paint& paint, double opacity, int left, int top,
                 int right, int bottom, bool inside);

  int pixels_;
  double scale_;
  // Premultiplied red, green, blue and alpha, four doubles a pixel.
  std::vector<double> data_;
};

}  // namespace pictures
