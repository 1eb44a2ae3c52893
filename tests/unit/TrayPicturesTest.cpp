#include "monitor/TrayPictures.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <string>
#include <vector>

namespace quenora {
namespace {

constexpr int kSize = IconPicture::kSize;

// Where the bar and the drive sit in every fill picture: one bar column per fill level.
constexpr int kBarLeft = 2;
constexpr int kBarRight = 28;
constexpr int kBarTop = 2;
constexpr int kBarBottom = 13;
constexpr int kDriveTop = 16;
constexpr int kDriveBottom = 29;

bool IsOpaque(const Rgba& p) {
  return p.a == 255;
}
bool IsTransparent(const Rgba& p) {
  return p.a == 0;
}
bool IsPureRed(const Rgba& p) {
  return p == Rgba{255, 0, 0, 255};
}
bool IsPureGreen(const Rgba& p) {
  return p == Rgba{0, 255, 0, 255};
}
int Brightness(const Rgba& p) {
  return p.r + p.g + p.b;
}
bool IsGrey(const Rgba& p) {
  return IsOpaque(p) && p.r == p.g && p.g == p.b && p.r >= 64 && p.r <= 224;
}
bool IsLampGreen(const Rgba& p) {
  return IsOpaque(p) && p.g >= 200 && p.r <= 80 && p.b <= 80;
}
bool IsYellow(const Rgba& p) {
  return IsOpaque(p) && p.r >= 200 && p.g >= 160 && p.b <= 80;
}
bool IsDark(const Rgba& p) {
  return IsOpaque(p) && Brightness(p) <= 150;
}
bool IsWhite(const Rgba& p) {
  return IsOpaque(p) && p.r >= 240 && p.g >= 240 && p.b >= 240;
}
bool IsRedOfDisc(const Rgba& p) {
  return IsOpaque(p) && p.r >= 96 && p.g <= 40 && p.b <= 40;
}

bool SameRows(const IconPicture& a, const IconPicture& b, int top, int bottom) {
  for (int y = top; y <= bottom; ++y) {
    for (int x = 0; x < kSize; ++x) {
      if (!(a.At(x, y) == b.At(x, y))) return false;
    }
  }
  return true;
}

class TrayPicturesTest : public ::testing::Test {
 protected:
  TrayPicturesTest() {
    for (int index = 0; index < kTrayPictureCount; ++index) {
      pictures.push_back(DrawTrayPicture(index));
    }
  }

  const IconPicture& Fill(int level) const { return pictures[static_cast<std::size_t>(level)]; }
  const IconPicture& Alarm() const { return pictures[kIconAlarm]; }
  const IconPicture& Unreadable() const { return pictures[kIconUnreadable]; }

