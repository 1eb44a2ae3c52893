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

// WCAG 2's contrast ratio of two colours' relative luminances.
double Contrast(Rgba a, Rgba b) {
  const auto luminance = [](Rgba p) {
    const auto linear = [](int c) {
      return c <= 10 ? c / 255.0 / 12.92 : std::pow((c / 255.0 + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * linear(p.r) + 0.7152 * linear(p.g) + 0.0722 * linear(p.b);
  };
  const double la = luminance(a), lb = luminance(b);
  return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

class TrayPictureStylesTest : public ::testing::Test {
 protected:
  static IconPicture Draw(int index, int size, TrayLook look = TrayLook::Classic) {
    return DrawTrayPicture(index, {size, look});
  }
  static constexpr int kSizes[] = {16, 20, 24, 32, 40, 48};
};

TEST_F(TrayPictureStylesTest, EverySizeHasAWholeFrameAndRedColumnsThatGrowWithTheLevel) {
  for (const int size : kSizes) {
    int lastRed = 0;
    for (int level = 0; level <= kMaxFillLevel; ++level) {
      SCOPED_TRACE("size " + std::to_string(size) + ", level " + std::to_string(level));
      const IconPicture picture = Draw(level, size);
      for (const Rgba& p : picture.pixels) ASSERT_TRUE(p.a == 0 || p.a == 255);
      // Along the bar's middle row: frame, red, green, frame; each bar column one colour from
      // the frame above to the frame below.
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
      EXPECT_GE(red, lastRed) << "a fuller drive shows fewer red columns";
      EXPECT_EQ(red == 0, level == 0);
      EXPECT_EQ(red == x - left, level == kMaxFillLevel);
      lastRed = red;
    }
    const IconPicture drive = Draw(kIconUnreadable, size);
    EXPECT_NE(std::find(drive.pixels.begin(), drive.pixels.end(), kGreen), drive.pixels.end())
        << "the drive's lamp at " << size;
  }
}

// An FNV-1a hash over the thirty pictures of the default style, taken from the pictures
// drawn before there were other sizes: at 32 they stay those, to the byte.
TEST_F(TrayPictureStylesTest, TheDefaultStyleDrawsThePicturesAsEver) {
  std::uint32_t hash = 2166136261u;
  for (int index = 0; index < kTrayPictureCount; ++index) {
    for (const Rgba& p : DrawTrayPicture(index).pixels) {
      for (const std::uint8_t byte : {p.r, p.g, p.b, p.a}) hash = (hash ^ byte) * 16777619u;
    }
  }
  EXPECT_EQ(hash, 1833188493u);
}

// The look follows the taskbar; the dark look's edge keeps every pixel of the shape, the high
// contrast look's outlines take the theme's colour and the bar keeps red and green.
TEST_F(TrayPictureStylesTest, TheLookFollowsTheTaskbarAndKeepsTheShape) {
  EXPECT_EQ(TrayPictureStyleFor({12, "1", std::nullopt}), (TrayPictureStyle{16}));
  EXPECT_EQ(TrayPictureStyleFor({24, "0", std::nullopt}),
            (TrayPictureStyle{24, TrayLook::DarkTaskbar}));
  EXPECT_EQ(TrayPictureStyleFor({80, "0", 0x00FF00u}),
            (TrayPictureStyle{64, TrayLook::HighContrast, {0, 255, 0, 255}}));
  for (int index = 0; index < kTrayPictureCount; ++index) {
    const IconPicture classic = Draw(index, 20), dark = Draw(index, 20, TrayLook::DarkTaskbar);
    for (std::size_t i = 0; i < classic.pixels.size(); ++i) {
      EXPECT_TRUE(classic.pixels[i].a == 0 || dark.pixels[i] == classic.pixels[i]) << index;
    }
  }
  const IconPicture contrast =
      DrawTrayPicture(13, {16, TrayLook::HighContrast, {255, 255, 0, 255}});
  EXPECT_EQ(contrast.At(1, 4), (Rgba{255, 255, 0, 255}));
  EXPECT_EQ(contrast.At(2, 4), kRed);
}

// WCAG 2.1's 1.4.11 asks 3:1 of the parts needed to make out a graphic against what lies
// next to them: here, a picture's outline (its pixels next to the taskbar) against the
// taskbar. The pictures are lit from the top left, a light frame above and left, a dark
// shadow below and right, as the system's own icons; the eye closes a shape from either
// half. So at least half of each outline must reach 3:1 on every taskbar of its look. The
// classic look does on the light and the classic grey taskbars, not on the dark ones (the
// figures printed here say which parts melt into them); hence the dark look.
TEST_F(TrayPictureStylesTest, OutlinesStandOutOnTheTaskbarsOfTheirLook) {
  const std::pair<std::uint32_t, TrayLook> taskbars[] = {
      {0x202020, TrayLook::DarkTaskbar}, {0x101010, TrayLook::DarkTaskbar},  // Windows 11, 10
      {0xF3F3F3, TrayLook::Classic},     {0xEEEEEE, TrayLook::Classic},      // light
      {0xD4D0C8, TrayLook::Classic},     {0xC0C0C0, TrayLook::Classic}};     // classic
  // Frame, shadow, drive outline, triangle outline, disc rim, the dark look's edge.
  const Rgba parts[] = {kFrame,      {48, 48, 48}, {64, 64, 64},
                        {48, 32, 0}, {112, 0, 0},  {200, 200, 200}};
  for (const auto& [rgb, look] : taskbars) {
    const Rgba taskbar{static_cast<std::uint8_t>(rgb >> 16), static_cast<std::uint8_t>(rgb >> 8),
                       static_cast<std::uint8_t>(rgb), 255};
    std::printf("taskbar #%06X, parts", static_cast<unsigned>(rgb));
    for (const Rgba part : parts) std::printf(" %5.2f", Contrast(part, taskbar));
    double least = 1;
    for (const int size : kSizes) {
      for (int index = 0; index < kTrayPictureCount; ++index) {
        const IconPicture picture = Draw(index, size, look);
        const auto clear = [&](int x, int y) {
          return x < 0 || y < 0 || x >= size || y >= size || picture.At(x, y).a == 0;
        };
        int outline = 0, standingOut = 0;
        for (int y = 0; y < size; ++y) {
          for (int x = 0; x < size; ++x) {
            if (clear(x, y) ||
                !(clear(x - 1, y) || clear(x + 1, y) || clear(x, y - 1) || clear(x, y + 1)))
              continue;
            ++outline;
            standingOut += Contrast(picture.At(x, y), taskbar) >= 3;
          }
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
