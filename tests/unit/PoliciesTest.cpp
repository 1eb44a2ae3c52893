#include "settings/Policies.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <tuple>

#include "RegistryCallsFake.h"

namespace quenora {
namespace {

using testing::Bytes;
using testing::FakeRegistryCalls;
constexpr RegistryRoot kMachine = RegistryRoot::LocalMachine;
constexpr RegistryRoot kUser = RegistryRoot::CurrentUser;

std::string Text(std::string_view text) {
  std::u16string units(text.begin(), text.end());
  units.push_back(u'\0');
  return Bytes(units);
}

std::string DoubleWord(std::uint32_t value) {
  return std::string{static_cast<char>(value & 0xFF), static_cast<char>(value >> 8 & 0xFF),
                     static_cast<char>(value >> 16 & 0xFF), static_cast<char>(value >> 24)};
}

// For every policy value: a good and a bad text of it, and what the machine's and the user's
// policy give together. The machine's wins; a bad value counts as not set, wherever it is.
struct PolicyCase {
  std::string_view name, good, otherGood, bad;
};
constexpr PolicyCase kCases[] = {
    {"TimerInterval", "30", "5", "61"},         {"MemoryLimit", "1000", "50", "0"},
    {"AlarmSoundEnabled", "0", "1", "2"},       {"AlarmNotifyEnabled", "1", "0", "ja"},
    {"DriveList", "CD", "e", "C:"},             {"DriveLimits", "D=10%;E=20GB", "C=500MB", "D=150%"},
    {"DriveWarnings", "D=5,5%", "F=1GB", "D=10%;junk"}, {"AutoStart", "1", "0", "-1"},
    {"ShowStartHint", "0", "0", "1"},           {"EventLog", "0", "1", "nein"},
};

TEST(PoliciesTest, MachineWinsUserFollowsAndBadValuesAreNotSet) {
  for (const PolicyCase& c : kCases) {
    SCOPED_TRACE(std::string(c.name));
    const auto read = [&](const char* machine, const char* user) {
      FakeRegistryCalls calls;
      if (machine) calls.Set(kMachine, kPolicyKey, c.name, kRegSz, Text(machine));
      if (user) calls.Set(kUser, kPolicyKey, c.name, kRegSz, Text(user));
      Policies policies;
      policies.Read(calls);
      EXPECT_TRUE(calls.open.empty());
      return policies.Value(c.name);
    };
    const std::string good(c.good), other(c.otherGood), bad(c.bad);
    EXPECT_EQ(read(nullptr, nullptr), std::nullopt);
    EXPECT_EQ(read(nullptr, other.c_str()), other);
    EXPECT_EQ(read(good.c_str(), nullptr), good);
    EXPECT_EQ(read(good.c_str(), other.c_str()), good);
    EXPECT_EQ(read(bad.c_str(), other.c_str()), other);
    EXPECT_EQ(read(bad.c_str(), nullptr), std::nullopt);
    EXPECT_EQ(read("", nullptr), std::nullopt);
  }
}

TEST(PoliciesTest, NumbersAndSwitchesAlsoComeAsDoubleWords) {
  FakeRegistryCalls calls;
  calls.Set(kMachine, kPolicyKey, "MemoryLimit", kRegDword, DoubleWord(500));
  calls.Set(kMachine, kPolicyKey, "TimerInterval", kRegDword, DoubleWord(0x10001));
  calls.Set(kUser, kPolicyKey, "TimerInterval", kRegDword, DoubleWord(20));
  calls.Set(kUser, kPolicyKey, "AutoStart", kRegBinary, std::string(4, '\0'));
  Policies policies;
  policies.Read(calls);
  EXPECT_EQ(policies.Value("MemoryLimit"), "500");
  EXPECT_EQ(policies.Value("TimerInterval"), "20");  // 65537 is out of range
  EXPECT_FALSE(policies.Fixes("AutoStart"));
}

// A setting whose policy came or went shows the settings as read now; the others what the
// window holds.
TEST(PoliciesTest, AChangeTakesOnlyTheSettingsItTurned) {
  FakeRegistryCalls calls;
  Policies before, now;
  calls.Set(kMachine, kPolicyKey, "MemoryLimit", kRegSz, Text("500"));
  before.Read(calls);
  calls.Set(kUser, kPolicyKey, "DriveList", kRegSz, Text("D"));
  calls.Set(kUser, kPolicyKey, "AutoStart", kRegSz, Text("1"));
  now.Read(calls);
  OptionsValues held{30, 20, false, false, {{"C:", true}}, false, {}, {}};
  const OptionsValues read{5, 500, true, true, {{"D:", true}}, true, {}, {}};
  TakePolicyChange(held, read, before, now);
  EXPECT_EQ(held.memLimit, 500);
  ASSERT_EQ(held.drives.size(), 1u);
  EXPECT_EQ(held.drives[0].text, "D:");
  EXPECT_EQ(std::tie(held.timerInterval, held.alarmSound, held.alarmNotify, held.autoStart),
            std::make_tuple(30, false, false, false));
}

}  // namespace
}  // namespace quenora
