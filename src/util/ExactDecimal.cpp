#include "util/ExactDecimal.h"

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <optional>
#include <string>

// Why not std::from_chars and printf: mingw's C++ library brings its readers for float, double
// and long double in one piece, some 55 KB of code and tables, and its printf engine for
// doubles another 28 KB, in a program that must stay below 400 KB; and mingw's strtod
// misrounds. The program reads and writes a few numbers; this is small and exact.
//
// Reading: numbers that are exact doubles (or floats) times an exact power of ten take one
// IEEE multiplication or division, which rounds correctly. Everything else goes the long way:
// the decimal digits are kept as they are and multiplied and divided by powers of two, exactly,
// until the binary exponent and the leading bits are known; the bits after those decide the
// rounding. A halfway point between two doubles has at most 767 significant digits, so 800
// digits and a note that nonzero digits were dropped beyond them decide every tie correctly.
//
// Writing: a double is its 53-bit mantissa times a power of two; the mantissa's digits shifted
// by that power are its exact decimal value (at most 767 significant digits, so nothing is
// dropped), rounded to the figures wanted.

namespace quenora {

namespace {

constexpr int kMaxDigits = 800;
constexpr int kMaxShift = 60;  // a digit times 2^60 plus a carry still fits 64 bits

// 0.digits[0]digits[1]...digits[count - 1] x 10^point, each digit a value 0 to 9.
struct Decimal {
  std::uint8_t digits[kMaxDigits] = {};
  int count = 0;
  int point = 0;
  bool negative = false;
  bool truncated = false;  // nonzero digits beyond the last one kept were dropped
};

Decimal ReadDecimal(std::string_view text) {
  Decimal d;
  std::size_t i = 0;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) d.negative = text[i++] == '-';
  // Counted in 64 bits: the point may lie far beyond the digits that are kept.
  long long point = 0;
  long long significant = 0;  // digits from the first nonzero one on, kept or not
  bool afterPoint = false;
  for (; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '.') {
      afterPoint = true;
      continue;
    }
    if (c < '0' || c > '9') break;
    if (c == '0' && significant == 0) {
      if (afterPoint) --point;  // a leading zero after the point moves the value down
      continue;
    }
    ++significant;
    if (!afterPoint) ++point;
    if (d.count < kMaxDigits) {
      d.digits[d.count++] = static_cast<std::uint8_t>(c - '0');
    } else if (c != '0') {
      d.truncated = true;
    }
  }
  if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
    ++i;
    bool negativeExponent = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negativeExponent = text[i++] == '-';
    long long exponent = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
      if (exponent < 1000000000) exponent = exponent * 10 + (text[i] - '0');
    }
    point += negativeExponent ? -exponent : exponent;
  }
  while (d.count > 0 && d.digits[d.count - 1] == 0) --d.count;
  // Far beyond any double either way; the caller tells zero and infinity by the point.
  d.point = static_cast<int>(point < -100000 ? -100000 : point > 100000 ? 100000 : point);
  return d;
}

void DropTrailingZeros(Decimal& d) {
  while (d.count > 0 && d.digits[d.count - 1] == 0) --d.count;
  if (d.count == 0) d.point = 0;
}

// d x 2^shift, 1 <= shift <= kMaxShift: from the last digit up, each digit times 2^shift plus
// the carry.
void ShiftLeft(Decimal& d, int shift) {
  std::uint8_t product[kMaxDigits + 20];  // 2^60 adds at most 19 digits
  int start = static_cast<int>(sizeof product);
  std::uint64_t n = 0;
  for (int r = d.count - 1; r >= 0; --r) {
    n += std::uint64_t{d.digits[r]} << shift;
    const std::uint64_t quotient = n / 10;
    product[--start] = static_cast<std::uint8_t>(n - quotient * 10);
    n = quotient;
  }
  while (n > 0) {
    const std::uint64_t quotient = n / 10;
    product[--start] = static_cast<std::uint8_t>(n - quotient * 10);
    n = quotient;
  }
  const int length = static_cast<int>(sizeof product) - start;
  d.point += length - d.count;
  const int kept = length < kMaxDigits ? length : kMaxDigits;
  for (int k = kept; k < length; ++k) {
    if (product[start + k] != 0) d.truncated = true;
  }
  std::memcpy(d.digits, product + start, static_cast<std::size_t>(kept));
  d.count = kept;
  DropTrailingZeros(d);
}

// d / 2^shift, 1 <= shift <= kMaxShift: long division from the first digit down.
void ShiftRight(Decimal& d, int shift) {
  int r = 0;  // digits read
  int w = 0;  // digits written
  std::uint64_t n = 0;
  // Enough leading digits for the first quotient digit.
  for (; (n >> shift) == 0; ++r) {
    if (r >= d.count) {
      if (n == 0) {
        d.count = 0;
        d.point = 0;
        return;
      }
      while ((n >> shift) == 0) {
        n *= 10;
        ++r;
      }
      break;
    }
    n = n * 10 + d.digits[r];
  }
  d.point -= r - 1;
  const std::uint64_t mask = (std::uint64_t{1} << shift) - 1;
  for (; r < d.count; ++r) {
    const std::uint8_t next = d.digits[r];
    d.digits[w++] = static_cast<std::uint8_t>(n >> shift);
    n = (n & mask) * 10 + next;
  }
  while (n > 0) {
    const auto digit = static_cast<std::uint8_t>(n >> shift);
    n &= mask;
    if (w < kMaxDigits) {
      d.digits[w++] = digit;
    } else if (digit > 0) {
      d.truncated = true;
    }
    n *= 10;
  }
  d.count = w;
  DropTrailingZeros(d);
}

