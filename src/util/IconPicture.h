#pragma once
// A 32 x 32 picture in RGBA, as the tray pictures are drawn and the icons are made from.

#include <array>
#include <cstddef>
#include <cstdint>

namespace quenora {

struct Rgba {
  std::uint8_t r = 0, g = 0, b = 0, a = 0;
  friend bool operator==(const Rgba&, const Rgba&) = default;
};

// Rows from the top, alpha only 0 (transparent) or 255 (opaque).
struct IconPicture {
  static constexpr int kSize = 32;
  std::array<Rgba, kSize * kSize> pixels{};
  Rgba& At(int x, int y) { return pixels[static_cast<std::size_t>(y * kSize + x)]; }
  const Rgba& At(int x, int y) const { return pixels[static_cast<std::size_t>(y * kSize + x)]; }
};

}  // namespace quenora
