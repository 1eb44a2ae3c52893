#pragma once
// A square RGBA picture, 32 x 32 unless made at another size, as the tray pictures are drawn
// and the icons are made from.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace quenora {

struct Rgba {
  std::uint8_t r = 0, g = 0, b = 0, a = 0;
  friend bool operator==(const Rgba&, const Rgba&) = default;
};

// Rows from the top, alpha only 0 (transparent) or 255 (opaque).
struct IconPicture {
  static constexpr int kSize = 32;
  static constexpr int kMinSize = 16;
  static constexpr int kMaxSize = 64;

  explicit IconPicture(int size = kSize)
      : size(size), pixels(static_cast<std::size_t>(size * size)) {}

  int Size() const { return size; }
  Rgba& At(int x, int y) { return pixels[static_cast<std::size_t>(y * size + x)]; }
  const Rgba& At(int x, int y) const { return pixels[static_cast<std::size_t>(y * size + x)]; }

  int size;
  std::vector<Rgba> pixels;
};

}  // namespace quenora
