#pragma once
// The thirty tray pictures: fill levels 0..27, the alarm triangle and the unreadable drive.

#include <array>
#include <cstdint>

namespace quenora {

inline constexpr int kTrayPictureCount = 30;
inline constexpr int kIconAlarm = 28;
inline constexpr int kIconUnreadable = 29;
inline constexpr int kMaxFillLevel = 27;

struct Rgba {
  std::uint8_t r = 0, g = 0, b = 0, a = 0;
  friend bool operator==(const Rgba&, const Rgba&) = default;
};

// A 32 x 32 picture, rows from the top, alpha only 0 (transparent) or 255 (opaque).
struct TrayPicture {
  static constexpr int kSize = 32;
  std::array<Rgba, kSize * kSize> pixels{};
  Rgba& At(int x, int y) { return pixels[static_cast<std::size_t>(y * kSize + x)]; }
  const Rgba& At(int x, int y) const { return pixels[static_cast<std::size_t>(y * kSize + x)]; }
};

// Draws IcoImage(index), 0..29; any other index gives the unreadable drive.
TrayPicture DrawTrayPicture(int index);

}  // namespace quenora
