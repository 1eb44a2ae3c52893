#include "ui/ScanPolicy.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

#include "Fakes.h"

namespace quenora {
namespace {

constexpr double kGB = 1073741824;
using std::chrono::minutes;

// Scans as the window sees them, and the starts asked for.
class FakeScans : public ScanSource {
 public:
  State StateOf(std::string_view d) override { return states[std::string(d)]; }
  void StartScan(std::string_view d) override { states[starts.emplace_back(d)].running = true; }
  void CancelScan(std::string_view d) override { states[std::string(d)].running = false; }
  std::map<std::string, State> states;
  std::vector<std::string> starts;
};

// D: at a tick and a minute before (free GB; below 0 unread), what happened between, its last
// scan (started, ran: minutes) and whether the tick scans it. N:, a network drive, is in alarm.
struct Row {
  const char* what;
  double freeGB, beforeGB = 50;
  enum { Nothing, AutoC, UserC, Cancelled, Rescanned } before = Nothing;
  std::optional<int> ago = {};
  int took = 0;
  bool scanned = false;
};

TEST(ScanPolicyTest, ALocalDriveBelowALevelIsScannedOneAtATimeSeldomAndNotAfterACancel) {
  const Row rows[] = {
      {.what = "quiet", .freeGB = 50},
      {.what = "unread", .freeGB = -1},
      {.what = "scanning by hand", .freeGB = 0.5, .before = Row::Rescanned},
      {.what = "started 14 min ago", .freeGB = 5, .ago = 14},
      {.what = "ran 10 of 39 min", .freeGB = 5, .ago = 39, .took = 10},
      {.what = "ran 10 of 40 min", .freeGB = 5, .ago = 40, .took = 10, .scanned = true},
      {.what = "clock put back", .freeGB = 5, .ago = -30, .scanned = true},
      {.what = "C: scanned on its own", .freeGB = 5, .before = Row::AutoC},
      {.what = "C: on its own, then by hand", .freeGB = 5, .before = Row::UserC, .scanned = true},
      {.what = "cancelled in alarm", .freeGB = 0.5, .beforeGB = 0.5, .before = Row::Cancelled},
      {.what = "cancelled unread", .freeGB = 0.5, .beforeGB = -1, .before = Row::Cancelled},
      {"cancelled in alarm, early", 5, 0.5, Row::Cancelled, {}, 0, true},
      {"cancelled, rescanned", 0.5, 0.5, Row::Rescanned, 20, 1, true},
  };
  const DriveTable drives{{3, 4, 14}, {}, 3};
  std::array<DriveReading, kMaxDrives> readings{};
  const auto readable = [](double freeGB) {
    return DriveReading{DriveReading::State::Readable, freeGB * kGB, 100 * kGB, ""};
  };
  readings[2] = readable(0.5);
  DriveLevels early{};
  early[3] = DriveLevel{10, DriveLevel::Unit::Percent};
  const DriveLimits limits(1000, nullptr, &early);
  const DriveForecasts forecasts;
  const std::chrono::system_clock::time_point now{std::chrono::hours(1000)};
  const DriveScan last;
  testing::FakeDiskSpace disks;
  disks.drives = {{"C:", {}}, {"D:", {}}};
  for (const Row& row : rows) {
    FakeScans scans;
    AutoScans autoScans(scans, disks);
    readings[0] = readable(row.before == Row::AutoC || row.before == Row::UserC ? 0.5 : 50);
    readings[1] = row.beforeGB < 0 ? DriveReading{} : readable(row.beforeGB);
    autoScans.Tick(drives, readings, limits, forecasts, now - minutes(1));
    if (row.before == Row::UserC) scans.CancelScan("C:");  // its automatic scan ended
    if (row.before == Row::UserC) autoScans.StartScan("C:");
    if (row.before >= Row::Cancelled) autoScans.CancelScan("D:");
    if (row.before == Row::Rescanned) autoScans.StartScan("D:");
    if (row.ago)
      scans.states["D:"] = {&last, {}, false, 0, 0, now - minutes(*row.ago), minutes(row.took)};
    scans.starts.clear();
    readings[1] = row.freeGB < 0 ? DriveReading{} : readable(row.freeGB);
    autoScans.Tick(drives, readings, limits, forecasts, now);
    autoScans.StartScan("D:");  // and then the user's own scan, which nothing holds back
    EXPECT_EQ(scans.starts, std::vector<std::string>(row.scanned ? 2 : 1, "D:")) << row.what;
  }
}

}  // namespace
}  // namespace quenora
