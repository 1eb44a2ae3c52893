#pragma once
// What every fuzz target shares: a check that aborts (so libFuzzer keeps the input), and the
// reading of the fuzzer's bytes as fields.

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Stays on in every build type: a violated property is the finding, not a debugging aid.
#define CHECK(condition)                                                                 \
  do {                                                                                   \
    if (!(condition)) {                                                                  \
      std::fprintf(stderr, "%s:%d: CHECK failed: %s\n", __FILE__, __LINE__, #condition); \
      std::abort();                                                                      \
    }                                                                                    \
  } while (false)

namespace quenora::fuzz {

// Fields are separated by the byte 0xFF, which no UTF-8 text contains, so every valid text
// can be written as a field and the seeds stay readable. A field that is just 0xFE stands for
// a value that isn't there at all (a missing registry value), as do the fields after the last.
inline constexpr char kSeparator = '\xFF';
inline constexpr std::string_view kAbsent = "\xFE";

class Fields {
 public:
  Fields(const std::uint8_t* data, std::size_t size) {
    std::string_view rest(reinterpret_cast<const char*>(data), size);
    if (size == 0) return;
    for (;;) {
      const std::size_t at = rest.find(kSeparator);
      fields_.push_back(rest.substr(0, at));
      if (at == std::string_view::npos) break;
      rest.remove_prefix(at + 1);
    }
  }
  // Field i as text, the empty text where there is none.
  std::string Text(std::size_t i) const {
    return i < fields_.size() ? std::string(fields_[i]) : "";
  }
  // Field i, or nullopt where it is absent.
  std::optional<std::string> Value(std::size_t i) const {
    if (i >= fields_.size() || fields_[i] == kAbsent) return std::nullopt;
    return std::string(fields_[i]);
  }
  // Field i as a double: its eight bytes as they lie in memory when it has exactly eight (any
  // bit pattern: NaNs, infinities, denormals); with two bytes a and b, 2^(a mod 72) plus b as
  // a signed byte, so that the edges of the power-of-two ranges are near at hand; else its
  // text as strtod reads it ("nan", "-1e308", "0x1p-1074"), else `fallback`.
  double Double(std::size_t i, double fallback) const {
    if (i >= fields_.size()) return fallback;
    const std::string_view field = fields_[i];
    if (field.size() == sizeof(double)) {
      double value;
      std::memcpy(&value, field.data(), sizeof value);
      return value;
    }
    if (field.size() == 2) {
      const int power = static_cast<unsigned char>(field[0]) % 72;
      const int offset = static_cast<signed char>(field[1]);
      return std::ldexp(1.0, power) + offset;
    }
    const std::string text(field);
    char* end = nullptr;
    const double value = std::strtod(text.c_str(), &end);
    return end == text.c_str() ? fallback : value;
  }
  std::size_t Count() const { return fields_.size(); }

 private:
  std::vector<std::string_view> fields_;
};

// Strict UTF-8: no overlong forms, no surrogates, nothing above U+10FFFF.
inline bool IsValidUtf8(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size()) {
    const auto lead = static_cast<unsigned char>(text[i]);
    std::size_t length;
    unsigned char low = 0x80, high = 0xBF;  // range of the second byte
    if (lead < 0x80) {
      ++i;
      continue;
    } else if (lead >= 0xC2 && lead <= 0xDF) {
      length = 2;
    } else if (lead == 0xE0) {
      length = 3, low = 0xA0;
    } else if (lead >= 0xE1 && lead <= 0xEF) {
      length = 3;
      if (lead == 0xED) high = 0x9F;
    } else if (lead == 0xF0) {
      length = 4, low = 0x90;
    } else if (lead >= 0xF1 && lead <= 0xF3) {
      length = 4;
    } else if (lead == 0xF4) {
      length = 4, high = 0x8F;
    } else {
      return false;
    }
    if (i + length > text.size()) return false;
    const auto second = static_cast<unsigned char>(text[i + 1]);
    if (second < low || second > high) return false;
    for (std::size_t k = 2; k < length; ++k) {
      if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) return false;
    }
    i += length;
  }
  return true;
}

}  // namespace quenora::fuzz
