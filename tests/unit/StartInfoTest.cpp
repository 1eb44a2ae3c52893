#include "ui/StartInfo.h"

#include <gtest/gtest.h>

#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "SettingsFakes.h"
#include "util/ProgramIdentity.h"

namespace quenora {
namespace {

using testing::FakeRegistry;

// The dialog: remembers each text it showed and answers as the test scripted it.
class FakeStartInfoView : public StartInfoView {
 public:
  StartInfoAnswer ShowModal(std::string_view text) override {
    shown.emplace_back(text);
    if (answers.empty()) return {};
    const StartInfoAnswer answer = answers.front();
    answers.pop_front();
    return answer;
  }
  std::vector<std::string> shown;
  std::deque<StartInfoAnswer> answers;
};

constexpr StartInfoAnswer kTickedOk{true, true};
constexpr StartInfoAnswer kUntickedOk{true, false};
constexpr StartInfoAnswer kTickedCloseBox{false, true};

class StartInfoTest : public ::testing::Test {
 protected:
  // How many times the dialog came up for these calls.
  int Shows(std::string_view identifier, std::initializer_list<StartInfoAnswer> answers) {
    view.shown.clear();
    view.answers.assign(answers);
    for (std::size_t i = 0; i < answers.size(); ++i)
      module.ShowStartInfo(kTrayStartHint, identifier);
    return static_cast<int>(view.shown.size());
  }

  FakeRegistry registry;
  SettingsStore store{registry};
  FakeStartInfoView view;
  StartInfoDialogModule module{store, view};
  const std::string thisVersion = VersionText(VersionBare);
};

TEST_F(StartInfoTest, OnlyThisVersionsExactTextKeepsTheHintAway) {
  // Nothing stored, stored empty, and what other versions or a hand in the registry leave.
  const std::vector<std::optional<std::string>> others = {std::nullopt,
                                                          "",
                                                          "1.0.23",
                                                          "1.0.240",
                                                          " " + thisVersion,
                                                          thisVersion + " ",
                                                          "V" + thisVersion,
                                                          VersionText(VersionInParentheses),
                                                          "1.0.X"};
  for (const auto& stored : others) {
    SCOPED_TRACE(stored.value_or("<absent>"));
    registry.values.clear();
    if (stored) registry.Set("_SID", *stored);
    // Shown as the caller wrote it, nothing expanded; the tick and OK make it the current
    // version's, and the next start of this version shows nothing.
    EXPECT_EQ(Shows("", {kTickedOk, kTickedOk}), 1);
    EXPECT_EQ(view.shown, std::vector<std::string>{std::string(kTrayStartHint)});
    EXPECT_EQ(registry.Get("_SID"), thisVersion);
  }
  // The text is the caller's, not a template.
  registry.values.clear();
  view.shown.clear();
  module.ShowStartInfo("Text mit %1, \\n und &Zeichen", "");
  EXPECT_EQ(view.shown, std::vector<std::string>{"Text mit %1, \\n und &Zeichen"});
}

TEST_F(StartInfoTest, OnlyOkWithTheTickStoresAnything) {
  // OK without the tick, and the tick with the close box: the hint comes at every start.
  EXPECT_EQ(Shows("", {kUntickedOk, kTickedCloseBox, StartInfoAnswer{}, kUntickedOk}), 4);
  EXPECT_EQ(registry.writes, 0);
  EXPECT_FALSE(registry.Get("_SID").has_value());

  // An older version's value stays until the user really confirms with the tick.
  registry.Set("_SID", "0.9.1");
  EXPECT_EQ(Shows("", {kTickedCloseBox, kUntickedOk, kTickedOk, kTickedOk}), 3);
  EXPECT_EQ(registry.writes, 1);
  EXPECT_EQ(registry.Get("_SID"), thisVersion);
}

TEST_F(StartInfoTest, EachIdentifierHasAKeyOfItsOwn) {
  EXPECT_EQ(Shows("Update", {kTickedOk, kTickedOk}), 1);
  EXPECT_EQ(registry.Get("_SIDUpdate"), thisVersion);
  EXPECT_FALSE(registry.Get("_SID").has_value());
  // The program's own hint is untouched by it, and the other way round.
  EXPECT_EQ(Shows("", {kTickedOk, kTickedOk}), 1);
  registry.Set("_SIDUpdate", "1.0.1");
  EXPECT_EQ(Shows("Update", {kUntickedOk}), 1);
  EXPECT_EQ(Shows("", {kUntickedOk}), 0);
}

}  // namespace
}  // namespace quenora
