#include "ui/DriveListRefresh.h"

#include <gtest/gtest.h>

namespace quenora {
namespace {

TEST(DriveListRefreshTest, ChecksStayWithTheirLettersAndAMonitoredNewcomerIsChecked) {
  const std::vector<DriveEntry> shown = {{"C: [SYSTEM]", true}, {"D:", false}, {"E:", true}};
  DriveTable monitored;
  monitored.DriveCount = 2;
  monitored.DriveNumbers = {3, 7};  // C: and the stick G:, which just arrived
  // E: left, F: and G: arrived, D:'s label changed.
  const std::vector<DriveEntry> entries =
      RefreshedDriveEntries(shown, {"c: [SYSTEM]", "d: [NEU]", "f:", "g: [STICK]", ""}, monitored);
  ASSERT_EQ(entries.size(), 4u);
  const std::vector<std::pair<std::string, bool>> expected = {
      {"C: [SYSTEM]", true}, {"D: [NEU]", false}, {"F:", false}, {"G: [STICK]", true}};
  for (std::size_t i = 0; i < expected.size(); ++i) {
    EXPECT_EQ(entries[i].text, expected[i].first);
    EXPECT_EQ(entries[i].checked, expected[i].second) << entries[i].text;
  }
  // The user's own uncheck of a monitored drive is kept.
  EXPECT_FALSE(RefreshedDriveEntries({{"C:", false}}, {"c:"}, monitored)[0].checked);
}

TEST(DriveListRefreshTest, StatusSaysFreeSpaceShareAndForecastAtAGlance) {
  using State = DriveReading::State;
  const double kGB = 1073741824.0;
  EXPECT_EQ(DriveStatusText({State::Readable, 12.3 * kGB, 12.3 * kGB / 0.45, ""}, {}, ","),
            "12,3 GB = 45%");
  EXPECT_EQ(
      DriveStatusText({State::Readable, 3.1 * kGB, 62 * kGB, ""}, std::chrono::minutes(20), ","),
      "voll in etwa 20 Min., 3,1 GB = 5%");
  EXPECT_EQ(DriveStatusText({State::Unreadable, 0, 0, ""}, {}, ","), "nicht lesbar");
  EXPECT_EQ(DriveStatusText({State::Waiting, 0, 0, ""}, {}, ","), "");
  // A drive's own levels follow its state, or stand alone.
  const DriveLevel tenth{10, DriveLevel::Unit::Percent}, big{20.5, DriveLevel::Unit::Gigabytes};
  EXPECT_EQ(WithOwnLevels("12,3 GB = 45%", tenth, big, ","),
            "12,3 GB = 45%, Grenze 10 %, Vorwarnung 20,5 GB");
  EXPECT_EQ(WithOwnLevels("", {}, big, ","), "Vorwarnung 20,5 GB");
  EXPECT_EQ(WithOwnLevels("nicht lesbar", {}, {}, ","), "nicht lesbar");
}

}  // namespace
}  // namespace quenora
