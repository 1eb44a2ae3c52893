#include "util/MessageTemplate.h"

#include <cstddef>

namespace quenora {

namespace {

// One pass: every "%n" of `text` replaced by `argument`, left to right. The result is built
// beside the text, so what the pass inserts is never searched again by the same pass; a later
// pass does see it, which is how an argument can bring in a higher-numbered placeholder.
std::string ReplacePlaceholder(const std::string& text, int number, std::string_view argument) {
  const std::string placeholder = "%" + std::to_string(number);
  std::string result;
  result.reserve(text.size());
  std::size_t from = 0;
  for (std::size_t at = text.find(placeholder); at != std::string::npos;
       at = text.find(placeholder, from)) {
    result.append(text, from, at - from);
    const std::size_t after = at + placeholder.size();
    // "%10" begins with "%1": the first pass must leave it whole for the tenth.
    if (number == 1 && after < text.size() && text[after] == '0') {
      result.append(placeholder);
    } else {
      result.append(argument);
    }
    from = after;  // "%n" cannot overlap itself, so the search resumes behind it
  }
  result.append(text, from, std::string::npos);
  return result;
}

// The escape's letter as it appears in the result. Only ASCII letters are folded: no other
// character turns into T, N, L or H in upper case, so the table can't match anything else.
char EscapedCharacter(char letter) {
  switch (letter) {
    case 'T':
    case 't':
      return '\t';
    case 'N':
    case 'n':
      return '\r';  // a carriage return alone, as the message box shows it as a line break
    case 'L':
    case 'l':
      return '\n';
    case 'H':
    case 'h':
      return '"';
    default:
      return letter;  // "\\" and every other letter stand for themselves
  }
}

}  // namespace

std::string ExpandTemplate(std::string_view messageTemplate, const TemplateArguments& arguments) {
  // Escapes come last, so backslashes that the arguments bring in (paths) are escapes too.
  return ExpandEscapes(SubstitutePlaceholders(messageTemplate, arguments));
}

std::string SubstitutePlaceholders(std::string_view messageTemplate,
                                   const TemplateArguments& arguments) {
  std::string text(messageTemplate);
  for (int number = 1; number <= static_cast<int>(arguments.size()); ++number) {
    text = ReplacePlaceholder(text, number, arguments[static_cast<std::size_t>(number - 1)]);
  }
  return text;
}

std::string ExpandEscapes(std::string_view text) {
  // Byte by byte is character by character here: the escape letters and the backslash are
  // ASCII, and no byte of a multi-byte UTF-8 character is below 0x80. An escaped non-ASCII
  // character stands for itself, so its lead byte is kept and the rest follow unchanged; the
  // character comes out whole.
  std::string result;
  result.reserve(text.size());
  bool escapePending = false;
  for (const char c : text) {
    if (escapePending) {
      result.push_back(EscapedCharacter(c));
      escapePending = false;
    } else if (c == '\\') {
      escapePending = true;  // a backslash at the very end is thereby dropped
    } else {
      result.push_back(c);
    }
  }
  return result;
}

}  // namespace quenora
