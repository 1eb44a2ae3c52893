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

// WCAG 2's relative luminance and contrast ratio.
double Luminance(Rgba p) {
  const auto linear = [](int c) {
    const double v = c / 255.0;
    return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
  };
  return 0.2126 * linear(p.r) + 0.7152 * linear(p.g) + 0.0722 * linear(p.b);
}
double Contrast(Rgba a, Rgba b) {
  const double la = Luminance(a), lb = Luminance(b);
  return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

class TrayPictureStylesTest : public ::testing::Test {
 protected:
  static IconPicture Draw(int index, int size, TrayLook look = TrayLook::Classic) {
    TrayPictureStyle style;
    style.size = size;
    style.look = look;
    return DrawTrayPicture(index, style);
  }
  static constexpr int kSizes[] = {16, 20, 24, 32, 40, 48};
};

TEST_F(TrayPictureStylesTest, TheBarHasWholeRedColumnsInAWholeFrameAtEverySize) {
  const auto inBar = [](const Rgba& p) { return p == kRed || p == kGreen; };
  for (const int size : kSizes) {
    int lastRed = 0;
    for (int level = 0; level <= kMaxFillLevel; ++level) {
      SCOPED_TRACE("size " + std::to_string(size) + ", level " + std::to_string(level));
      const IconPicture picture = Draw(level, size);
      ASSERT_EQ(picture.Size(), size);
      for (const Rgba& p : picture.pixels) ASSERT_TRUE(p.a == 0 || p.a == 255);
      // Along a row through the bar: red, then green, in the frame.
      const int row = size / 4;
      int left = 0;
      while (left < size && !inBar(picture.At(left, row))) ++left;
      int right = left, red = 0;
      for (; right < size && inBar(picture.At(right, row)); ++right) {
        red += picture.At(right, row) == kRed;
        EXPECT_FALSE(right > left && picture.At(right, row) == kRed &&
                     picture.At(right - 1, row) == kGreen);
        // Each column one colour from the frame above to the frame below.
        int top = row, bottom = row;
        while (picture.At(right, top - 1) == picture.At(right, row)) --top;
        while (picture.At(right, bottom + 1) == picture.At(right, row)) ++bottom;
        EXPECT_EQ(picture.At(right, top - 1), kFrame);
        EXPECT_EQ(picture.At(right, bottom + 1), kFrame);
      }
      EXPECT_EQ(picture.At(left - 1, row), kFrame);
      EXPECT_EQ(picture.At(right, row), kFrame);
      EXPECT_GE(right - left, size * 3 / 4) << "the bar spans the picture";
      EXPECT_GE(red, lastRed) << "a fuller drive shows fewer red columns";
      EXPECT_EQ(red == 0, level == 0);
      EXPECT_EQ(red == right - left, level == kMaxFillLevel);
      lastRed = red;
    }
  }
}

TEST_F(TrayPictureStylesTest, AlarmAndUnreadableKeepTheirSignsAtEverySize) {
  for (const int size : kSizes) {
    SCOPED_TRACE("size " + std::to_string(size));
    // Down the triangle's middle: yellow, the stroke, yellow, the dot, outline.
    const IconPicture alarm = Draw(kIconAlarm, size);
    std::string column;
    for (int y = 0; y < size; ++y) {
      const Rgba& p = alarm.At(size / 2, y);
      if (p.a == 0) continue;
      const char kind = p.r > 200 && p.g > 150 ? 'y' : 'd';
      if (column.empty() || column.back() != kind) column += kind;
    }
    EXPECT_EQ(column, "dydydyd");
    // A red disc with white in it over the drive.
    const IconPicture unreadable = Draw(kIconUnreadable, size);
    int white = 0, lamp = 0;
    for (int y = 0; y < size; ++y) {
      for (int x = 0; x < size; ++x) {
        white += y < size / 2 && unreadable.At(x, y) == Rgba{255, 255, 255, 255};
        lamp += unreadable.At(x, y) == kGreen;
      }
    }
    EXPECT_GE(white, size / 2) << "the question mark";
    EXPECT_GT(lamp, 0) << "the drive's lamp";
    const Rgba disc = unreadable.At(size / 4, size * 11 / 32);
    EXPECT_TRUE(disc.r >= 96 && disc.g == 0) << "the disc";
  }
}

// The pictures at 32 in the default look are those the program has always shown, to the
// byte: an FNV-1a hash over the thirty, taken before pictures came at other sizes.
TEST_F(TrayPictureStylesTest, TheDefaultStyleDrawsThePicturesAsEver) {
  std::uint32_t hash = 2166136261u;
  for (int index = 0; index < kTrayPictureCount; ++index) {
    for (const Rgba& p : DrawTrayPicture(index).pixels) {
      for (const std::uint8_t byte : {p.r, p.g, p.b, p.a}) hash = (hash ^ byte) * 16777619u;
    }
  }
  EXPECT_EQ(hash, 1833188493u);
}

TEST_F(TrayPictureStylesTest, TheLookFollowsTheTaskbar) {
  const struct {
    TaskbarLook taskbar;
    TrayPictureStyle style;
  } rows[] = {
      {{16, std::nullopt, std::nullopt}, {16, TrayLook::Classic}},
      {{12, "1", std::nullopt}, {16, TrayLook::Classic}},
      {{24, "0", std::nullopt}, {24, TrayLook::DarkTaskbar}},
      {{80, "0", 0x00FF00u}, {64, TrayLook::HighContrast, {0, 255, 0, 255}}},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(TrayPictureStyleFor(row.taskbar), row.style) << row.taskbar.smallIconSize;
  }
}

// The dark look adds an edge around the shape and keeps every pixel of the shape; the high
// contrast look draws the outlines in the theme's colour and keeps the bar's red and green.
TEST_F(TrayPictureStylesTest, OtherLooksKeepTheShapeAndItsColours) {
  for (const int size : {16, 32}) {
    for (int index = 0; index < kTrayPictureCount; ++index) {
      const IconPicture classic = Draw(index, size),
                        dark = Draw(index, size, TrayLook::DarkTaskbar);
      int added = 0;
      for (std::size_t i = 0; i < classic.pixels.size(); ++i) {
        if (classic.pixels[i].a != 0) {
          ASSERT_EQ(dark.pixels[i], classic.pixels[i]) << index;
        }
        added += classic.pixels[i].a == 0 && dark.pixels[i].a != 0;
      }
      EXPECT_GE(added, size) << index;
    }
    TrayPictureStyle contrast{size, TrayLook::HighContrast, {255, 255, 0, 255}};
    const IconPicture bar = DrawTrayPicture(13, contrast);
    EXPECT_EQ(bar.At((size + 16) / 32, size / 4), contrast.themeText);
    EXPECT_EQ(bar.At(size / 8, size / 4), kRed);
    EXPECT_EQ(bar.At(size * 3 / 4, size / 4), kGreen);
  }
}

// How well each picture's outline stands out against the taskbars it is shown on: WCAG
// 2.1's 1.4.11 asks 3:1 of the parts needed to make out a graphic against what lies next to
// them, and here that is the outline against the taskbar. The pictures are lit from the top
// left: a light frame above and left, a dark shadow below and right, as the system's own
// icons, and the eye closes a shape from either half. So at least half of each outline (its
// pixels next to the taskbar) must reach 3:1 on every taskbar of its look. The classic look
// does on the light and the classic grey taskbars and fails on the dark ones; hence the dark
// look.
TEST_F(TrayPictureStylesTest, OutlinesStandOutOnTheTaskbarsOfTheirLook) {
  const struct {
    const char* name;
    Rgba colour;
    TrayLook look;
  } taskbars[] = {
      {"Windows 11 dark #202020", {0x20, 0x20, 0x20, 255}, TrayLook::DarkTaskbar},
      {"Windows 10 dark #101010", {0x10, 0x10, 0x10, 255}, TrayLook::DarkTaskbar},
      {"Windows 11 light #F3F3F3", {0xF3, 0xF3, 0xF3, 255}, TrayLook::Classic},
      {"Windows 10 light #EEEEEE", {0xEE, 0xEE, 0xEE, 255}, TrayLook::Classic},
      {"classic #D4D0C8", {0xD4, 0xD0, 0xC8, 255}, TrayLook::Classic},
      {"classic #C0C0C0", {0xC0, 0xC0, 0xC0, 255}, TrayLook::Classic},
  };
  const std::pair<const char*, Rgba> parts[] = {
      {"frame", kFrame},
      {"shadow", {48, 48, 48, 255}},
      {"drive outline", {64, 64, 64, 255}},
      {"triangle outline", {48, 32, 0, 255}},
      {"disc rim", {112, 0, 0, 255}},
      {"dark look's edge", {200, 200, 200, 255}},
  };
  for (const auto& taskbar : taskbars) {
    std::printf("%-26s", taskbar.name);
    for (const auto& [part, colour] : parts) {
      std::printf(" %s %.2f", part, Contrast(colour, taskbar.colour));
    }
    double worst = 1;
    for (const int size : kSizes) {
      for (int index = 0; index < kTrayPictureCount; ++index) {
        const IconPicture picture = Draw(index, size, taskbar.look);
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
            standingOut += Contrast(picture.At(x, y), taskbar.colour) >= 3;
          }
        }
        worst = std::min(worst, static_cast<double>(standingOut) / outline);
        EXPECT_GE(2 * standingOut, outline)
            << taskbar.name << ", size " << size << ", picture " << index;
      }
    }
    std::printf("; outline at 3:1 at least %.0f%%\n", 100 * worst);
  }
}

}  // namespace
}  // namespace quenora
