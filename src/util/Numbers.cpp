#include "util/Numbers.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>

#include "util/ExactDecimal.h"

namespace quenora {

namespace {

bool IsSpace(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}
bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

// Reads a plain decimal ("123e-5", "1.5") correctly rounded, whatever its length; too small
// is as good as zero. A double beyond the range is no number the program can use (nullopt); a
// float is read only from the figures of a float, and a candidate above the largest one is
// infinity, as the nearest float.
template <typename Real>
std::optional<Real> ReadText(const char* begin, const char* end) {
  const std::string_view text(begin, static_cast<std::size_t>(end - begin));
  if constexpr (sizeof(Real) == sizeof(float)) {
    return NearestFloat(text);
  } else {
    const double value = NearestDouble(text);
    if (std::isinf(value)) return std::nullopt;
    return value;
  }
}

// digits x 10^power, read as a Real.
template <typename Real>
Real ReadDecimal(std::uint64_t digits, int power) {
  const std::string text = std::to_string(digits) + "e" + std::to_string(power);
  return ReadText<Real>(text.data(), text.data() + text.size()).value_or(Real());
}

// digits x 10^power as text: plain ("0.001", "1234500") or scientific ("1e-05", "1.5e+20"),
// whichever is shorter, plain when both are as long. A whole number written plainly shows
// all of its figures exactly (magnitude's), not the shortest ones padded with zeros.
std::string DecimalText(bool negative, std::uint64_t digits, int power, double magnitude) {
  while (digits % 10 == 0) digits /= 10, ++power;
  const std::string figures = std::to_string(digits);
  const int count = static_cast<int>(figures.size());
  const int exponent = power + count - 1;  // of the first figure

  std::string scientific = figures.substr(0, 1);
  if (count > 1) scientific += "." + figures.substr(1);
  scientific += exponent < 0 ? "e-" : "e+";
  if (std::abs(exponent) < 10) scientific += '0';
  scientific += std::to_string(std::abs(exponent));

  std::string plain;
  if (power >= 0) {
    plain = FixedText(magnitude, 0);
  } else if (exponent >= 0) {
    const std::size_t whole = static_cast<std::size_t>(exponent) + 1;
    plain = figures.substr(0, whole) + "." + figures.substr(whole);
  } else {
    plain = "0." + std::string(static_cast<std::size_t>(-exponent - 1), '0') + figures;
  }
  const std::string& shorter = plain.size() <= scientific.size() ? plain : scientific;
  return negative ? "-" + shorter : shorter;
}

// The shortest decimal that reads back as exactly value and, of those, the nearest to it.
// maxFigures figures always read back (17 for a double, 9 for a float).
template <typename Real>
std::string ShortestText(Real value, int maxFigures) {
  if (std::isnan(value)) return std::signbit(value) ? "-nan" : "nan";
  if (std::isinf(value)) return value < 0 ? "-inf" : "inf";
  const bool negative = std::signbit(value);
  const Real magnitude = std::fabs(value);
  if (magnitude == 0) return negative ? "-0" : "0";

  // Far more figures than a double needs, printed once and rounded here to each length in turn
  // (half to even, as far as 41 figures tell a tie).
  const std::string figures = ScientificText(static_cast<double>(magnitude), 40);
  std::string all;
  const char* c = figures.c_str();
  for (; *c != 'e'; ++c) {
    if (IsDigit(*c)) all.push_back(*c);
  }
  const int exponent = std::atoi(c + 1);  // of the first figure

  std::uint64_t digits = 0;
  int power = 0;
  for (int count = 1; count <= maxFigures; ++count) {
    digits = digits * 10 + static_cast<std::uint64_t>(all[count - 1] - '0');
    power = exponent - count + 1;
    const std::string_view rest = std::string_view(all).substr(count);
    const bool roundUp =
        rest[0] > '5' ||
        (rest[0] == '5' && (rest.find_first_not_of('0', 1) != std::string_view::npos ||
                            (all[count - 1] - '0') % 2 == 1));
    const std::uint64_t nearestDigits = digits + (roundUp ? 1 : 0);
    const Real nearest = ReadDecimal<Real>(nearestDigits, power);
    if (nearest == magnitude) return DecimalText(negative, nearestDigits, power, magnitude);
    // Just above a power of two the gap to the next lower value is half the gap to the next
    // higher one: the nearest decimal may miss below while its neighbour above still hits.
    const std::uint64_t other = nearest > magnitude ? nearestDigits - 1 : nearestDigits + 1;
    if (ReadDecimal<Real>(other, power) == magnitude) {
      return DecimalText(negative, other, power, magnitude);
    }
  }
  return DecimalText(negative, digits, power, magnitude);  // not reached: maxFigures suffice
}

}  // namespace

std::optional<double> ParseNumber(std::string_view text) {
  while (!text.empty() && IsSpace(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsSpace(text.back())) text.remove_suffix(1);
  if (text.empty()) return std::nullopt;

  // Checked by hand first, so that nothing but a plain decimal number gets through (no "inf",
  // "nan" or hexadecimal forms), then read with the point as separator. A comma
  // is taken as the decimal separator too: values are edited by people in German.
  std::string normal;
  std::size_t i = 0;
  if (text[i] == '+' || text[i] == '-') normal.push_back(text[i++]);
  bool digits = false;
  while (i < text.size() && IsDigit(text[i])) normal.push_back(text[i++]), digits = true;
  if (i < text.size() && (text[i] == '.' || text[i] == ',')) {
    normal.push_back('.');
    ++i;
    while (i < text.size() && IsDigit(text[i])) normal.push_back(text[i++]), digits = true;
  }
  if (!digits) return std::nullopt;
  if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
    normal.push_back('e');
    ++i;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) normal.push_back(text[i++]);
    bool exponentDigits = false;
    while (i < text.size() && IsDigit(text[i])) normal.push_back(text[i++]), exponentDigits = true;
    if (!exponentDigits) return std::nullopt;
  }
  if (i != text.size()) return std::nullopt;

  return ReadText<double>(normal.data(), normal.data() + normal.size());
}

std::string SingleNumberText(float value) {
  if (std::isfinite(value) && value == std::floor(value) && std::fabs(value) < 1e7f) {
    return NumberText(static_cast<double>(value));
  }
  return ShortestText(value, 9);
}

std::string NumberText(double value) {
  if (std::isfinite(value) && value == std::floor(value) && std::fabs(value) < 1e15) {
    return FixedText(value, 0);
  }
  return ShortestText(value, 17);
}

}  // namespace quenora
