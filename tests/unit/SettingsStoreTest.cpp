#include "settings/SettingsStore.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "SettingsFakes.h"

namespace quenora {
namespace {

using testing::FakeRegistry;

// A window of 5700 x 4000 twips on a screen of 19200 x 14400 (1280 x 960 pixels); it records
// every move in order.
class FakeForm : public FormGeometry {
 public:
  double Left() const override { return left; }
  double Top() const override { return top; }
  double Width() const override { return width; }
  double Height() const override { return height; }
  void SetLeft(double twips) override {
    left = twips;
    moves.push_back("left " + std::to_string(static_cast<long long>(twips)));
  }
  void SetTop(double twips) override {
    top = twips;
    moves.push_back("top " + std::to_string(static_cast<long long>(twips)));
  }
  double ScreenWidth() const override { return screenWidth; }
  double ScreenHeight() const override { return screenHeight; }

  double left = 555, top = 444, width = 5700, height = 4000;
  double screenWidth = 19200, screenHeight = 14400;
  std::vector<std::string> moves;
};

class SettingsStoreTest : public ::testing::Test {
 protected:
  // Restores a fresh window from the stored texts; nullopt leaves a key absent.
  std::string Restore(std::optional<std::string> top, std::optional<std::string> left) {
    registry.values.clear();
    if (top) registry.Set("_Top", *top);
    if (left) registry.Set("_Left", *left);
    FakeForm form;
    store.RestoreFormPosition(form);
    return testing::Joined(form.moves);
  }

