// The administrative template against the program: every policy names the key and a value that
// Quenora reads, with the range Quenora accepts, and Quenora reads no value the template lacks.

#include <gtest/gtest.h>

#include <fstream>
#include <regex>
#include <set>
#include <sstream>
#include <string>

#include "settings/Policies.h"

namespace quenora {
namespace {

std::string Attribute(const std::string& tag, const std::string& name) {
  std::smatch match;
  const std::regex pattern("\\b" + name + "=\"([^\"]*)\"");
  return std::regex_search(tag, match, pattern) ? match[1].str() : std::string();
}

TEST(PolicyTemplatesTest, EveryPolicyIsAValueQuenoraReadsWithItsRange) {
  std::ifstream file(QUENORA_POLICIES_DIR "/Quenora.admx");
  ASSERT_TRUE(file) << "no Quenora.admx";
  std::stringstream content;
  content << file.rdbuf();
  const std::string admx = content.str();

  std::set<std::string> named;
  const std::regex policyPattern("<policy [^>]*>[\\s\\S]*?</policy>");
  for (auto it = std::sregex_iterator(admx.begin(), admx.end(), policyPattern);
       it != std::sregex_iterator(); ++it) {
    const std::string policy = it->str();
    const std::string opening = policy.substr(0, policy.find('>'));
    SCOPED_TRACE(Attribute(opening, "name"));
    EXPECT_EQ(Attribute(opening, "key"), kPolicyKey);
    std::smatch match;
    if (std::regex_search(policy, match, std::regex("<decimal [^>]*valueName[^>]*>"))) {
      const std::string name = Attribute(match.str(), "valueName");
      const int low = std::stoi(Attribute(match.str(), "minValue"));
      const int high = std::stoi(Attribute(match.str(), "maxValue"));
      EXPECT_EQ(Attribute(match.str(), "storeAsText"), "true");
      EXPECT_TRUE(IsValidPolicy(name, std::to_string(low)) &&
                  IsValidPolicy(name, std::to_string(high)));
      EXPECT_FALSE(IsValidPolicy(name, std::to_string(low - 1)) ||
                   IsValidPolicy(name, std::to_string(high + 1)));
      named.insert(name);
    } else if (std::regex_search(policy, match, std::regex("<text [^>]*valueName[^>]*>"))) {
      const std::string name = Attribute(match.str(), "valueName");
      // The longest text the template lets through is one Quenora can take: 26 letters for the
      // drive list; one entry of a level per drive fits in the levels' length.
      const std::size_t longest = std::stoul(Attribute(match.str(), "maxLength"));
      if (name == "DriveList") {
        EXPECT_EQ(longest, 26u);
        EXPECT_TRUE(IsValidPolicy(name, std::string(26, 'C')));
        EXPECT_FALSE(IsValidPolicy(name, std::string(27, 'C')));
      } else {
        EXPECT_GE(longest, std::string("A=1000.5GB;").size() * 26);
        EXPECT_TRUE(IsValidPolicy(name, "D=10%;E=20GB"));
      }
      named.insert(name);
    } else {
      // A switch: the values it writes when enabled and disabled (or deletes).
      const std::string name = Attribute(opening, "valueName");
      for (const char* state : {"enabledValue", "disabledValue"}) {
        const std::regex value(std::string("<") + state + "><string>([^<]*)</string>");
        if (std::regex_search(policy, match, value)) {
          EXPECT_TRUE(IsValidPolicy(name, match[1].str())) << state;
        } else {
          EXPECT_NE(policy.find(std::string("<") + state + "><delete />"), std::string::npos)
              << state;
        }
      }
      named.insert(name);
    }
  }
  EXPECT_EQ(named, std::set<std::string>(kPolicyNames.begin(), kPolicyNames.end()));
}

}  // namespace
}  // namespace quenora
