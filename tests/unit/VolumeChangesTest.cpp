#include "monitor/VolumeChanges.h"

#include <gtest/gtest.h>

namespace quenora {
namespace {

TEST(VolumeChangesTest, OnlyMonitoredOrWantedDrivesCallForAnything) {
  DriveTable monitored;
  monitored.DriveCount = 2;
  monitored.DriveNumbers[0] = 3;  // C:
  monitored.DriveNumbers[1] = 5;  // E:
  monitored.DriveNumbers[2] = 6;  // F: past the count: not monitored
  constexpr std::uint32_t kC = 1u << 2, kE = 1u << 4, kF = 1u << 5, kG = 1u << 6, kZ = 1u << 25;
  struct Row {
    bool arrived;
    std::uint32_t mask;
    VolumeAction expected;
  };
  const Row rows[] = {
      {true, kE, VolumeAction::CheckNow},
      {false, kE, VolumeAction::CheckNow},          // gone: shown unreadable at once
      {true, kF, VolumeAction::Nothing},            // neither monitored nor wanted
      {true, kG, VolumeAction::RebuildIcons},       // wanted, no icon yet
      {false, kG, VolumeAction::Nothing},           // leaving without an icon changes nothing
      {true, kG | kC, VolumeAction::RebuildIcons},  // a hub: the strongest
      {true, kZ | kF, VolumeAction::Nothing},
      {true, 0, VolumeAction::Nothing},
      {true, 0xFC000000u, VolumeAction::Nothing},  // bits past Z
  };
  for (const Row& row : rows) {
    EXPECT_EQ(ActionForVolumeChange(row.arrived, row.mask, monitored, "CEG"), row.expected)
        << row.arrived << " " << std::hex << row.mask;
  }
  EXPECT_EQ(Combine(VolumeAction::CheckNow, VolumeAction::Nothing), VolumeAction::CheckNow);
}

}  // namespace
}  // namespace quenora
