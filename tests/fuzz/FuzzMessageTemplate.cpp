// ExpandTemplate over any template and any ten arguments.
// Input: the template, then up to ten arguments, separated by the byte 0xFF.
//
// The result is compared with a second expansion written here straight from the rules, once
// over the bytes and, for texts that are valid UTF-8, once over UTF-16 units, the 16-bit
// characters the program's texts are in Windows; the two must agree with the program's
// byte-wise expansion.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "FuzzInput.h"
#include "util/MessageTemplate.h"
#include "util/Utf.h"

namespace {

using quenora::fuzz::Fields;
using quenora::fuzz::IsValidUtf8;

// Arguments can bring in placeholders of later arguments, so the result can grow with the
// power of ten; such inputs are checked up to this size and passed over beyond it.
constexpr std::size_t kLargestResult = 1 << 14;

template <typename Char>
using Text = std::basic_string<Char>;

template <typename Char>
Text<Char> Placeholder(int number) {
  Text<Char> placeholder(1, Char('%'));
  for (const char digit : std::to_string(number)) placeholder.push_back(Char(digit));
  return placeholder;
}

template <typename Char>
bool At(const Text<Char>& text, std::size_t i, const Text<Char>& part) {
  return text.compare(i, part.size(), part) == 0;
}

// Ten passes, each a left-to-right scan without overlaps; "%1" followed by "0" belongs to the
// tenth pass. nullopt when the result would be larger than kLargestResult.
template <typename Char>
std::optional<Text<Char>> Substitute(Text<Char> text, const std::array<Text<Char>, 10>& arguments) {
  for (int number = 1; number <= 10; ++number) {
    const Text<Char> placeholder = Placeholder<Char>(number);
    const Text<Char>& argument = arguments[static_cast<std::size_t>(number - 1)];
    if (text.size() + (text.size() / 2 + 1) * argument.size() > kLargestResult) {
      std::size_t count = 0;
      for (std::size_t i = 0; i < text.size(); ++i) count += At(text, i, placeholder);
      if (text.size() + count * argument.size() > kLargestResult) return std::nullopt;
    }
    Text<Char> next;
    std::size_t i = 0;
    while (i < text.size()) {
      if (At(text, i, placeholder)) {
        const bool tenth = number == 1 && i + 2 < text.size() && text[i + 2] == Char('0');
        next += tenth ? placeholder : argument;
        i += placeholder.size();
      } else {
        next.push_back(text[i++]);
      }
    }
    text = std::move(next);
  }
  return text;
}

template <typename Char>
Text<Char> Escapes(const Text<Char>& text) {
  Text<Char> result;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != Char('\\')) {
      result.push_back(text[i]);
      continue;
    }
    if (++i == text.size()) break;  // a trailing backslash is dropped
    const Char letter = text[i];
    if (letter == Char('T') || letter == Char('t')) {
      result.push_back(Char('\t'));
    } else if (letter == Char('N') || letter == Char('n')) {
      result.push_back(Char('\r'));
    } else if (letter == Char('L') || letter == Char('l')) {
      result.push_back(Char('\n'));
    } else if (letter == Char('H') || letter == Char('h')) {
      result.push_back(Char('"'));
    } else {
      result.push_back(letter);
    }
  }
  return result;
}

template <typename Char>
std::optional<Text<Char>> Expand(const Text<Char>& messageTemplate,
                                 const std::array<Text<Char>, 10>& arguments) {
  std::optional<Text<Char>> substituted = Substitute(messageTemplate, arguments);
  if (!substituted) return std::nullopt;
  return Escapes(*substituted);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const Fields fields(data, size);
  const std::string messageTemplate = fields.Text(0);
  std::array<std::string, 10> arguments;
  quenora::TemplateArguments views;
  bool allUtf8 = IsValidUtf8(messageTemplate);
  for (std::size_t i = 0; i < 10; ++i) {
    arguments[i] = fields.Text(i + 1);
    views[i] = arguments[i];
    allUtf8 = allUtf8 && IsValidUtf8(arguments[i]);
  }

  const std::optional<std::string> expected = Expand(messageTemplate, arguments);
  if (!expected) return 0;  // too large to be worth building twice
  const std::string result = quenora::ExpandTemplate(messageTemplate, views);
  CHECK(result == *expected);
  CHECK(quenora::ExpandEscapes(quenora::SubstitutePlaceholders(messageTemplate, views)) == result);
  // Escapes only ever shorten a text.
  CHECK(quenora::ExpandEscapes(messageTemplate).size() <= messageTemplate.size());

  if (allUtf8) {
    // Valid texts give a valid text, the same one the expansion over characters gives.
    CHECK(IsValidUtf8(result));
    std::array<std::u16string, 10> wide;
    for (std::size_t i = 0; i < 10; ++i) wide[i] = quenora::Utf8ToUtf16(arguments[i]);
    const std::optional<std::u16string> expectedWide =
        Expand(quenora::Utf8ToUtf16(messageTemplate), wide);
    CHECK(expectedWide && quenora::Utf16ToUtf8(*expectedWide) == result);
  }
  return 0;
}
