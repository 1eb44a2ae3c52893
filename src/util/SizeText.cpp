#include "util/SizeText.h"

#include <cmath>

#include "util/ExactDecimal.h"
#include "util/Rounding.h"

namespace quenora {

namespace {

// " 0.0": at least one integer digit, exactly one decimal, half away from zero.
std::string OneDecimalText(double value, std::string_view decimalSeparator) {
  // The free bytes are whole numbers divided by a power of two up to 2^40, so the fraction
  // has at most 40 binary digits and fraction x 10 is exact enough to decide every tenth.
  double whole = std::floor(value);
  double tenths = RoundHalfAwayFromZero((value - whole) * 10);
  if (tenths >= 10) {
    whole += 1;
    tenths = 0;
  }
  std::string text = " " + FixedText(whole, 0);
  text += decimalSeparator;
  // A value that is no finite number (never a byte count from the query) has no tenths;
  // converting its NaN to a digit would be undefined.
  text += static_cast<char>('0' + (std::isfinite(tenths) ? static_cast<int>(tenths) : 0));
  return text;
}

}  // namespace

SizeUnit ChooseUnit(double freeBytes) {
  if (freeBytes < 1024.0) return {" Byte", 0};
  if (freeBytes < 1048576.0) return {" KB", 10};
  if (freeBytes < 1073741824.0) return {" MB", 20};
  if (freeBytes < 1099511627776.0) return {" GB", 30};
  return {" TB", 40};
}

std::string FreeSpaceText(double freeBytes, std::string_view decimalSeparator) {
  const SizeUnit unit = ChooseUnit(freeBytes);
  return OneDecimalText(std::ldexp(freeBytes, -unit.exponent), decimalSeparator) +
         std::string(unit.text);
}

std::string SizeText(double bytes, std::string_view decimalSeparator) {
  std::string text = FreeSpaceText(bytes, decimalSeparator);
  if (!text.empty() && text[0] == ' ') text.erase(0, 1);
  return text;
}

}  // namespace quenora
