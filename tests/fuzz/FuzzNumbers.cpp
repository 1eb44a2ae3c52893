// ParseNumber over any text, and NumberText / SingleNumberText over any double and float.
// Input: the text to parse, then a double and a float (each as its eight or four bytes, or as
// text strtod reads), separated by the byte 0xFF.
//
// A parsed number is finite and is exactly what strtod makes of the same decimal text, and a
// text is accepted exactly when it is a plain decimal number (sign, digits with a point or a
// comma, exponent) between blanks. Every finite number written reads back as itself.

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <optional>
#include <string>

#include "FuzzInput.h"
#include "util/Numbers.h"

namespace {

using quenora::fuzz::Fields;

bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}
bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

// The text as strtod should read it when it is a plain decimal number, else nullopt.
std::optional<std::string> PlainDecimal(std::string_view text) {
  std::size_t begin = 0, end = text.size();
  while (begin < end && IsBlank(text[begin])) ++begin;
  while (end > begin && IsBlank(text[end - 1])) --end;
  std::string number(text.substr(begin, end - begin));
  std::size_t i = 0;
  if (i < number.size() && (number[i] == '+' || number[i] == '-')) ++i;
  std::size_t mantissaDigits = 0;
  for (; i < number.size() && IsDigit(number[i]); ++i) ++mantissaDigits;
  if (i < number.size() && (number[i] == '.' || number[i] == ',')) {
    number[i++] = '.';
    for (; i < number.size() && IsDigit(number[i]); ++i) ++mantissaDigits;
  }
  if (mantissaDigits == 0) return std::nullopt;
  if (i < number.size() && (number[i] == 'e' || number[i] == 'E')) {
    ++i;
    if (i < number.size() && (number[i] == '+' || number[i] == '-')) ++i;
    std::size_t exponentDigits = 0;
    for (; i < number.size() && IsDigit(number[i]); ++i) ++exponentDigits;
    if (exponentDigits == 0) return std::nullopt;
  }
  if (i != number.size()) return std::nullopt;
  return number;
}

bool IsPlainWholeNumber(const std::string& text) {
  std::size_t i = text.size() > 1 && text[0] == '-' ? 1 : 0;
  for (; i < text.size(); ++i) {
    if (!IsDigit(text[i])) return false;
  }
  return !text.empty();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const Fields fields(data, size);

  // 1. Reading.
  const std::string text = fields.Text(0);
  const std::optional<double> parsed = quenora::ParseNumber(text);
  const std::optional<std::string> plain = PlainDecimal(text);
  if (!plain) {
    CHECK(!parsed);
  } else {
    const double reference = std::strtod(plain->c_str(), nullptr);
    if (std::isfinite(reference)) {
      CHECK(parsed && *parsed == reference);
      CHECK(std::signbit(*parsed) == std::signbit(reference));
    } else {
      CHECK(!parsed);  // too large for a double: no number the program can use
    }
  }

  // 2. Writing a double, and reading it back.
  const double value = fields.Double(1, 0.0);
  const std::string written = quenora::NumberText(value);
  const std::optional<double> reread = quenora::ParseNumber(written);
  if (std::isfinite(value)) {
    CHECK(reread && *reread == value);
    if (value == std::floor(value) && std::fabs(value) < 1e15) CHECK(IsPlainWholeNumber(written));
  } else {
    CHECK(!reread);  // "inf" and "nan" are no numbers; the reader falls back to its default
  }

  // 3. A float, read back: the text lies within half a float step of the value, so it names
  // that float and no other.
  float single = 0;
  const std::string singleField = fields.Text(2);
  if (singleField.size() == sizeof(float)) {
    std::memcpy(&single, singleField.data(), sizeof single);
  } else {
    single = static_cast<float>(fields.Double(2, 0.0));
  }
  const std::string singleWritten = quenora::SingleNumberText(single);
  const std::optional<double> singleReread = quenora::ParseNumber(singleWritten);
  if (std::isfinite(single)) {
    CHECK(singleReread);
    const float magnitude = std::fabs(single);
    const double step =
        static_cast<double>(std::nextafter(magnitude, std::numeric_limits<float>::infinity())) -
        static_cast<double>(magnitude);
    // The slack is the double's own rounding of the decimal text.
    CHECK(std::fabs(*singleReread - static_cast<double>(single)) <= step / 2 * (1 + 1e-9));
    if (single == std::floor(single) && std::fabs(single) < 1e7f) {
      CHECK(IsPlainWholeNumber(singleWritten));
    }
  } else {
    CHECK(!singleReread);
  }
  return 0;
}
