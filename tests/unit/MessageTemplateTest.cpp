#include "util/MessageTemplate.h"

#include <gtest/gtest.h>

namespace quenora {
namespace {

const TemplateArguments kTen{"eins",  "zwei",   "drei", "vier", "fünf",
                             "sechs", "sieben", "acht", "neun", "zehn"};

struct Case {
  std::string_view input;
  TemplateArguments arguments;
  std::string_view expected;
};

TEST(MessageTemplateTest, PlaceholdersAreReplacedPassByPass) {
  const Case cases[] = {
      {"A%1B%2C", {"x"}, "AxBC"},  // the omitted second argument leaves nothing
      {"%1 %1%1", {"Q"}, "Q QQ"},
      {"%10|%1|%9", kTen, "zehn|eins|neun"},
      {"%12 %19 %100", kTen, "eins2 eins9 zehn0"},  // only a 0 after %1 makes it %10
      {"[%10]", {"x"}, "[]"},                       // not "x0" when the tenth is missing
      {"%% %%1 %0 %", {"x"}, "%% %x %0 %"},
      {"%1", {"%2", "B"}, "B"},  // a later pass replaces a higher number
      {"%1", {"%10", {}, {}, {}, {}, {}, {}, {}, {}, "Z"}, "Z"},
      {"%2", {"A", "%1"}, "%1"},  // an earlier pass is over
      {"%1", {"<%1>"}, "<%1>"},   // nor does a pass search what it inserted
      {"%11", {"%"}, "%1"},
      {"\\n%1\\", {"x"}, "\\nx\\"},  // escapes are not this step's business
      {"/?find_update&app=%1&ver=%2&win=%3",
       {"Quenora", "1.0.24", "6.1"},
       "/?find_update&app=Quenora&ver=1.0.24&win=6.1"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(SubstitutePlaceholders(c.input, c.arguments), c.expected) << c.input;
  }
}

TEST(MessageTemplateTest, EscapesStandForOneCharacter) {
  const std::pair<std::string_view, std::string_view> cases[] = {
      {"a\\tb\\Tc", "a\tb\tc"},
      {"\\n\\N", "\r\r"},
      {"\\l\\L", "\n\n"},
      {"\\h\\H", "\"\""},
      {"\\q\\%\\1", "q%1"},  // any other character stands for itself
      {"\\\\", "\\"},
      {"\\\\t", "\\t"},  // the escape ends with its one character
      {"\\\\\\", "\\"},
      {"c:\\", "c:"},
      {"\\", ""},
      {"\\ü\\€\\t", "ü€\t"},  // a non-ASCII letter is taken whole
      {"Größe: 5 %", "Größe: 5 %"},
  };
  for (const auto& [text, expected] : cases) EXPECT_EQ(ExpandEscapes(text), expected) << text;
}

TEST(MessageTemplateTest, ExpandsEscapesAfterPlaceholders) {
  const Case cases[] = {
      {"%1 wird bereits ausgeführt. Klicken Sie auf das %1-Icon\\nin der Task-Leiste, um zu den "
       "die Optionen zu gelangen.",
       {"Quenora"},
       "Quenora wird bereits ausgeführt. Klicken Sie auf das Quenora-Icon\rin der Task-Leiste, "
       "um zu den die Optionen zu gelangen."},
      {"Laufwerk %1", {"c:\\"}, "Laufwerk c:"},
      {"%1", {"C:\\Temp\\tools"}, "C:\temp\tools"},  // backslashes in arguments are escapes
      {"\\%1", {"t"}, "\t"},
      {"%\\1", {"x"}, "%1"},
      {"", kTen, ""},
  };
  for (const Case& c : cases) EXPECT_EQ(ExpandTemplate(c.input, c.arguments), c.expected);
  EXPECT_EQ(ExpandTemplate("%1%2"), "");
}

}  // namespace
}  // namespace quenora
