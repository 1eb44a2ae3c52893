// Both forms of DriveTipText over any drive name, volume label, decimal separator and any pair
// of doubles (NaN, infinities, negatives, huge values, denormals).
// Input: drive, label, separator ("," when absent), free bytes, total bytes, separated by the
// byte 0xFF; each number as its eight bytes, as a power of two and an offset (two bytes), or
// as text strtod reads.
//
// Every readable tooltip has the shape "Rest auf D: »L« W<sep>T UNIT = P%": the unit is the
// one the table gives for the free bytes, T one digit. For the counts the free-space query can
// deliver (whole numbers of bytes up to 2^64, a positive total) the number is the free bytes in
// that unit rounded to one decimal, halves up, and P the free share rounded to a whole percent.

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "FuzzInput.h"
#include "monitor/CheckCycle.h"

namespace {

using quenora::fuzz::Fields;
using quenora::fuzz::IsValidUtf8;

constexpr double kTwoTo64 = 18446744073709551616.0;

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

bool EndsWith(std::string_view text, std::string_view end) {
  return text.size() >= end.size() && text.substr(text.size() - end.size()) == end;
}

// Digits with an optional minus sign, for a finite value; the C library's words for the others.
bool IsWholeNumberText(std::string_view text, bool finite) {
  if (!finite) {
    return text == "inf" || text == "-inf" || text == "nan" || text == "-nan";
  }
  if (!text.empty() && text.front() == '-') text.remove_prefix(1);
  if (text.empty()) return false;
  for (const char c : text) {
    if (!IsDigit(c)) return false;
  }
  return true;
}

struct Unit {
  std::string_view text;
  int exponent;
};

// The unit table, written out; nullopt-like {"", -1} for NaN, which no row takes.
Unit UnitFor(double freeBytes) {
  if (std::isnan(freeBytes)) return {"", -1};
  if (freeBytes < 1024.0) return {" Byte", 0};
  if (freeBytes < 1024.0 * 1024) return {" KB", 10};
  if (freeBytes < 1024.0 * 1024 * 1024) return {" MB", 20};
  if (freeBytes < 1024.0 * 1024 * 1024 * 1024) return {" GB", 30};
  return {" TB", 40};
}

// The one-decimal text of a whole byte count 0..2^64 in its unit, worked out in integers.
std::string ExactNumber(double freeBytes, int exponent) {
  if (freeBytes == kTwoTo64) return std::to_string(std::uint64_t{1} << (64 - exponent)) + ".0";
  const auto bytes = static_cast<std::uint64_t>(freeBytes);
  std::uint64_t whole = bytes >> exponent;
  const std::uint64_t rest = bytes & ((std::uint64_t{1} << exponent) - 1);
  // rest / 2^exponent in tenths, halves up: below 2^40, so 20 x rest fits easily.
  std::uint64_t tenths = (20 * rest + (std::uint64_t{1} << exponent)) >> (exponent + 1);
  if (tenths == 10) ++whole, tenths = 0;
  return std::to_string(whole) + "." + std::to_string(tenths);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const Fields fields(data, size);
  const std::string drive = fields.Text(0);
  const std::string label = fields.Text(1);
  const std::string separator = fields.Value(2).value_or(",");
  const double freeBytes = fields.Double(3, 0.0);
  const double totalBytes = fields.Double(4, 1.0);
  const bool validInput = IsValidUtf8(drive) && IsValidUtf8(label) && IsValidUtf8(separator);

  // The unreadable form.
  const std::string error = quenora::DriveTipText(drive);
  CHECK(error == "Fehler: Von " + drive + " kann nicht gelesen werden.");
  if (validInput) CHECK(IsValidUtf8(error));

  // The readable form, taken apart from both ends.
  const std::string tip = quenora::DriveTipText(drive, label, freeBytes, totalBytes, separator);
  if (validInput) CHECK(IsValidUtf8(tip));
  std::string prefix = "Rest auf " + drive;
  if (!label.empty()) prefix += " \xC2\xBB" + label + "\xC2\xAB";
  CHECK(tip.compare(0, prefix.size(), prefix) == 0);
  std::string_view rest = std::string_view(tip).substr(prefix.size());

  CHECK(EndsWith(rest, "%"));
  rest.remove_suffix(1);
  const std::size_t equals = rest.rfind(" = ");
  CHECK(equals != std::string_view::npos);
  const std::string_view percent = rest.substr(equals + 3);
  const double share = freeBytes / totalBytes * 100;
  CHECK(IsWholeNumberText(percent, std::isfinite(share)));
  rest = rest.substr(0, equals);

  const Unit unit = UnitFor(freeBytes);
  std::string_view shownUnit;
  for (const std::string_view candidate : {" Byte", " KB", " MB", " GB", " TB"}) {
    if (EndsWith(rest, candidate)) shownUnit = candidate;
  }
  CHECK(!shownUnit.empty());
  if (unit.exponent >= 0) CHECK(shownUnit == unit.text);
  rest.remove_suffix(shownUnit.size());

  CHECK(!rest.empty() && IsDigit(rest.back()));
  const char tenth = rest.back();
  rest.remove_suffix(1);
  CHECK(EndsWith(rest, separator));
  rest.remove_suffix(separator.size());
  CHECK(!rest.empty() && rest.front() == ' ');
  const std::string_view whole = rest.substr(1);
  const double scaled = unit.exponent >= 0 ? std::ldexp(freeBytes, -unit.exponent) : freeBytes;
  CHECK(IsWholeNumberText(whole, std::isfinite(scaled)));

  // What the free-space query can deliver: the exact number and percentage.
  const bool queryAnswer = freeBytes >= 0 && !std::signbit(freeBytes) && freeBytes <= kTwoTo64 &&
                           freeBytes == std::floor(freeBytes) && totalBytes > 0 &&
                           totalBytes <= kTwoTo64 && totalBytes == std::floor(totalBytes);
  if (queryAnswer) {
    CHECK(std::string(whole) + "." + tenth == ExactNumber(freeBytes, unit.exponent));
    const long double exactShare =
        static_cast<long double>(freeBytes) * 100 / static_cast<long double>(totalBytes);
    const long double shown = std::stold(std::string(percent));
    CHECK(std::fabs(shown - exactShare) <= 0.5L + 1e-9L * (1 + exactShare));
  }
  return 0;
}
