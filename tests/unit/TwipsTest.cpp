#include "ui/Twips.h"

#include <gtest/gtest.h>

namespace quenora {
namespace {

TEST(TwipsTest, TwipsToPixelsRoundsToTheNearestPixel) {
  EXPECT_EQ(TwipsToPixels(1440, 96), 96);
  EXPECT_EQ(TwipsToPixels(15, 96), 1);
  EXPECT_EQ(TwipsToPixels(5580, 96), 372);
  EXPECT_EQ(TwipsToPixels(5580, 192), 744);
  EXPECT_EQ(TwipsToPixels(3630, 144), 363);
  EXPECT_EQ(TwipsToPixels(1, 96), 0);
  EXPECT_EQ(TwipsToPixels(7, 96), 0);  // 0.47
  EXPECT_EQ(TwipsToPixels(8, 96), 1);  // 0.53
  // Halves go away from zero, for positions left of or above the origin too.
  EXPECT_EQ(TwipsToPixels(15, 48), 1);
  EXPECT_EQ(TwipsToPixels(-15, 48), -1);
  EXPECT_EQ(TwipsToPixels(-8, 96), -1);
  EXPECT_EQ(TwipsToPixels(2147483647, 480), 715827882);  // no overflow on the way
}

}  // namespace
}  // namespace quenora