// d x 2^shift, any shift.
void Shift(Decimal& d, int shift) {
  if (d.count == 0) return;
  for (; shift > kMaxShift; shift -= kMaxShift) ShiftLeft(d, kMaxShift);
  for (; shift < -kMaxShift; shift += kMaxShift) ShiftRight(d, kMaxShift);
  if (shift > 0) ShiftLeft(d, shift);
  if (shift < 0) ShiftRight(d, -shift);
}

// The whole part of d (below 2^63), rounded by the digits after the point, ties to even.
std::uint64_t RoundedWholePart(const Decimal& d) {
  std::uint64_t whole = 0;
  int i = 0;
  for (; i < d.point && i < d.count; ++i) whole = whole * 10 + d.digits[i];
  for (; i < d.point; ++i) whole *= 10;
  const int next = d.point;  // the first digit after the point
  if (next < 0 || next >= d.count) return whole;
  bool up = d.digits[next] >= 5;
  if (d.digits[next] == 5 && next + 1 == d.count) {
    // Exactly half, or just above it when digits were dropped.
    up = d.truncated || (next > 0 && d.digits[next - 1] % 2 == 1);
  }
  return whole + (up ? 1 : 0);
}

struct BinaryFormat {
  int mantissaBits;
  int exponentBits;
  int bias;
};
constexpr BinaryFormat kDoubleFormat{52, 11, -1023};
constexpr BinaryFormat kFloatFormat{23, 8, -127};

// The bits of the nearest value of the format.
std::uint64_t NearestBits(Decimal d, const BinaryFormat& format) {
  const int maxExponent = (1 << format.exponentBits) - 1;
  std::uint64_t mantissa = 0;
  int exponent = format.bias;
  bool infinite = false;
  if (d.count == 0 || d.point < -330) {
    // zero: below half the smallest subnormal double
  } else if (d.point > 310) {
    infinite = true;  // above the largest double
  } else {
    // Scaled into [0.5, 1): each shift by the bits a power of ten needs, as far as it goes.
    static constexpr int kShifts[] = {1, 3, 6, 9, 13, 16, 19, 23, 26};
    exponent = 0;
    while (d.point > 0) {
      const int shift = d.point >= 9 ? 27 : kShifts[d.point];
      Shift(d, -shift);
      exponent += shift;
    }
    while (d.point < 0 || (d.point == 0 && d.digits[0] < 5)) {
      const int shift = -d.point >= 9 ? 27 : kShifts[-d.point];
      Shift(d, shift);
      exponent -= shift;
    }
    --exponent;  // now d x 2^(exponent + 1) in [1, 2)
    if (exponent < format.bias + 1) {
      // Subnormal: fewer bits are left for the mantissa.
      const int shift = format.bias + 1 - exponent;
      Shift(d, -shift);
      exponent += shift;
    }
    if (exponent - format.bias >= maxExponent) {
      infinite = true;
    } else {
      Shift(d, 1 + format.mantissaBits);
      mantissa = RoundedWholePart(d);
      if (mantissa == std::uint64_t{2} << format.mantissaBits) {
        // Rounded up to the next power of two.
        mantissa >>= 1;
        ++exponent;
        if (exponent - format.bias >= maxExponent) infinite = true;
      }
      if ((mantissa & (std::uint64_t{1} << format.mantissaBits)) == 0) exponent = format.bias;
    }
  }
  if (infinite) {
    mantissa = 0;
    exponent = maxExponent + format.bias;
  }
  std::uint64_t bits = mantissa & ((std::uint64_t{1} << format.mantissaBits) - 1);
  bits |= static_cast<std::uint64_t>((exponent - format.bias) & maxExponent) << format.mantissaBits;
  if (d.negative) bits |= std::uint64_t{1} << (format.mantissaBits + format.exponentBits);
  return bits;
}

// The digits as a whole number and the power of ten that goes with them, when the digits fit
// the given count (and so are exact in the binary format).
bool FitsFastPath(const Decimal& d, int maxDigits, int maxPower, std::uint64_t& whole, int& power) {
  if (d.truncated || d.count > maxDigits) return false;
  power = d.point - d.count;
  if (power < -maxPower || power > maxPower) return false;
  whole = 0;
  for (int i = 0; i < d.count; ++i) whole = whole * 10 + d.digits[i];
  return true;
}

}  // namespace

