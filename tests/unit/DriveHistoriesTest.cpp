#include "ui/DriveHistories.h"

#include <gtest/gtest.h>

#include "FakeHistoryFiles.h"
#include "Fakes.h"
#include "ui/DriveListRefresh.h"

namespace quenora {
namespace {

using testing::FakeDiskSpace;
using testing::FakeHistoryFiles;
using testing::FakeSystem;

constexpr std::uint64_t kGB = 1ull << 30;
constexpr std::int64_t kHour = 3600;
const std::string kFolder = "C:\\Users\\Ida\\AppData\\Local\\Tarnwick Software\\Quenora\\Verlauf\\";

struct DriveHistoriesTest : ::testing::Test {
  DriveHistoriesTest() { freeSpace.OSFat32Support = -1; }
  void Watch(std::initializer_list<char> letters) {
    drives.DriveCount = 0;
    for (const char letter : letters) drives.DriveNumbers[drives.DriveCount++] = letter % 64;
  }
  // A check at `utc` and its readings recorded.
  void Check(std::int64_t utc) {
    cycle.UpdateIcons();
    histories.Record(utc);
  }
  std::size_t SlotsIn(const std::string& name) {
    return ReadHistory(files, kFolder + name, HistoryResolution::kFiveMinutes).size();
  }

  FakeHistoryFiles files;
  const std::shared_ptr<FakeDiskSpace> diskService = std::make_shared<FakeDiskSpace>();
  FakeDiskSpace& disks = *diskService;
  FakeSystem system;
  DriveTable drives;
  FreeSpace freeSpace{disks, system};
  CheckCycle cycle{drives, freeSpace, diskService, system};
  DriveHistories histories{files, disks, cycle, ","};
};

// A volume keeps its history under any letter; another volume at the same letter has its own,
// and a drive whose volume can't be told is not recorded.
TEST_F(DriveHistoriesTest, EachVolumeHasItsOwnFileWhateverItsLetter) {
  disks.Set("C:", 100 * kGB, 500 * kGB);
  disks.volumes["C:"] = {"", 0x1A2B3C4D, "NTFS"};
  disks.Set("G:", 10 * kGB, 32 * kGB);
  disks.volumes["G:"] = {"", 7, "FAT32"};
  disks.Set("H:", 5 * kGB, 64 * kGB);  // no identity
  Watch({'C', 'G', 'H'});
  Check(1'000'000'200);
  // The stick comes back as H:; another one, with the size of the first, takes G:.
  disks.volumes["H:"] = disks.volumes["G:"];
  disks.Set("H:", 9 * kGB, 32 * kGB);
  disks.volumes["G:"] = {"", 8, "FAT32"};
  histories.VolumesChanged();
  Check(1'000'000'200 + 600);
  histories.Close();
  EXPECT_EQ(SlotsIn("NTFS-1A2B-3C4D.verlauf"), 2u);
  EXPECT_EQ(SlotsIn("FAT32-0000-0007.verlauf"), 2u);
  EXPECT_EQ(SlotsIn("FAT32-0000-0008.verlauf"), 1u);
  EXPECT_EQ(files.files.size(), 3u);
}

// Five days of steady filling give a long forecast; the list says it where no short one is, a
// notice says it once it is near, and it is worked out again only after an hour.
TEST_F(DriveHistoriesTest, TheLongForecastComesFromTheRecordNotifiesOnceAndIsWorkedOutHourly) {
  disks.volumes["D:"] = {"", 9, "NTFS"};
  Watch({'D'});
  cycle.MemoryLimit = 1000;  // MB
  const std::int64_t start = 1'800'000'000;
  std::int64_t now = start;
  for (; now <= start + 5 * 24 * kHour; now += kHour) {
    disks.Set("D:", 200 * kGB - static_cast<std::uint64_t>(now - start) * (kGB / 24) / kHour,
              500 * kGB);
    Check(now);
  }
  const std::optional<LongForecast> forecast = histories.LongForecastOf('D', now);
  ASSERT_TRUE(forecast);
  EXPECT_NEAR(forecast->bytesPerDay / kGB, 1.0, 0.05);
  EXPECT_NEAR(forecast->untilLimit.count() / 86400.0, 194, 3);
  EXPECT_EQ(DriveStatusText(cycle.ReadingOf('D'), {}, ",", forecast->untilLimit).substr(0, 24),
            "voll in etwa 6 Monaten, ");
  EXPECT_TRUE(histories.LongForecastNotices(now).empty());
  // A limit five days ahead is worked out at once, and notified once.
  cycle.MemoryLimit = 190 * 1024;
  const std::vector<Notice> notices = histories.LongForecastNotices(now);
  ASSERT_EQ(notices.size(), 1u);
  EXPECT_EQ(notices[0].kind, Notice::Kind::LongForecast);
  EXPECT_EQ(notices[0].title, "Laufwerk D: ist voraussichtlich in etwa 5 Tagen voll");
  EXPECT_TRUE(histories.LongForecastNotices(now).empty());
  // The drive stops filling at once: the forecast stands until the hour is up.
  disks.Set("D:", 300 * kGB, 500 * kGB);
  for (int i = 0; i < 3; ++i) Check(now += 600);
  EXPECT_TRUE(histories.LongForecastOf('D', now));
  for (int i = 0; i < 30; ++i) Check(now += kHour);
  EXPECT_FALSE(histories.LongForecastOf('D', now));
}

}  // namespace
}  // namespace quenora
