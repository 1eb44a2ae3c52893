#include "util/SizeText.h"

#include <gtest/gtest.h>

#include <cmath>

namespace quenora {
namespace {

TEST(SizeTextTest, UnitBoundaries) {
  EXPECT_EQ(ChooseUnit(1023).text, " Byte");
  EXPECT_EQ(ChooseUnit(1024).text, " KB");
  EXPECT_EQ(ChooseUnit(1048575).text, " KB");
  EXPECT_EQ(ChooseUnit(1048576).text, " MB");
  EXPECT_EQ(ChooseUnit(1073741823).text, " MB");
  EXPECT_EQ(ChooseUnit(1073741824).text, " GB");
  EXPECT_EQ(ChooseUnit(std::ldexp(1.0, 40) - 1).text, " GB");
  EXPECT_EQ(ChooseUnit(std::ldexp(1.0, 40)).text, " TB");
  EXPECT_EQ(ChooseUnit(std::ldexp(1.0, 60)).text, " TB");
}

}  // namespace
}  // namespace quenora
