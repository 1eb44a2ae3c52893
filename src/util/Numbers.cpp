#include "util/Numbers.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace quenora {

namespace {

bool IsSpace(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}
bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

}  // namespace

std::optional<double> ParseNumber(std::string_view text) {
  while (!text.empty() && IsSpace(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsSpace(text.back())) text.remove_suffix(1);
  if (text.empty()) return std::nullopt;

  // Checked by hand first, so that nothing but a plain decimal number gets through (no "inf",
  // "nan" or hexadecimal forms), then handed to from_chars with the point as separator. A
  // comma is taken as the decimal separator too: values are edited by people in German.
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

  const char* begin = normal.data();
  if (*begin == '+') ++begin;
  double value = 0;
  const auto [end, error] = std::from_chars(begin, normal.data() + normal.size(), value);
  if (error == std::errc::result_out_of_range) {
    // Too small is as good as zero; too large is no number the program can use. strtod tells
    // the two apart (the program never changes the C locale, so its point is '.').
    value = std::strtod(normal.c_str(), nullptr);
  } else if (error != std::errc() || end != normal.data() + normal.size()) {
    return std::nullopt;
  }
  if (!std::isfinite(value)) return std::nullopt;
  return value;
}

std::string SingleNumberText(float value) {
  if (std::isfinite(value) && value == std::floor(value) && std::fabs(value) < 1e7f) {
    return NumberText(static_cast<double>(value));
  }
  char buffer[64];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  return std::string(buffer, result.ptr);
}

std::string NumberText(double value) {
  if (std::isfinite(value) && value == std::floor(value) && std::fabs(value) < 1e15) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%.0f", value);
    return buffer;
  }
  char buffer[64];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  return std::string(buffer, result.ptr);
}

}  // namespace quenora