  std::vector<IconPicture> pictures;
};

TEST_F(TrayPicturesTest, FillBarShowsOneRedColumnPerLevelLeftOfTheGreen) {
  for (int level = 0; level <= kMaxFillLevel; ++level) {
    SCOPED_TRACE("fill level " + std::to_string(level));
    const IconPicture& picture = Fill(level);
    int redColumns = 0;
    int greenColumns = 0;
    bool seenGreen = false;
    for (int x = kBarLeft; x <= kBarRight; ++x) {
      const Rgba& top = picture.At(x, kBarTop);
      for (int y = kBarTop + 1; y <= kBarBottom; ++y) {
        ASSERT_EQ(picture.At(x, y), top) << "column " << x << " is not uniform at row " << y;
      }
      if (IsPureRed(top)) {
        EXPECT_FALSE(seenGreen) << "red column " << x << " right of a green one";
        ++redColumns;
      } else if (IsPureGreen(top)) {
        seenGreen = true;
        ++greenColumns;
      } else {
        ADD_FAILURE() << "column " << x << " is neither pure red nor pure green";
      }
    }
    EXPECT_EQ(redColumns, level);
    EXPECT_EQ(greenColumns, kMaxFillLevel - level);
  }
}

TEST_F(TrayPicturesTest, FillBarHasAGreyFrameAndADarkerShadow) {
  for (int level = 0; level <= kMaxFillLevel; ++level) {
    SCOPED_TRACE("fill level " + std::to_string(level));
    const IconPicture& picture = Fill(level);
    std::vector<Rgba> frame;
    for (int x = 1; x <= 29; ++x) {
      frame.push_back(picture.At(x, 1));
      frame.push_back(picture.At(x, 14));
    }
    for (int y = 1; y <= 14; ++y) {
      frame.push_back(picture.At(1, y));
      frame.push_back(picture.At(29, y));
    }
    int darkestFrame = 3 * 255;
    for (const Rgba& p : frame) {
      EXPECT_TRUE(IsGrey(p)) << int{p.r} << "," << int{p.g} << "," << int{p.b} << "/" << int{p.a};
      darkestFrame = std::min(darkestFrame, Brightness(p));
    }

    std::vector<Rgba> shadow;
    for (int y = 2; y <= 15; ++y) shadow.push_back(picture.At(30, y));
    for (int x = 2; x <= 30; ++x) shadow.push_back(picture.At(x, 15));
    for (const Rgba& p : shadow) {
      EXPECT_TRUE(IsOpaque(p));
      EXPECT_LT(Brightness(p), darkestFrame);
    }
  }
}

TEST_F(TrayPicturesTest, FillPicturesLeaveTheBorderTransparent) {
  for (int level = 0; level <= kMaxFillLevel; ++level) {
    SCOPED_TRACE("fill level " + std::to_string(level));
    const IconPicture& picture = Fill(level);
    for (int i = 0; i < kSize; ++i) {
      EXPECT_TRUE(IsTransparent(picture.At(i, 0))) << "row 0, column " << i;
      EXPECT_TRUE(IsTransparent(picture.At(0, i))) << "column 0, row " << i;
      EXPECT_TRUE(IsTransparent(picture.At(kSize - 1, i))) << "column 31, row " << i;
      EXPECT_TRUE(IsTransparent(picture.At(i, kSize - 1))) << "row 31, column " << i;
    }
  }
}

TEST_F(TrayPicturesTest, EveryPixelIsFullyOpaqueOrFullyTransparent) {
  for (int index = 0; index < kTrayPictureCount; ++index) {
    int opaque = 0;
    for (const Rgba& p : pictures[static_cast<std::size_t>(index)].pixels) {
      EXPECT_TRUE(p.a == 0 || p.a == 255) << "picture " << index << " alpha " << int{p.a};
      if (IsOpaque(p)) ++opaque;
    }
    // A blank icon would pass the alpha check too; every picture shows a sizeable shape.
    EXPECT_GT(opaque, 300) << "picture " << index;
  }
}

TEST_F(TrayPicturesTest, FillPicturesShareOneDriveWithAGreenLamp) {
  for (int level = 1; level <= kMaxFillLevel; ++level) {
    EXPECT_TRUE(SameRows(Fill(level), Fill(0), kDriveTop, kDriveBottom)) << "level " << level;
  }
  int lampPixels = 0;
  int greyPixels = 0;
  for (int y = kDriveTop; y <= kDriveBottom; ++y) {
    for (int x = 0; x < kSize; ++x) {
      if (IsLampGreen(Fill(0).At(x, y))) ++lampPixels;
      if (IsGrey(Fill(0).At(x, y))) ++greyPixels;
    }
  }
  EXPECT_GT(lampPixels, 0);
  // A small lamp on a large grey body, not a second green bar.
  EXPECT_LT(lampPixels, 20);
  EXPECT_GT(greyPixels, 150);
}

TEST_F(TrayPicturesTest, AlarmIsAYellowTriangleWithAnExclamationMark) {
  int yellow = 0;
  int minX = kSize, maxX = -1, minY = kSize, maxY = -1;
  for (int y = 0; y < kSize; ++y) {
    for (int x = 0; x < kSize; ++x) {
      const Rgba& p = Alarm().At(x, y);
      if (IsYellow(p)) ++yellow;
      if (IsOpaque(p)) {
        minX = std::min(minX, x), maxX = std::max(maxX, x);
        minY = std::min(minY, y), maxY = std::max(maxY, y);
      }
    }
  }
  EXPECT_GT(yellow, 200);
  EXPECT_GE(maxX - minX + 1, 28) << "the triangle should fill the picture's width";
  EXPECT_GE(maxY - minY + 1, 28) << "the triangle should fill the picture's height";
  // Narrow at the top, wide at the bottom.
  int topRowWidth = 0;
  int bottomRowWidth = 0;
  for (int x = 0; x < kSize; ++x) {
    if (IsOpaque(Alarm().At(x, minY))) ++topRowWidth;
    if (IsOpaque(Alarm().At(x, maxY))) ++bottomRowWidth;
  }
  EXPECT_LE(topRowWidth, 4);
  EXPECT_GE(bottomRowWidth, 26);

  // A dark mark down the middle, inside the yellow.
  int darkInMiddle = 0;
  for (int y = minY + 8; y <= maxY - 3; ++y) darkInMiddle += IsDark(Alarm().At(16, y));
  EXPECT_GE(darkInMiddle, 8);
}

TEST_F(TrayPicturesTest, AlarmDiffersFromEveryOtherPicture) {
  for (int index = 0; index < kTrayPictureCount; ++index) {
    if (index == kIconAlarm) continue;
    EXPECT_NE(pictures[static_cast<std::size_t>(index)].pixels, Alarm().pixels) << index;
  }
}

TEST_F(TrayPicturesTest, UnreadableShowsTheDriveUnderARedDiscWithAQuestionMark) {
  int redPixels = 0, whitePixels = 0;
  int minX = kSize, maxX = -1;
  for (int y = 0; y < kDriveTop; ++y) {
    for (int x = 0; x < kSize; ++x) {
      const Rgba& p = Unreadable().At(x, y);
      if (IsRedOfDisc(p)) {
        ++redPixels;
        minX = std::min(minX, x), maxX = std::max(maxX, x);
      }
      whitePixels += IsWhite(p);
    }
  }
  EXPECT_GT(redPixels, 150);
  EXPECT_GE(maxX - minX + 1, 17) << "the disc should be large enough to read";
  EXPECT_GT(whitePixels, 40) << "the question mark";
  // Below the disc it is the very drive of the fill pictures.
  EXPECT_TRUE(SameRows(Unreadable(), Fill(0), 21, kDriveBottom));
  EXPECT_NE(Unreadable().pixels, Alarm().pixels);
}

TEST_F(TrayPicturesTest, IndexOutOfRangeShowsTheUnreadableDrive) {
  for (int index : {-1, kTrayPictureCount, kTrayPictureCount + 1, 1000, INT_MIN, INT_MAX}) {
    EXPECT_EQ(DrawTrayPicture(index).pixels, Unreadable().pixels) << "index " << index;
  }
}

}  // namespace
}  // namespace quenora
