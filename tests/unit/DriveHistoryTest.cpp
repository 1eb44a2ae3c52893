#include "history/DriveHistory.h"

#include <gtest/gtest.h>

#include "FakeHistoryFiles.h"
#include "history/HistoryPlace.h"

namespace quenora {
namespace {

using testing::FakeHistoryFiles;
using R = HistoryResolution;

constexpr std::int64_t kMidnight = 19000LL * 86400;  // a day's start, UTC
constexpr std::int64_t kMinute = 60, kHour = 3600, kDay = 86400;
constexpr char kPath[] = "C:\\Verlauf\\NTFS-1A2B-3C4D.verlauf";

std::vector<std::int64_t> Starts(const std::vector<HistorySlot>& slots) {
  std::vector<std::int64_t> starts;
  for (const HistorySlot& slot : slots) starts.push_back(slot.start - kMidnight);
  return starts;
}

class DriveHistoryTest : public ::testing::Test {
 protected:
  // What the file holds now: what a crash at this moment would leave.
  std::vector<HistorySlot> Stored(R resolution) {
    FakeHistoryFiles after;
    after.files[kPath] = std::make_shared<FakeHistoryFiles::Entry>(*files.files.at(kPath));
    after.files[kPath]->held = false;
    return ReadHistory(after, kPath, resolution);
  }

