#include "ui/ScanPolicy.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

namespace quenora {
namespace {

constexpr double kGB = 1073741824;
using std::chrono::minutes;

// Scans as the window sees them: a finished time or a running scan per drive.
class FakeScans : public ScanSource {
 public:
  State StateOf(std::string_view drive) override {
    State state;
    const auto scan = finished.find(std::string(drive));
    if (scan != finished.end()) state.latest = &scan->second;
    state.running = drive == running;
    return state;
  }
  void StartScan(std::string_view) override {}
  void CancelScan(std::string_view) override {}
  std::map<std::string, DriveScan> finished;
  std::string running;
};

TEST(ScanPolicyTest, AScanIsDueForADriveBelowALevelAtMostEveryQuarterOfAnHour) {
  // C: quiet, D: below its early level, E: in alarm, F: unreadable, G: in alarm and scanning.
  DriveTable drives;
  drives.DriveCount = 5;
  drives.DriveNumbers = {3, 4, 5, 6, 7};
  std::array<DriveReading, kMaxDrives> readings{};
  const auto readable = [](double freeGB) {
    return DriveReading{DriveReading::State::Readable, freeGB * kGB, 100 * kGB, ""};
  };
  readings[0] = readable(50);
  readings[1] = readable(5);
  readings[2] = readable(0.5);
  readings[3].state = DriveReading::State::Unreadable;
  readings[4] = readable(0.5);
  DriveLevels early{};
  early[3] = DriveLevel{10, DriveLevel::Unit::Percent};
  const DriveLimits limits(1000, nullptr, &early);
  const DriveForecasts forecasts;
  FakeScans scans;
  scans.running = "G:";
  const std::chrono::system_clock::time_point now{std::chrono::hours(1000)};
  scans.finished["D:"].finished = now - minutes(14);
  scans.finished["E:"].finished = now + minutes(30);  // the clock was put back
  EXPECT_EQ(DrivesDueForScan(drives, readings, limits, forecasts, scans, now),
            (std::vector<std::string>{"E:"}));
  EXPECT_EQ(DrivesDueForScan(drives, readings, limits, forecasts, scans, now + minutes(1)),
            (std::vector<std::string>{"D:", "E:"}));
}

}  // namespace
}  // namespace quenora