  FakeRegistry registry;
  SettingsStore store{registry};
};

constexpr std::string_view kCentred = "left 6750 | top 5200";

TEST_F(SettingsStoreTest, ValuesAreKeptAsTheirText) {
  store.SaveValue("Text", "CD");
  store.SaveValue("Number", 10);
  store.SaveValue("Negative", -1);
  store.SaveValue("Fraction", 10.4);
  store.SaveValue("Whole", 2880.0);
  store.SaveValue("On", true);
  store.SaveValue("Off", false);
  store.SaveValue("Empty", "");
  EXPECT_EQ(registry.Get("Text"), "CD");
  EXPECT_EQ(registry.Get("Number"), "10");
  EXPECT_EQ(registry.Get("Negative"), "-1");
  EXPECT_EQ(registry.Get("Fraction"), "10.4");
  EXPECT_EQ(registry.Get("Whole"), "2880");
  EXPECT_EQ(registry.Get("On"), "True");
  EXPECT_EQ(registry.Get("Off"), "False");
  EXPECT_EQ(store.LoadValue("Text", "C"), "CD");
  // A value stored empty is there: the default is for absent keys only.
  EXPECT_EQ(store.LoadValue("Empty", "C"), "");
}

TEST_F(SettingsStoreTest, AbsentKeyGivesTheDefaultsText) {
  EXPECT_EQ(store.LoadValue("Missing"), "");
  EXPECT_EQ(store.LoadValue("Missing", -1), "-1");
  EXPECT_EQ(store.LoadValue("Missing", 10), "10");
  EXPECT_EQ(store.LoadValue("Missing", "C"), "C");
  EXPECT_EQ(store.LoadValue("Missing", true), "True");
  EXPECT_EQ(registry.writes, 0);  // loading a default doesn't store it
}

TEST_F(SettingsStoreTest, KeysDifferingInCaseNameOneValue) {
  store.SaveValue("DriveList", "CD");
  store.SaveValue("DRIVELIST", "E");
  EXPECT_EQ(registry.values.size(), 1u);
  EXPECT_EQ(store.LoadValue("drivelist"), "E");
}

TEST_F(SettingsStoreTest, EveryLoadAndSaveReachesTheRegistry) {
  store.SaveValue("TimerInterval", 10);
  registry.Set("TimerInterval", "30");  // edited behind the store's back
  EXPECT_EQ(store.LoadValue("TimerInterval", 10), "30");
  registry.values.clear();
  EXPECT_EQ(store.LoadValue("TimerInterval", 10), "10");
  store.SaveValue("TimerInterval", 10);
  EXPECT_EQ(registry.reads, 2);
  EXPECT_EQ(registry.writes, 2);
}

TEST_F(SettingsStoreTest, RefusedWriteKeepsTheOldValue) {
  store.SaveValue("MemoryLimit", 10);
  registry.failWrites = true;
  store.SaveValue("MemoryLimit", 500);
  EXPECT_EQ(store.LoadValue("MemoryLimit", 1), "10");
}

TEST_F(SettingsStoreTest, SaveFormPositionWritesTopThenLeft) {
  testing::Journal journal;
  registry.journal = &journal;
  FakeForm form;
  form.top = 2880;
  form.left = -1200;  // on a monitor left of the primary one
  store.SaveFormPosition(form);
  EXPECT_EQ(testing::Joined(journal), "write _Top=2880 | write _Left=-1200");
  EXPECT_TRUE(form.moves.empty());
  // Fractions (at some DPIs a pixel is no whole number of twips) as single precision shows them.
  form.top = 100.1;
  form.left = 7.5;
  store.SaveFormPosition(form);
  EXPECT_EQ(store.LoadValue("_Top"), "100.1");
  EXPECT_EQ(store.LoadValue("_Left"), "7.5");
}

TEST_F(SettingsStoreTest, RestorePlacesAUsableCornerTopFirst) {
  EXPECT_EQ(Restore("0", "0"), "top 0 | left 0");
  EXPECT_EQ(Restore("2880", "1200"), "top 2880 | left 1200");
  // Only the corner must lie on the screen.
  EXPECT_EQ(Restore("14399", "19199"), "top 14399 | left 19199");
  // Read like every stored number: blanks, decimal comma, halves to the even neighbour.
  EXPECT_EQ(Restore(" 100.5 ", "101,5"), "top 100 | left 102");
  EXPECT_EQ(Restore("1e3", "-0.4"), "top 1000 | left 0");
}

TEST_F(SettingsStoreTest, RestoreCentresWithoutAUsableCorner) {
  const std::optional<std::string> kAbsent;
  struct Case {
    std::optional<std::string> top, left;
  };
  const Case cases[] = {
      {kAbsent, kAbsent},  // first run
      {"2880", kAbsent},   // the stored top alone isn't used
      {kAbsent, "1200"},   // nor the left alone
      {"14400", "0"},      // on the screen's bottom edge
      {"0", "19200"},      // on its right edge
      {"-15", "0"},        // on a monitor above the primary one
      {"0", "-0.6"},       // rounds to -1
      {"abc", "0"},        // edited by hand
      {"0", ""},           // stored empty
      {"1e12", "0"},       // beyond a 32-bit integer
      {"0", "-1e12"},      // the same, below
      {"nan", "1e400"},    // no numbers
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.top.value_or("(absent)") + " / " + c.left.value_or("(absent)"));
    EXPECT_EQ(Restore(c.top, c.left), kCentred);
  }
}

TEST_F(SettingsStoreTest, CentringHalvesTowardZeroLeftFirst) {
  FakeForm form;
  form.width = 1301;
  form.screenWidth = 1000;  // -301
  form.height = 100;
  form.screenHeight = 401;  // 301
  SettingsStore::CenterFormOnScreen(form);
  EXPECT_EQ(testing::Joined(form.moves), "left -150 | top 150");
  // The differences are rounded first, halves to the even neighbour: 300.5 -> 300, 301.5 -> 302.
  form.width = 699.5;
  form.height = 99.5;
  SettingsStore::CenterFormOnScreen(form);
  EXPECT_EQ(form.left, 150);
  EXPECT_EQ(form.top, 151);
}

}  // namespace
}  // namespace quenora