  FakeHistoryFiles files;
};

TEST_F(DriveHistoryTest, ADayOfReadingsEveryMinuteGoesIntoEachResolutionsSlots) {
  DriveHistory history(files, kPath, "C:\\ System", kMidnight);
  // Free space falls by 1000 bytes a minute, with one leap up at 02:03.
  const auto freeAt = [](std::int64_t m) { return m == 123 ? 20'000'000 : 10'000'000 - 1000 * m; };
  for (std::int64_t m = 0; m < 1440; ++m) history.Record(kMidnight + m * kMinute, freeAt(m), 5e7);

  const std::vector<HistorySlot> five = history.Slots(R::kFiveMinutes);
  const std::vector<HistorySlot> hours = history.Slots(R::kHour);
  ASSERT_EQ(five.size(), 288u);
  ASSERT_EQ(hours.size(), 24u);
  EXPECT_EQ(five[24], (HistorySlot{kMidnight + 2 * kHour, freeAt(124), 20'000'000, freeAt(124),
                                   50'000'000, 5}));
  EXPECT_EQ(hours[2], (HistorySlot{kMidnight + 2 * kHour, freeAt(179), 20'000'000, freeAt(179),
                                   50'000'000, 60}));
  const std::vector<HistorySlot> day{
      {kMidnight, freeAt(1439), 20'000'000, freeAt(1439), 50'000'000, 1440}};
  EXPECT_EQ(history.Slots(R::kDay), day);
  history.Close();
  EXPECT_EQ(Stored(R::kFiveMinutes), five);
  EXPECT_EQ(Stored(R::kHour), hours);
  EXPECT_EQ(Stored(R::kDay), day);
}

TEST_F(DriveHistoryTest, ReadingsOfAClockPutBackAreDropped) {
  DriveHistory history(files, kPath, "C:\\", kMidnight);
  history.Record(kMidnight + kHour, 500, 1000);
  history.Record(kMidnight + kHour - 10 * kMinute, 1, 1000);  // a slot before the newest
  history.Record(kMidnight + kHour + kMinute, 400, 1000);
  for (const R resolution : {R::kFiveMinutes, R::kHour, R::kDay}) {
    const std::int64_t start = resolution == R::kDay ? kMidnight : kMidnight + kHour;
    EXPECT_EQ(Stored(resolution), (std::vector<HistorySlot>{{start, 400, 500, 400, 1000, 2}}));
  }
}

TEST_F(DriveHistoryTest, ASlotReachesTheFileWhenItClosesAndTheOpenOneEveryMinute) {
  DriveHistory history(files, kPath, "C:\\", kMidnight);
  for (std::int64_t t = 30; t < 300; t += 10) history.Record(kMidnight + t, 1000 - t, 9);
  EXPECT_EQ(Stored(R::kFiveMinutes)[0].readings, 25u);  // as it was at 04:30
  history.Record(kMidnight + 300, 700, 9);
  EXPECT_EQ(Stored(R::kFiveMinutes),
            (std::vector<HistorySlot>{{kMidnight, 710, 970, 710, 9, 27},
                                      {kMidnight + 300, 700, 700, 700, 9, 1}}));
  EXPECT_EQ(Stored(R::kHour)[0].readings, 28u);
}

TEST_F(DriveHistoryTest, AQuietDrivesSlotsAreWrittenAsTheyBeginAndTheirCountWhenTheSessionEnds) {
  DriveHistory history(files, kPath, "C:\\", kMidnight);
  for (std::int64_t t = 0; t < 360; t += 10) history.Record(kMidnight + t, 500, 9);
  // Not rewritten for their count alone; the second five minutes' slot came at the minute.
  const HistorySlot first{kMidnight, 500, 500, 500, 9, 1};
  EXPECT_EQ(Stored(R::kHour), std::vector<HistorySlot>{first});
  EXPECT_EQ(Stored(R::kFiveMinutes),
            (std::vector<HistorySlot>{first, {kMidnight + 300, 500, 500, 500, 9, 1}}));
  history.Close();
  EXPECT_EQ(Stored(R::kHour)[0].readings, 36u);
  EXPECT_EQ(Stored(R::kFiveMinutes)[1].readings, 6u);
}

TEST_F(DriveHistoryTest, ATornSlotIsLeftOutAndItsNeighboursStay) {
  DriveHistory(files, kPath, "C:\\", kMidnight).Record(kMidnight, 1, 9);
  for (const std::int64_t t : {kMidnight, kMidnight + 300, kMidnight + 600}) {
    DriveHistory(files, kPath, "C:\\", t).Record(t, 7, 9);
  }
  files.files[kPath]->bytes[HistorySlotOffset(R::kFiveMinutes, kMidnight + 300) + 20] ^= 0x10;
  EXPECT_EQ(Starts(Stored(R::kFiveMinutes)), (std::vector<std::int64_t>{0, 600}));
  EXPECT_EQ(Stored(R::kHour)[0].readings, 4u);  // a later session adds to the file's open slot
}

TEST_F(DriveHistoryTest, AFileThatIsNoHistoryOfOursIsSetAsideAndRecordingGoesOn) {
  DriveHistory(files, kPath, "C:\\", kMidnight).Record(kMidnight, 7, 9);
  std::vector<std::uint8_t> damaged = files.files[kPath]->bytes;
  damaged[8] = 2;  // another version
  const std::vector<std::vector<std::uint8_t>> foreign = {
      damaged, std::vector<std::uint8_t>(damaged.size(), 'x'), {'Q', 'u', 'e'}, {}};
  for (const std::vector<std::uint8_t>& bytes : foreign) {
    files.files[kPath] = std::make_shared<FakeHistoryFiles::Entry>(FakeHistoryFiles::Entry{bytes});
    DriveHistory(files, kPath, "C:\\", kMidnight + kDay).Record(kMidnight + kDay, 5, 9);
    EXPECT_EQ(files.files.at(std::string(kPath) + ".defekt")->bytes, bytes);
    EXPECT_EQ(Starts(Stored(R::kDay)), std::vector<std::int64_t>{kDay});
  }
}

TEST_F(DriveHistoryTest, TheFileKeepsWhenItsRecordBeganAndAnOlderFileThatDidntIsStillOurs) {
  const std::int64_t began = kMidnight + 8 * kHour + 14 * kMinute;
  DriveHistory(files, kPath, "C:\\", began).Record(began, 7, 9);
  EXPECT_EQ(DriveHistory(files, kPath, "C:\\", kMidnight + kDay).RecordedSince(), began);
  files.files.clear();
  DriveHistory(files, kPath, "C:\\", 0).Record(began, 7, 9);  // as files were made before
  EXPECT_EQ(DriveHistory(files, kPath, "C:\\", kMidnight + kDay).RecordedSince(), std::nullopt);
  EXPECT_EQ(Stored(R::kDay).size(), 1u);
  EXPECT_FALSE(files.files.count(std::string(kPath) + ".defekt"));
}

TEST_F(DriveHistoryTest, WritesThatFailLoseNothingAndArriveWhenWritesWorkAgain) {
  DriveHistory history(files, kPath, "C:\\", kMidnight);
  // A second session of the same user finds the file in use, leaves it whole, and adds to it
  // once the first has let it go.
  DriveHistory second(files, kPath, "C:\\", kMidnight);
  history.Record(kMidnight, 7, 9);
  files.failWrites = true;
  for (std::int64_t t = 5; t < 20; t += 5) history.Record(kMidnight + t * kMinute, 6, 9);
  EXPECT_EQ(Starts(history.Slots(R::kFiveMinutes)), (std::vector<std::int64_t>{0, 300, 600, 900}));
  files.failWrites = false;
  history.Record(kMidnight + 20 * kMinute, 5, 9);
  history.Close();
  second.Record(kMidnight + 21 * kMinute, 3, 9);
  second.Close();
  EXPECT_EQ(Starts(Stored(R::kFiveMinutes)), (std::vector<std::int64_t>{0, 300, 600, 900, 1200}));
  EXPECT_EQ(Stored(R::kFiveMinutes).back(), (HistorySlot{kMidnight + 1200, 3, 5, 3, 9, 2}));
  EXPECT_EQ(Stored(R::kHour)[0].readings, 6u);
  EXPECT_FALSE(files.files.count(std::string(kPath) + ".defekt"));
}

TEST_F(DriveHistoryTest, GapsStayEmptyAndSlotsOfAnEarlierRoundOfTheRingDontShow) {
  struct Case {
    std::vector<std::int64_t> times;
    R resolution;
    std::vector<std::int64_t> starts;
  };
  const Case cases[] = {
      {{0, 3 * kHour + 60}, R::kFiveMinutes, {0, 3 * kHour}},
      {{0, 3 * kHour + 60}, R::kHour, {0, 3 * kHour}},
      {{0, kHour, 2 * kDay + 1800}, R::kFiveMinutes, {kHour, 2 * kDay + 1800}},
      {{0, kHour, 2 * kDay + 1800}, R::kHour, {0, kHour, 2 * kDay}},
      {{0, 3653 * kDay}, R::kDay, {3653 * kDay}},
  };
  for (const Case& c : cases) {
    files.files.clear();
    DriveHistory history(files, kPath, "C:\\", kMidnight);
    for (const std::int64_t t : c.times) history.Record(kMidnight + t, 5, 9);
    EXPECT_EQ(Starts(history.Slots(c.resolution)), c.starts);
    history.Close();
    EXPECT_EQ(Starts(Stored(c.resolution)), c.starts);
  }
}

TEST(HistoryPlaceTest, AVolumeIsNamedByWhatItIsAndANetworkShareSafely) {
  EXPECT_EQ(HistoryFolder("C:\\Users\\Ida\\AppData\\Local"),
            "C:\\Users\\Ida\\AppData\\Local\\Tarnwick Software\\Quenora\\Verlauf\\");
  EXPECT_EQ(HistoryFileName({"", 0x1A2B3C4D, "NTFS"}), "NTFS-1A2B-3C4D.verlauf");
  const std::string longShare = "\\\\server\\" + std::string(80, 'x');
  const std::string names[] = {HistoryFileName({"\\\\srv\\a:b*c?\"<>|/d", 0, ""}),
                               HistoryFileName({longShare + "1", 0, ""}),
                               HistoryFileName({longShare + "2", 0, ""})};
  EXPECT_EQ(names[0].substr(0, 22), "Netz-srv-a-b-c------d-");
  EXPECT_NE(names[1], names[2]);
  for (const std::string& name : names) {
    EXPECT_EQ(name.find_first_of("\\/:*?\"<>|"), std::string::npos) << name;
    EXPECT_LE(name.size(), 80u) << name;
  }
}

}  // namespace
}  // namespace quenora