double NearestDouble(std::string_view plainDecimal) {
  const Decimal d = ReadDecimal(plainDecimal);
  std::uint64_t whole = 0;
  int power = 0;
  // Below 10^15 a whole number is an exact double, and so is every power of ten to 10^22.
  if (FitsFastPath(d, 15, 22, whole, power)) {
    static constexpr double kPowers[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                         1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                         1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
    double value = static_cast<double>(whole);
    value = power >= 0 ? value * kPowers[power] : value / kPowers[-power];
    return d.negative ? -value : value;
  }
  return std::bit_cast<double>(NearestBits(d, kDoubleFormat));
}

float NearestFloat(std::string_view plainDecimal) {
  const Decimal d = ReadDecimal(plainDecimal);
  std::uint64_t whole = 0;
  int power = 0;
  // Below 10^7 a whole number is an exact float, and so is every power of ten to 10^10.
  if (FitsFastPath(d, 7, 10, whole, power)) {
    static constexpr float kPowers[] = {1e0f, 1e1f, 1e2f, 1e3f, 1e4f, 1e5f,
                                        1e6f, 1e7f, 1e8f, 1e9f, 1e10f};
    float value = static_cast<float>(whole);
    value = power >= 0 ? value * kPowers[power] : value / kPowers[-power];
    return d.negative ? -value : value;
  }
  return std::bit_cast<float>(static_cast<std::uint32_t>(NearestBits(d, kFloatFormat)));
}

namespace {

// The exact decimal value of a finite double's magnitude.
Decimal ExactValue(double value) {
  const auto bits = std::bit_cast<std::uint64_t>(value);
  std::uint64_t mantissa = bits & ((std::uint64_t{1} << 52) - 1);
  int exponent = static_cast<int>((bits >> 52) & 0x7FF);
  if (exponent == 0) {
    exponent = 1;  // subnormal
  } else {
    mantissa |= std::uint64_t{1} << 52;
  }
  exponent -= 1075;  // the value is mantissa x 2^exponent
  Decimal d;
  std::uint8_t reversed[20];
  for (; mantissa > 0; mantissa /= 10) {
    reversed[d.count++] = static_cast<std::uint8_t>(mantissa % 10);
  }
  for (int i = 0; i < d.count; ++i) d.digits[i] = reversed[d.count - 1 - i];
  d.point = d.count;
  DropTrailingZeros(d);
  Shift(d, exponent);
  return d;
}

// Keeps the first `kept` digits (none when kept <= 0), rounded half to even by the others.
void RoundToDigits(Decimal& d, int kept) {
  if (kept >= d.count) return;
  bool up = false;
  if (kept >= 0) {
    const std::uint8_t first = d.digits[kept];
    // Trailing zeros are dropped: a 5 that is not the last digit is more than half.
    up = first > 5 ||
         (first == 5 && (kept + 1 < d.count || (kept > 0 && d.digits[kept - 1] % 2 == 1)));
  }
  d.count = kept > 0 ? kept : 0;
  if (up) {
    int i = d.count - 1;
    while (i >= 0 && d.digits[i] == 9) --i;
    if (i < 0) {
      d.digits[0] = 1;  // 9.96 to 10.0: one digit more in front
      d.count = 1;
      ++d.point;
    } else {
      ++d.digits[i];
      d.count = i + 1;
    }
  }
  DropTrailingZeros(d);
}

// The digit at `place` (0 the first), zero beyond the ones there are.
char DigitAt(const Decimal& d, int place) {
  return static_cast<char>('0' + (place >= 0 && place < d.count ? d.digits[place] : 0));
}

// What printf writes for a value that is no finite number; mingw's gives a NaN no sign.
std::optional<std::string> NotFiniteText(double value) {
  if (std::isnan(value)) return "nan";
  if (std::isinf(value)) return value < 0 ? "-inf" : "inf";
  return std::nullopt;
}

}  // namespace

std::string FixedText(double value, int decimals) {
  if (auto text = NotFiniteText(value)) return *text;
  std::string text = std::signbit(value) ? "-" : "";
  Decimal d = ExactValue(value);
  RoundToDigits(d, d.point + decimals);
  if (d.point <= 0) {
    text += '0';
  } else {
    for (int i = 0; i < d.point; ++i) text += DigitAt(d, i);
  }
  if (decimals > 0) {
    text += '.';
    for (int i = 0; i < decimals; ++i) text += DigitAt(d, d.point + i);
  }
  return text;
}

std::string ScientificText(double value, int decimals) {
  if (auto text = NotFiniteText(value)) return *text;
  std::string text = std::signbit(value) ? "-" : "";
  Decimal d = ExactValue(value);
  RoundToDigits(d, 1 + decimals);
  const int exponent = d.count == 0 ? 0 : d.point - 1;
  text += DigitAt(d, 0);
  if (decimals > 0) {
    text += '.';
    for (int i = 1; i <= decimals; ++i) text += DigitAt(d, i);
  }
  text += exponent < 0 ? "e-" : "e+";
  const int magnitude = exponent < 0 ? -exponent : exponent;
  if (magnitude < 10) text += '0';
  text += std::to_string(magnitude);
  return text;
}

}  // namespace quenora
