#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>
#include <utility>

#include "monitor/TrayPictures.h"

namespace quenora {
namespace {

constexpr Rgba kRed{255, 0, 0, 255}, kGreen{0, 255, 0, 255}, kFrame{128, 128, 128, 255};
constexpr int kSizes[] = {16, 20, 24, 32, 40, 48};

double Contrast(Rgba a, Rgba b) {  // WCAG 2's contrast ratio
  const auto luminance = [](Rgba p) {
    const auto linear = [](int c) {
      return c <= 10 ? c / 255.0 / 12.92 : std::pow((c / 255.0 + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * linear(p.r) + 0.7152 * linear(p.g) + 0.0722 * linear(p.b);
  };
  const double la = luminance(a), lb = luminance(b);
  return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

TEST(TrayPictureStylesTest, EverySizeHasAWholeFrameAndRedColumnsThatGrowWithTheLevel) {
  for (const int size : kSizes) {
    int lastRed = 0;
    for (int level = 0; level <= kMaxFillLevel; ++level) {
      SCOPED_TRACE("size " + std::to_string(size) + ", level " + std::to_string(level));
      const IconPicture picture = DrawTrayPicture(level, {size});
      for (const Rgba& p : picture.pixels) ASSERT_TRUE(p.a == 0 || p.a == 255);
      // Along the bar's middle row: frame, red, green, frame; each column one colour between
      // the frame above and below.
      const int row = size / 4;
      int x = 0, red = 0;
      while (picture.At(x, row) != kFrame) ++x;
      while (picture.At(x, row) == kFrame) ++x;
      const int left = x;
      for (; picture.At(x, row) == kRed || picture.At(x, row) == kGreen; ++x) {
        red += picture.At(x, row) == kRed;
        ASSERT_FALSE(picture.At(x, row) == kRed && picture.At(x - 1, row) == kGreen);
        int top = row, bottom = row;
        while (picture.At(x, top - 1) == picture.At(x, row)) --top;
        while (picture.At(x, bottom + 1) == picture.At(x, row)) ++bottom;
        ASSERT_TRUE(picture.At(x, top - 1) == kFrame && picture.At(x, bottom + 1) == kFrame);
      }
      EXPECT_EQ(picture.At(x, row), kFrame);
      EXPECT_GE(x - left, size * 3 / 4) << "the bar spans the picture";
      EXPECT_GE(red, lastRed);
      EXPECT_EQ(red == 0, level == 0);
      EXPECT_EQ(red == x - left, level == kMaxFillLevel);
      lastRed = red;
    }
    const auto drive = DrawTrayPicture(kIconUnreadable, {size}).pixels;
    EXPECT_NE(std::find(drive.begin(), drive.end(), kGreen), drive.end()) << "lamp at " << size;
  }
}

// The default look at 32 draws the pictures of old, to the byte (their FNV-1a); the dark look
// adds only where they were clear, the high contrast look keeps the bar's red.
TEST(TrayPictureStylesTest, TheLookFollowsTheTaskbarAndKeepsTheShape) {
  EXPECT_EQ(TrayPictureStyleFor({12, "1", std::nullopt}), (TrayPictureStyle{16}));
  EXPECT_EQ(TrayPictureStyleFor({24, "0", std::nullopt}),
            (TrayPictureStyle{24, TrayLook::DarkTaskbar}));
  EXPECT_EQ(TrayPictureStyleFor({80, "0", 0x00FF00u}),
            (TrayPictureStyle{64, TrayLook::HighContrast, {0, 255, 0, 255}}));
  std::uint32_t hash = 2166136261u;
  for (int index = 0; index < kTrayPictureCount; ++index) {
    for (const Rgba& p : DrawTrayPicture(index).pixels)
      for (const std::uint8_t byte : {p.r, p.g, p.b, p.a}) hash = (hash ^ byte) * 16777619u;
    const auto classic = DrawTrayPicture(index, {20}).pixels,
               dark = DrawTrayPicture(index, {20, TrayLook::DarkTaskbar}).pixels;
    for (std::size_t i = 0; i < classic.size(); ++i)
      EXPECT_TRUE(classic[i].a == 0 || dark[i] == classic[i]) << index;
  }
  EXPECT_EQ(hash, 1833188493u);
  const auto contrast = DrawTrayPicture(13, {16, TrayLook::HighContrast, {255, 255, 0, 255}});
  EXPECT_EQ(contrast.At(1, 4), (Rgba{255, 255, 0, 255}));
  EXPECT_EQ(contrast.At(2, 4), kRed);
}

// WCAG 2.1's 1.4.11: 3:1 for a graphic's outline against the taskbar. Lit from the top left,
// the eye closes a shape from either half, so half of each outline must reach it. The classic
// look fails on dark taskbars (the printed figures say which parts melt), hence the dark look.
TEST(TrayPictureStylesTest, OutlinesStandOutOnTheTaskbarsOfTheirLook) {
  const std::pair<std::uint32_t, TrayLook> taskbars[] = {
      {0x202020, TrayLook::DarkTaskbar}, {0x101010, TrayLook::DarkTaskbar},  // Windows 11, 10
      {0xF3F3F3, TrayLook::Classic},     {0xEEEEEE, TrayLook::Classic},      // light
      {0xD4D0C8, TrayLook::Classic},     {0xC0C0C0, TrayLook::Classic}};     // classic
  // Frame, shadow, drive outline, triangle outline, disc rim, the dark look's edge.
  const Rgba parts[] = {kFrame,      {48, 48, 48}, {64, 64, 64},
                        {48, 32, 0}, {112, 0, 0},  {200, 200, 200}};
  for (const auto& [rgb, look] : taskbars) {
    const Rgba taskbar{std::uint8_t(rgb >> 16), std::uint8_t(rgb >> 8), std::uint8_t(rgb), 255};
    std::printf("taskbar #%06X, parts", static_cast<unsigned>(rgb));
    for (const Rgba part : parts) std::printf(" %5.2f", Contrast(part, taskbar));
    double least = 1;
    for (const int size : kSizes) {
      for (int index = 0; index < kTrayPictureCount; ++index) {
        const IconPicture picture = DrawTrayPicture(index, {size, look});
        const auto clear = [&](int x, int y) {
          return x < 0 || y < 0 || x >= size || y >= size || picture.At(x, y).a == 0;
        };
        int outline = 0, standingOut = 0;
        for (int i = 0, x = 0, y = 0; i < size * size; ++i, x = i % size, y = i / size) {
          if (clear(x, y) ||
              !(clear(x - 1, y) || clear(x + 1, y) || clear(x, y - 1) || clear(x, y + 1)))
            continue;
          ++outline;
          standingOut += Contrast(picture.At(x, y), taskbar) >= 3;
        }
        least = std::min(least, static_cast<double>(standingOut) / outline);
        EXPECT_GE(2 * standingOut, outline)
            << std::hex << rgb << std::dec << ", size " << size << ", picture " << index;
      }
    }
    std::printf("; outline at 3:1 or more: at least %.0f%%\n", 100 * least);
  }
}

}  // namespace
}  // namespace quenora
