#include "util/Numbers.h"
#include "util/Text.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <optional>
#include <string>
#include <tuple>
#include <utility>

namespace quenora {
namespace {

TEST(NumbersTest, ParseNumberReadsPlainDecimals) {
  const std::pair<const char*, double> numbers[] = {
      {"10", 10}, {" 12 ", 12},   {"\t12\r\n", 12}, {"-2880", -2880},
      {"+7", 7},  {"10.4", 10.4}, {"10,4", 10.4},   {".5", 0.5},
      {"5.", 5},  {"1e3", 1000},  {"2.5E-1", 0.25}, {"-1e+2", -100},
  };
  for (const auto& [text, value] : numbers) EXPECT_EQ(ParseNumber(text), value) << text;
  EXPECT_EQ(ParseNumber("1.7976931348623157e308"), std::numeric_limits<double>::max());
  EXPECT_EQ(ParseNumber(std::string(499, ' ') + "42" + std::string(499, ' ')), 42);
}

TEST(NumbersTest, ParseNumberRefusesEverythingElse) {
  // Beyond a double; control characters; a no-break space is no blank, a full-width one no
  // digit.
  const char* const others[] = {
      "",      "   ",    "abc",   "12abc", "1 2",  "1.2.3",   "1,2,3",     "--1",
      "-",     ".",      "1e",    "e3",    "0x10", "inf",     "-Infinity", "nan",
      "1e400", "-1e400", "\0011", "1\177", "1\v",  "\u00A01", "\uFF11",
  };
  for (const char* text : others) EXPECT_EQ(ParseNumber(text), std::nullopt) << text;
  EXPECT_EQ(ParseNumber(std::string("1\0", 2)), std::nullopt);
  EXPECT_EQ(ParseNumber(std::string(1000, 'x')), std::nullopt);
  EXPECT_EQ(ParseNumber(std::string(1000, '9')), std::nullopt);
}

// A decimal number is read whatever its length; long forms are what other tools write.
TEST(NumbersTest, ParseNumberReadsLongDecimalsAsAWhole) {
  EXPECT_EQ(ParseNumber(std::string(999, '0') + "1"), 1.0);
  EXPECT_EQ(ParseNumber("10." + std::string(997, '0')), 10.0);
}

// Finite results are kept: a value too small for a double is (nearly) zero, not "no number".
TEST(NumbersTest, ParseNumberTakesUnderflowAsZero) {
  EXPECT_EQ(ParseNumber("1e-400"), 0.0);
  EXPECT_EQ(ParseNumber("-2e-324"), 0.0);
}

TEST(NumbersTest, NumberTextIsPlainAndReadsBackExactly) {
  EXPECT_EQ(NumberText(2880), "2880");
  EXPECT_EQ(NumberText(-2880), "-2880");
  EXPECT_EQ(NumberText(0), "0");
  EXPECT_EQ(NumberText(10.4), "10.4");
  EXPECT_EQ(NumberText(-0.25), "-0.25");
  for (const double value : {10.4, 0.1, 1.0 / 3, 1e15, 1e16, 123456789012345678.0, 5e-324,
                             std::numeric_limits<double>::max(), -16777217.0}) {
    const std::string text = NumberText(value);
    EXPECT_EQ(text.find(','), std::string::npos) << text;
    EXPECT_EQ(ParseNumber(text), value) << text;
  }
}

// The shortest text that reads back and, of those, the nearest. Just above a power of two the
// nearest decimal of 16 figures misses (the gap below is half the gap above) while the next
// one up hits. The other number is one that an FPU rounding to 64 bits misreads.
TEST(NumbersTest, NumberTextIsTheShortestThatReadsBack) {
  const std::pair<double, const char*> numbers[] = {
      {std::ldexp(1.0, -1017), "7.120236347223045e-307"},
      {5.6700670398360515e+31, "5.670067039836051e+31"},
      {1e16, "1e+16"},
      {123456789012345678.0, "123456789012345680"},
      {0.001, "0.001"},
      {1e-5, "1e-05"},
      {5e-324, "5e-324"},
      {std::numeric_limits<double>::max(), "1.7976931348623157e+308"},
  };
  for (const auto& [value, text] : numbers) {
    EXPECT_EQ(NumberText(value), text);
    EXPECT_EQ(ParseNumber(text), value) << text;
  }
  EXPECT_EQ(SingleNumberText(100.1f), "100.1");
  EXPECT_EQ(SingleNumberText(1e10f), "1e+10");
  EXPECT_EQ(SingleNumberText(16777216.0f), "16777216");
  EXPECT_EQ(SingleNumberText(0.1f), "0.1");
}

TEST(Text, WholeNumbersAndJoinedParts) {
  for (const auto& [value, width, text] : {std::tuple<std::int64_t, int, const char*>{0, 1, "0"},
                                           {7, 2, "07"},
                                           {2026, 1, "2026"},
                                           {-42, 1, "-42"},
                                           {INT64_MIN, 1, "-9223372036854775808"}}) {
    EXPECT_EQ(IntText(value, width), text);
  }
  EXPECT_EQ(Cat({"D", ":", "", std::string("\\")}), "D:\\");
}

}  // namespace
}  // namespace quenora
