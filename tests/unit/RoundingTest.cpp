#include "util/Rounding.h"

#include <gtest/gtest.h>

namespace quenora {
namespace {

TEST(RoundingTest, HalfEvenSendsTiesToTheEvenNeighbour) {
  EXPECT_EQ(RoundHalfEven(13.5), 14);
  EXPECT_EQ(RoundHalfEven(12.5), 12);
  EXPECT_EQ(RoundHalfEven(0.5), 0);
  EXPECT_EQ(RoundHalfEven(-0.5), 0);
  EXPECT_EQ(RoundHalfEven(-1.5), -2);
  EXPECT_EQ(RoundHalfEven(2.4999999), 2);
  EXPECT_EQ(RoundHalfEven(2.5000001), 3);
  EXPECT_EQ(RoundHalfEven(-2.6), -3);
}

TEST(RoundingTest, HalfAwayFromZeroSendsTiesOutward) {
  EXPECT_EQ(RoundHalfAwayFromZero(0.5), 1);
  EXPECT_EQ(RoundHalfAwayFromZero(2.5), 3);
  EXPECT_EQ(RoundHalfAwayFromZero(-2.5), -3);
  EXPECT_EQ(RoundHalfAwayFromZero(2.4999999), 2);
  EXPECT_EQ(RoundHalfAwayFromZero(0.0), 0);
}

}  // namespace
}  // namespace quenora
