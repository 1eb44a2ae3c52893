#include "util/Text.h"

#include <iterator>

namespace quenora {

std::string Cat(std::initializer_list<std::string_view> parts) {
  std::size_t size = 0;
  for (const std::string_view part : parts) size += part.size();
  std::string text;
  text.reserve(size);
  for (const std::string_view part : parts) text += part;
  return text;
}

std::string IntText(std::int64_t value, int width) {
  char digits[24];
  char* const end = std::end(digits);
  char* at = end;
  // Unsigned, so that the least int64 has a magnitude too.
  std::uint64_t rest = value < 0 ? 0 - static_cast<std::uint64_t>(value) : value;
  while (rest > 0 || end - at < width) {
    *--at = static_cast<char>('0' + rest % 10);
    rest /= 10;
  }
  if (value < 0) *--at = '-';
  return std::string(at, end);
}

}  // namespace quenora
