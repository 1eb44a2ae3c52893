#include "Canvas.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>

namespace pictures {
namespace {

constexpr double kPi = 3.14159265358979323846;

double Length(Point p) {
  return std::hypot(p.x, p.y);
}
double Cross(Point a, Point b) {
  return a.x * b.y - a.y * b.x;
}
double Dot(Point a, Point b) {
  return a.x * b.x + a.y * b.y;
}

// Distance from p to the segment from a to b.
double SegmentDistance(Point p, Point a, Point b) {
  const Point ab = b - a;
  const double lengthSquared = Dot(ab, ab);
  const double t = lengthSquared > 0 ? std::clamp(Dot(p - a, ab) / lengthSquared, 0.0, 1.0) : 0;
  return Length(p - (a + ab * t));
}

Colour Interpolate(const std::vector<Stop>& stops, double t) {
  if (stops.empty()) return {};
  if (t <= stops.front().at) return stops.front().colour;
  for (std::size_t i = 1; i < stops.size(); ++i) {
    if (t <= stops[i].at) {
      const double span = stops[i].at - stops[i - 1].at;
      return Mix(stops[i - 1].colour, stops[i].colour, span > 0 ? (t - stops[i - 1].at) / span : 1);
    }
  }
  return stops.back().colour;
}

// A Gaussian blur of one channel along rows (step 1) or columns (step = width).
std::vector<double> Blur(const std::vector<double>& source, int size, double sigma, bool rows) {
  if (sigma <= 0) return source;
  const int reach = static_cast<int>(std::ceil(sigma * 3));
  std::vector<double> kernel;
  double total = 0;
  for (int i = -reach; i <= reach; ++i) {
    kernel.push_back(std::exp(-0.5 * i * i / (sigma * sigma)));
    total += kernel.back();
  }
  for (double& weight : kernel) weight /= total;

  std::vector<double> result(source.size(), 0);
  for (int y = 0; y < size; ++y) {
    for (int x = 0; x < size; ++x) {
      double sum = 0;
      for (int i = -reach; i <= reach; ++i) {
        const int sx = rows ? x + i : x;
        const int sy = rows ? y : y + i;
        if (sx < 0 || sy < 0 || sx >= size || sy >= size) continue;
        sum += source[static_cast<std::size_t>(sy * size + sx)] *
               kernel[static_cast<std::size_t>(i + reach)];
      }
      result[static_cast<std::size_t>(y * size + x)] = sum;
    }
  }
  return result;
}

}  // namespace

Colour Rgb(int r, int g, int b, int a) {
  return {r / 255.0, g / 255.0, b / 255.0, a / 255.0};
}

Colour Mix(Colour from, Colour to, double t) {
  return {from.r + (to.r - from.r) * t, from.g + (to.g - from.g) * t, from.b + (to.b - from.b) * t,
          from.a + (to.a - from.a) * t};
}

Colour WithAlpha(Colour colour, double alpha) {
  colour.a = alpha;
  return colour;
}

Shape Circle(Point centre, double radius) {
  return [=](Point p) { return Length(p - centre) - radius; };
}

// The nearest point on the ellipse is found by a few steps of approximating the arc near it
// with a circle about the evolute (the method is known from 0xfaded's write-up); four steps
// are closer than any sample of the rasterizer can tell. An estimate would not do here: a
// grown ellipse is an outline, and its width must not vary round the rim.
Shape Ellipse(Point centre, double radiusX, double radiusY) {
  return [=](Point p) {
    const double px = std::abs(p.x - centre.x);
    const double py = std::abs(p.y - centre.y);
    const double a = radiusX;
    const double b = radiusY;
    double tx = std::sqrt(0.5);
    double ty = std::sqrt(0.5);
    for (int i = 0; i < 4; ++i) {
      const double ex = (a * a - b * b) * tx * tx * tx / a;
      const double ey = (b * b - a * a) * ty * ty * ty / b;
      const double r = std::hypot(a * tx - ex, b * ty - ey);
      const double q = std::hypot(px - ex, py - ey);
      if (q <= 0) break;
      tx = std::clamp(((px - ex) * r / q + ex) / a, 0.0, 1.0);
      ty = std::clamp(((py - ey) * r / q + ey) / b, 0.0, 1.0);
      const double t = std::hypot(tx, ty);
      tx /= t;
      ty /= t;
    }
    const double distance = std::hypot(px - a * tx, py - b * ty);
    const bool inside = (px / a) * (px / a) + (py / b) * (py / b) < 1;
    return inside ? -distance : distance;
  };
}

Shape Box(double left, double top, double right, double bottom, double cornerRadius) {
  const Point centre{(left + right) / 2, (top + bottom) / 2};
  const Point half{(right - left) / 2, (bottom - top) / 2};
  const double radius = std::min({cornerRadius, half.x, half.y});
  return [=](Point p) {
    const double qx = std::abs(p.x - centre.x) - half.x + radius;
    const double qy = std::abs(p.y - centre.y) - half.y + radius;
    return std::hypot(std::max(qx, 0.0), std::max(qy, 0.0)) + std::min(std::max(qx, qy), 0.0) -
           radius;
  };
}

Shape Polygon(std::vector<Point> corners) {
  return [corners = std::move(corners)](Point p) {
    double distance = std::numeric_limits<double>::infinity();
    bool inside = false;
    for (std::size_t i = 0, j = corners.size() - 1; i < corners.size(); j = i++) {
      const Point a = corners[j];
      const Point b = corners[i];
      distance = std::min(distance, SegmentDistance(p, a, b));
      if ((a.y > p.y) != (b.y > p.y) && p.x < a.x + (p.y - a.y) * (b.x - a.x) / (b.y - a.y)) {
        inside = !inside;
      }
    }
    return inside ? -distance : distance;
  };
}

Shape Line(Point from, Point to, double width) {
  return [=](Point p) { return SegmentDistance(p, from, to) - width / 2; };
}

Shape HalfPlane(Point a, Point b) {
  const Point direction = b - a;
  const double length = Length(direction);
  return [=](Point p) { return -Cross(direction, p - a) / length; };
}

Shape Wedge(Point centre, Point from, Point to) {
  double span = std::atan2(to.y - centre.y, to.x - centre.x) -
                std::atan2(from.y - centre.y, from.x - centre.x);
  while (span < 0) span += 2 * kPi;
  Shape afterFrom = HalfPlane(centre, from);
  Shape beforeTo = HalfPlane(to, centre);
  return span <= kPi ? Intersect(afterFrom, beforeTo) : Union(afterFrom, beforeTo);
}

Shape Union(Shape a, Shape b) {
  return [=](Point p) { return std::min(a(p), b(p)); };
}

Shape Intersect(Shape a, Shape b) {
  return [=](Point p) { return std::max(a(p), b(p)); };
}

Shape Subtract(Shape a, Shape b) {
  return [=](Point p) { return std::max(a(p), -b(p)); };
}

Shape Grow(Shape shape, double by) {
  return [=](Point p) { return shape(p) - by; };
}

Shape Outline(Shape shape, double width) {
  return [=](Point p) { return std::abs(shape(p)) - width / 2; };
}

Shape Move(Shape shape, Point by) {
  return [=](Point p) { return shape(p - by); };
}

Shape Rotate(Shape shape, Point centre, double radians) {
  const double c = std::cos(radians);
  const double s = std::sin(radians);
  return [=](Point p) {
    const Point q = p - centre;
    return shape(centre + Point{c * q.x + s * q.y, -s * q.x + c * q.y});
  };
}

// The shape is laid down at small steps along the way; four copies per design unit leave no
// visible scallops even on the largest pictures.
Shape Sweep(Shape shape, Point by) {
  const int steps = std::max(2, static_cast<int>(std::ceil(Length(by) * 4)));
  return [=](Point p) {
    double distance = std::numeric_limits<double>::infinity();
    for (int i = 0; i <= steps; ++i)
      distance = std::min(distance, shape(p - by * (1.0 * i / steps)));
    return distance;
  };
}

Paint Solid(Colour colour) {
  return [=](Point) { return colour; };
}

Paint LinearGradient(Point from, Point to, std::vector<Stop> stops) {
  const Point direction = to - from;
  const double lengthSquared = Dot(direction, direction);
  return [=](Point p) { return Interpolate(stops, Dot(p - from, direction) / lengthSquared); };
}

Paint RadialGradient(Point centre, double radius, std::vector<Stop> stops) {
  return [=](Point p) { return Interpolate(stops, Length(p - centre) / radius); };
}

Image PixelArt(const std::vector<std::string_view>& rows,
               const std::vector<PaletteEntry>& palette) {
  Image image;
  image.height = static_cast<int>(rows.size());
  image.width = rows.empty() ? 0 : static_cast<int>(rows.front().size());
  image.rgba.assign(static_cast<std::size_t>(image.width * image.height) * 4, 0);
  for (int y = 0; y < image.height; ++y) {
    const std::string_view row = rows[static_cast<std::size_t>(y)];
    for (int x = 0; x < image.width && x < static_cast<int>(row.size()); ++x) {
      for (const PaletteEntry& entry : palette) {
        if (entry.key != row[static_cast<std::size_t>(x)]) continue;
        std::uint8_t* pixel = image.At(x, y);
        pixel[0] = static_cast<std::uint8_t>(std::lround(entry.colour.r * 255));
        pixel[1] = static_cast<std::uint8_t>(std::lround(entry.colour.g * 255));
        pixel[2] = static_cast<std::uint8_t>(std::lround(entry.colour.b * 255));
        pixel[3] = static_cast<std::uint8_t>(std::lround(entry.colour.a * 255));
      }
    }
  }
  return image;
}

Canvas::Canvas(int pixels, double designSize)
    : pixels_(pixels),
      scale_(pixels / designSize),
      data_(static_cast<std::size_t>(pixels * pixels) * 4, 0) {}

double Canvas::Snap(double value) const {
  return std::round(value * scale_) / scale_;
}

double Canvas::Px(double count) const {
  return std::max(1.0, std::round(count)) / scale_;
}

// The distance at the centre of a block of pixels tells whether the edge can run through it
// at all; blocks wholly inside or outside are done without looking at their pixels one by
// one, and of the pixels only those the edge runs through are sampled, on an 8 x 8 grid,
// which gives 64 steps of coverage. The shapes never claim more distance than there is, so
// nothing is skipped that the edge touches.
void Canvas::Fill(const Shape& shape, const Paint& paint, double opacity) {
  constexpr int kBlock = 8;
  for (int top = 0; top < pixels_; top += kBlock) {
    for (int left = 0; left < pixels_; left += kBlock) {
      const int right = std::min(left + kBlock, pixels_);
      const int bottom = std::min(top + kBlock, pixels_);
      const Point centre{(left + right) / 2.0 / scale_, (top + bottom) / 2.0 / scale_};
      const double reach = (std::hypot(right - left, bottom - top) / 2 + 1) / scale_;
      const double distance = shape(centre);
      if (distance >= reach) continue;
      FillBlock(shape, paint, opacity, left, top, right, bottom, distance <= -reach);
    }
  }
}

void Canvas::FillBlock(const Shape& shape, const Paint& paint, double opacity, int left, int top,
                       int right, int bottom, bool inside) {
  constexpr int kGrid = 8;
  const double unit = 1 / scale_;
  const double sure = unit;  // more than half a pixel's diagonal
  for (int y = top; y < bottom; ++y) {
    for (int x = left; x < right; ++x) {
      const Point centre{(x + 0.5) * unit, (y + 0.5) * unit};
      const double distance = inside ? -sure : shape(centre);
      double coverage = 0;
      if (distance <= -sure) {
        coverage = 1;
      } else if (distance < sure) {
        int hits = 0;
        for (int sy = 0; sy < kGrid; ++sy) {
          for (int sx = 0; sx < kGrid; ++sx) {
            const Point sample{(x + (sx + 0.5) / kGrid) * unit, (y + (sy + 0.5) / kGrid) * unit};
            if (shape(sample) <= 0) ++hits;
          }
        }
        coverage = static_cast<double>(hits) / (kGrid * kGrid);
      }
      if (coverage <= 0) continue;
      const Colour colour = paint(centre);
      const double alpha = std::clamp(colour.a * coverage * opacity, 0.0, 1.0);
      double* pixel = &data_[static_cast<std::size_t>(y * pixels_ + x) * 4];
      pixel[0] = colour.r * alpha + pixel[0] * (1 - alpha);
      pixel[1] = colour.g * alpha + pixel[1] * (1 - alpha);
      pixel[2] = colour.b * alpha + pixel[2] * (1 - alpha);
      pixel[3] = alpha + pixel[3] * (1 - alpha);
    }
  }
}

void Canvas::AddShadow(double offsetPixels, double blurPixels, double opacity) {
  std::vector<double> alpha(static_cast<std::size_t>(pixels_ * pixels_), 0);
  // The shadow is cast by the picture shifted; bilinear sampling lets the shift be a fraction
  // of a pixel, so the shadow keeps the same distance at every size.
  for (int y = 0; y < pixels_; ++y) {
    for (int x = 0; x < pixels_; ++x) {
      const double sx = x - offsetPixels;
      const double sy = y - offsetPixels;
      const int x0 = static_cast<int>(std::floor(sx));
      const int y0 = static_cast<int>(std::floor(sy));
      const double fx = sx - x0;
      const double fy = sy - y0;
      auto at = [&](int ax, int ay) {
        if (ax < 0 || ay < 0 || ax >= pixels_ || ay >= pixels_) return 0.0;
        return data_[static_cast<std::size_t>(ay * pixels_ + ax) * 4 + 3];
      };
      alpha[static_cast<std::size_t>(y * pixels_ + x)] =
          (at(x0, y0) * (1 - fx) + at(x0 + 1, y0) * fx) * (1 - fy) +
          (at(x0, y0 + 1) * (1 - fx) + at(x0 + 1, y0 + 1) * fx) * fy;
    }
  }
  const double sigma = blurPixels / 2;
  alpha = Blur(Blur(alpha, pixels_, sigma, true), pixels_, sigma, false);
  for (std::size_t i = 0; i < alpha.size(); ++i) {
    double* pixel = &data_[i * 4];
    // Black shadow behind: its colour contributes nothing, only its cover.
    pixel[3] = pixel[3] + alpha[i] * opacity * (1 - pixel[3]);
  }
}

Image Canvas::ToImage() const {
  Image image;
  image.width = pixels_;
  image.height = pixels_;
  image.rgba.assign(static_cast<std::size_t>(pixels_ * pixels_) * 4, 0);
  for (std::size_t i = 0; i < image.rgba.size(); i += 4) {
    const double alpha = std::clamp(data_[i + 3], 0.0, 1.0);
    const auto a = static_cast<std::uint8_t>(std::lround(alpha * 255));
    if (a == 0) continue;
    for (std::size_t c = 0; c < 3; ++c) {
      image.rgba[i + c] =
          static_cast<std::uint8_t>(std::lround(std::clamp(data_[i + c] / alpha, 0.0, 1.0) * 255));
    }
    image.rgba[i + 3] = a;
  }
  return image;
}

}  // namespace pictures
