#pragma once
// Texts with numbered placeholders %1..%10 and backslash escapes.

#include <array>
#include <string>
#include <string_view>

namespace quenora {

// Up to ten argument texts; a missing one is the empty text.
using TemplateArguments = std::array<std::string_view, 10>;

// Placeholders first, then escapes.
std::string ExpandTemplate(std::string_view messageTemplate,
                           const TemplateArguments& arguments = {});
// Ten passes, %1 to %10, each over the text the one before left.
std::string SubstitutePlaceholders(std::string_view messageTemplate,
                                   const TemplateArguments& arguments = {});
// \t tab, \n carriage return, \l line feed, \h double quote, \\ backslash, \x x; a trailing
// backslash is dropped.
std::string ExpandEscapes(std::string_view text);

}  // namespace quenora
