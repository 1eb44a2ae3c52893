#include "util/ExactDecimal.h"

#include <gtest/gtest.h>

#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <string>
#include <utility>

namespace quenora {
namespace {

constexpr double kInfinity = std::numeric_limits<double>::infinity();
constexpr float kFloatInfinity = std::numeric_limits<float>::infinity();

// The largest double, and the point halfway between it and the next power of two.
const char kDoubleMax[] =
    "179769313486231570814527423731704356798070567525844996598917476803157260780028538760589558"
    "632766878171540458953514382464234321326889464182768467546703537516986049910576551282076245"
    "490090389328944075868508455133942304583236903222948165808559332123348274797826204144723168"
    "738177180919299881250404026184124858368";
const char kDoubleMaxAndAHalf[] =
    "179769313486231580793728971405303415079934132710037826936173778980444968292764750946649017"
    "977587207096330286416692887910946555547851940402630657488671505820681908902000708383676273"
    "854845817711531764475730270069855571366959622842914819860834936475292719074168444365510704"
    "342711559699508093042880177904174497792";

// The digits of 5^n: 2^-n is those digits times 10^-n.
std::string FiveToThe(int n) {
  std::string digits = "1";  // lowest digit first
  for (int i = 0; i < n; ++i) {
    int carry = 0;
    for (char& digit : digits) {
      const int product = (digit - '0') * 5 + carry;
      digit = static_cast<char>('0' + product % 10);
      carry = product / 10;
    }
    if (carry > 0) digits += static_cast<char>('0' + carry);
  }
  return std::string(digits.rbegin(), digits.rend());
}

TEST(ExactDecimalTest, DoublesAreTheNearestTiesToEven) {
  const std::pair<std::string, double> numbers[] = {
      {"0.1", 0x1.999999999999ap-4},
      {"-2880", -2880},
      {"000123.4500", 0x1.edccccccccccdp+6},
      {"1e23", 0x1.52d02c7e14af6p+76},  // 10^23 is no exact double: the quick way misses it
      {"7.120236347223045e-307", 0x1p-1017},
      {"2.2250738585072011e-308", 0x0.fffffffffffffp-1022},
      // 2^53 + 1 and 2^53 + 3 lie halfway: to the even neighbour, down and up.
      {"9007199254740993", 0x1p+53},
      {"9007199254740995", 0x1.0000000000002p+53},
      // Just above halfway, told by a digit far beyond the ones kept.
      {"9007199254740993." + std::string(900, '0') + "1", 0x1.0000000000001p+53},
      {kDoubleMax, 0x1.fffffffffffffp+1023},
      {std::string(kDoubleMaxAndAHalf, sizeof kDoubleMaxAndAHalf - 2) + "1",
       0x1.fffffffffffffp+1023},
      {kDoubleMaxAndAHalf, kInfinity},  // halfway, to the even side: beyond
      {"1.7976931348623159e308", kInfinity},
      {"-1e400", -kInfinity},
      {"64708321.257442331", 0x1.edaf70a0f3dedp+25},  // too many digits for the quick way
      {"5e-324", 0x1p-1074},
      // Half the smallest subnormal, all of its 750 digits: to the even side, zero; the least
      // bit more, up.
      {FiveToThe(1075) + "e-1075", 0},
      {FiveToThe(1075) + ".000001e-1075", 0x1p-1074},
      {"2.4703282292062328e-324", 0x1p-1074},
      {"2.4703282292062327e-324", 0},  // below half the smallest subnormal
      {"1e-400", 0},
      // The point far from the digits.
      {"1" + std::string(1000, '0') + "e-1000", 1},
      {"0." + std::string(1000, '0') + "1e1001", 1},
      {"1" + std::string(1000, '0'), kInfinity},
  };
  for (const auto& [text, value] : numbers) EXPECT_EQ(NearestDouble(text), value) << text;
  EXPECT_TRUE(std::signbit(NearestDouble("-1e-400")));
  EXPECT_TRUE(std::signbit(NearestDouble("-0.0")));
  EXPECT_FALSE(std::signbit(NearestDouble("0")));
}

TEST(ExactDecimalTest, FloatsAreRoundedOnce) {
  const std::pair<std::string, float> numbers[] = {
      {"0.1", 0x1.99999ap-4f},
      {"16777217", 0x1p+24f},  // halfway: to the even neighbour
      {"16777219", 0x1.000004p+24f},
      // Just above halfway between 1 and the next float; a double holds the halfway point
      // itself, so a reading through a double would round twice and end at 1.
      {"1.000000059604644775390625000001", 0x1.000002p+0f},
      {"1.000000059604644775390625", 1},
      {"340282356779733661637539395458142568447.9", 0x1.fffffep+127f},
      {"340282356779733661637539395458142568448", kFloatInfinity},
      {"536.39945", 0x1.0c3322p+9f},  // too many digits for the quick way
      {"7.006492321624086e-46", 0x1p-149f},
      {FiveToThe(150) + "e-150", 0},
      {FiveToThe(150) + ".1e-150", 0x1p-149f},
      {"7.006492321624085e-46", 0},
      {"-1e-50", 0},
  };
  for (const auto& [text, value] : numbers) EXPECT_EQ(NearestFloat(text), value) << text;
}

// Decimals of every length and magnitude, against the C++ library's reader.
TEST(ExactDecimalTest, AgreesWithTheLibrarysReader) {
  std::uint64_t state = 88172645463325252u;
  auto next = [&state](std::uint64_t below) {
    state ^= state << 13, state ^= state >> 7, state ^= state << 17;
    return state % below;
  };
  for (int i = 0; i < 20000; ++i) {
    std::string text = next(4) == 0 ? "-" : "";
    const std::uint64_t whole = next(4) == 0 ? next(3) : 1 + next(25);
    for (std::uint64_t k = 0; k < whole; ++k) text += static_cast<char>('0' + next(10));
    const std::uint64_t fraction = whole == 0 ? 1 + next(25) : next(2) * next(25);
    if (fraction > 0) text += '.';
    for (std::uint64_t k = 0; k < fraction; ++k) text += static_cast<char>('0' + next(10));
    if (next(4) != 0) text += "e" + std::to_string(static_cast<int>(next(700)) - 350);

    double expected = 0;
    std::from_chars(text.data(), text.data() + text.size(), expected);
    float expectedFloat = 0;
    std::from_chars(text.data(), text.data() + text.size(), expectedFloat);
    // from_chars leaves the value alone when it is out of range: those are checked above.
    if (expected != 0 && std::isfinite(expected)) {
      ASSERT_EQ(NearestDouble(text), expected) << text;
    }
    if (expectedFloat != 0 && std::isfinite(expectedFloat)) {
      ASSERT_EQ(NearestFloat(text), expectedFloat) << text;
    }
  }
}

TEST(ExactDecimalTest, FixedTextRoundsTheExactValueHalfToEven) {
  struct Case {
    double value;
    int decimals;
    const char* text;
  };
  const Case cases[] = {
      {0, 0, "0"},
      {-0.0, 1, "-0.0"},
      {-0.4, 0, "-0"},  // as printf: the sign stays
      {0.5, 0, "0"},
      {1.5, 0, "2"},
      {2.5, 0, "2"},
      {-2.5, 0, "-2"},
      {0.25, 1, "0.2"},
      {0.35, 1, "0.3"},  // 0.34999999999999997...
      {0.05, 1, "0.1"},  // 0.05000000000000000277...
      {9.96, 1, "10.0"},
      {999.5, 0, "1000"},
      {0.001, 0, "0"},
      {0.6, 0, "1"},
      {1048576.0 * 3.5, 0, "3670016"},
      {1234.5678, 1, "1234.6"},
      {1e22, 0, "10000000000000000000000"},
      {1e23, 0, "99999999999999991611392"},
      {0x1p-1074, 3, "0.000"},
      {1.0 / 3, 20, "0.33333333333333331483"},
      {kInfinity, 0, "inf"},
      {-kInfinity, 1, "-inf"},
      {std::nan(""), 0, "nan"},
      {-std::nan(""), 1, "nan"},
  };
  for (const auto& [value, decimals, text] : cases) {
    EXPECT_EQ(FixedText(value, decimals), text) << value << " " << decimals;
  }
  EXPECT_EQ(FixedText(std::numeric_limits<double>::max(), 0), kDoubleMax);
}

TEST(ExactDecimalTest, ScientificTextRoundsTheExactValueHalfToEven) {
  struct Case {
    double value;
    int decimals;
    const char* text;
  };
  const Case cases[] = {
      {0, 2, "0.00e+00"},
      {-0.0, 0, "-0e+00"},
      {1500, 2, "1.50e+03"},
      {1500, 0, "2e+03"},  // a tie, to the even figure
      {2500, 0, "2e+03"},
      {9.96, 1, "1.0e+01"},
      {0.1, 40, "1.0000000000000000555111512312578270211816e-01"},
      {0x1p-1074, 40, "4.9406564584124654417656879286822137236506e-324"},
      {std::numeric_limits<double>::max(), 40, "1.7976931348623157081452742373170435679807e+308"},
      {1e100, 3, "1.000e+100"},
      {kInfinity, 2, "inf"},
  };
  for (const auto& [value, decimals, text] : cases) {
    EXPECT_EQ(ScientificText(value, decimals), text) << value << " " << decimals;
  }
}

// Doubles of every kind, against the C library's printf.
TEST(ExactDecimalTest, WritesAsPrintfDoes) {
  std::uint64_t state = 2463534242u;
  auto next = [&state]() {
    state ^= state << 13, state ^= state >> 7, state ^= state << 17;
    return state;
  };
  char expected[1200];
  for (int i = 0; i < 20000; ++i) {
    double value = 0;
    switch (i % 4) {
      case 0:  // any bits, NaN aside (the C library may sign it)
        value = std::bit_cast<double>(next());
        if (std::isnan(value)) continue;
        break;
      case 1:  // eighths: exact ties
        value = static_cast<double>(static_cast<std::int64_t>(next() % 2000000) - 1000000) / 8;
        break;
      case 2:  // megabytes of a drive
        value = static_cast<double>(next() % 100000000000) / 1048576;
        break;
      default:
        value = std::ldexp(static_cast<double>(next() >> 11), static_cast<int>(next() % 400) - 250);
    }
    const int decimals = static_cast<int>(next() % (i % 3 == 0 ? 42 : 3));
    std::snprintf(expected, sizeof expected, "%.*f", decimals, value);
    ASSERT_EQ(FixedText(value, decimals), expected) << std::hexfloat << value << " " << decimals;
    std::snprintf(expected, sizeof expected, "%.*e", decimals, value);
    ASSERT_EQ(ScientificText(value, decimals), expected)
        << std::hexfloat << value << " " << decimals;
  }
}

}  // namespace
}  // namespace quenora
