#include "ui/ScanRows.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>

#include "FakeFolderTree.h"
#include "scan/FolderScanner.h"

namespace quenora {
namespace {

constexpr std::uint64_t kMB = 1048576;
constexpr std::uint64_t kGB = 1073741824;

// A scan of D: from (path, parent index, bytes); the root comes first.
DriveScan Scan(std::vector<std::tuple<std::string, int, std::uint64_t>> folders) {
  DriveScan scan;
  scan.drive = "D:";
  scan.complete = true;
  for (auto& [path, parent, bytes] : folders) {
    const int depth = parent < 0 ? 0 : scan.folders[static_cast<std::size_t>(parent)].depth + 1;
    scan.folders.push_back({path, depth, parent, bytes});
  }
  return scan;
}

// What a user reads of the rows: the indented name and the growth.
std::vector<std::string> Read(const std::vector<ScanRow>& rows) {
  std::vector<std::string> lines;
  for (const ScanRow& row : rows) {
    lines.push_back(std::string(static_cast<std::size_t>(row.depth) * 2, ' ') + row.name +
                    (row.growth.empty() ? "" : " " + row.growth));
  }
  return lines;
}

class ScanRowsTest : public ::testing::Test {
 protected:
  std::vector<ScanRow> Rows(const DriveScan* previous) {
    return BuildScanRows(latest, previous, 100.0 * kGB, ",", "14:05");
  }
  DriveScan latest = Scan({{"D:\\", -1, 60 * kGB},
                           {"D:\\Filme", 0, 40 * kGB},
                           {"D:\\Export", 0, 15 * kGB},
                           {"D:\\Export\\2026", 2, 12 * kGB},
                           {"D:\\Export\\2025", 2, 3 * kGB},
                           {"D:\\Neu", 0, 5 * kGB}});
};

TEST_F(ScanRowsTest, TheBiggestOrTheGrowingComeFirstEachUnderItsParent) {
  const DriveScan previous = Scan({{"D:\\", -1, 52 * kGB},
                                   {"D:\\Filme", 0, 40 * kGB + 300 * kMB},
                                   {"D:\\Export", 0, 7 * kGB},
                                   {"D:\\Export\\2026", 2, 4 * kGB},
                                   {"D:\\Export\\2025", 2, 3 * kGB}});
  const std::vector<std::string> bySize{"D:\\",     "  Filme",  "  Export",
                                        "    2026", "    2025", "  Neu"};
  // Unchanged since the scan before: sizes order, and no growth is named; shrinking is signed;
  // a folder that wasn't there is new, whatever it holds.
  for (const auto& [before, expected] : {
           std::pair{static_cast<const DriveScan*>(nullptr), bySize},
           {&latest, bySize},
           {&previous,
            {"D:\\ +8,0 GB seit 14:05", "  Export +8,0 GB seit 14:05",
             "    2026 +8,0 GB seit 14:05", "    2025", "  Neu neu",
             "  Filme \xE2\x88\x92"
             "300,0 MB seit 14:05"}},
       }) {
    EXPECT_EQ(Read(Rows(before)), expected);
  }
}

TEST_F(ScanRowsTest, GrowthIsShownOnlyWhereBothScansKeptTheFolder) {
  // Alt renamed to Neu, a gigabyte of new files in the root.
  DriveScan previous = Scan({{"D:\\", -1, 50 * kGB}, {"D:\\Alt", 0, 5 * kGB}});
  previous.folders[0].ownBytes = 45 * kGB;
  latest = Scan({{"D:\\", -1, 51 * kGB}, {"D:\\Neu", 0, 5 * kGB}});
  latest.folders[0].ownBytes = 46 * kGB;
  const std::vector<std::string> rows = Read(Rows(&previous));
  EXPECT_EQ(rows, (std::vector<std::string>{"D:\\ +1,0 GB seit 14:05", "  Neu neu",
                                            "  (Dateien) +1,0 GB seit 14:05"}));
  EXPECT_EQ(ScanStateText(&latest, &previous, false, "14:20", "14:05", ","),
            "Stand 14:20 \xE2\x80\x93 1,0 GB mehr belegt als um 14:05");
  // Neu may have been left out by the earlier scan's cap: then nothing is known of it.
  previous.keptDepth = 0;
  EXPECT_EQ(Read(Rows(&previous))[1], "  Neu");
}

TEST_F(ScanRowsTest, RowsCarrySizeAndShareAddUpBelowEachFolderAndUnreadableFoldersCloseTheList) {
  // What a real scan keeps: files in the root and in Fotos, folders the cap leaves out and
  // one too small to be listed.
  testing::FakeFolderTree tree;
  for (const auto& [path, bytes] : std::vector<std::pair<std::string, std::uint64_t>>{
           {"D:\\a.txt", 5 * kMB},
           {"D:\\Fotos\\x.jpg", 2 * kMB},
           {"D:\\Fotos\\2023\\y.jpg", 30 * kMB},
           {"D:\\Fotos\\2024\\z.jpg", 40 * kMB},
           {"D:\\Fotos\\2024\\Klein\\k.jpg", kMB / 2},
           {"D:\\Spiele\\Spiel\\s.bin", 20 * kMB},
           {"D:\\Spiele\\Alt\\s.bin", 1 * kMB}}) {
    tree.AddFile(path, bytes);
  }
  tree.Deny("D:\\Fotos\\2023\\Privat");
  tree.AddFile("D:\\Fotos\\2023\\Privat\\p", 1);
  const std::atomic<bool> cancel{false};
  ScanProgress progress;
  const DriveScan scan = ScanDrive(tree, "D:", cancel, progress, 6);
  const std::vector<ScanRow> rows = BuildScanRows(scan, nullptr, 1.0 * kGB, ",", "");
  EXPECT_EQ(Read(rows), (std::vector<std::string>{"D:\\", "  Fotos", "    2024", "    2023",
                                                  "    (Dateien)", "  Spiele", "    Spiel",
                                                  "    (\xC3\xBC"
                                                  "brige Ordner)",
                                                  "  (Dateien)", "1 Ordner nicht lesbar"}));
  EXPECT_EQ(rows[7], (ScanRow{ScanRow::Kind::Other, "D:\\Spiele", 2,
                              "(\xC3\xBC"
                              "brige Ordner)",
                              "1,0 MB", "<1 %", "", kMB}));
  for (std::size_t i = 0; i < rows.size(); ++i) {
    std::uint64_t below = 0;
    for (std::size_t j = i + 1; j < rows.size() && rows[j].depth > rows[i].depth; ++j) {
      if (rows[j].depth == rows[i].depth + 1) below += rows[j].bytes;
    }
    EXPECT_TRUE(below == 0 || below == rows[i].bytes) << rows[i].path;
  }
  // Without the drive's size there is no share to give.
  EXPECT_EQ(BuildScanRows(scan, nullptr, std::nullopt, ",", "")[0].share, "");
}

TEST_F(ScanRowsTest, SmallDeepFoldersAndLongListsAreLeftOut) {
  // Twenty folders in the root, each with six of 1 % and one of a tenth of that below it.
  std::vector<std::tuple<std::string, int, std::uint64_t>> folders{{"D:\\", -1, 200 * kGB}};
  for (int top = 0; top < 20; ++top) {
    const int parent = static_cast<int>(folders.size());
    folders.push_back({"D:\\" + std::to_string(top), 0, 10 * kGB});
    for (int sub = 0; sub < 6; ++sub)
      folders.push_back({"D:\\x\\" + std::to_string(sub), parent, 2 * kGB});
    folders.push_back({"D:\\x\\small", parent, 200 * kMB});
  }
  latest = Scan(folders);
  const std::vector<ScanRow> rows = Rows(nullptr);
  // On top, the drive's row and "(übrige Ordner)" of the root and of the folder cut short.
  EXPECT_EQ(rows.size(), kMaxScanRows + 3);
  EXPECT_TRUE(std::none_of(rows.begin(), rows.end(),
                           [](const ScanRow& row) { return row.name == "small"; }));
  // Every folder of the root the list offers is there before any deeper one.
  EXPECT_EQ(
      std::count_if(rows.begin(), rows.end(), [](const ScanRow& row) { return row.depth == 1; }),
      12 + 1);
}

TEST(ScanTextsTest, StateLineDriveLineAndTheStartsForCleanUpAndAFolder) {
  DriveScan before = Scan({{"D:\\", -1, 50 * kGB}});
  DriveScan after = Scan({{"D:\\", -1, 55 * kGB}});
  EXPECT_EQ(ScanStateText(nullptr, nullptr, false, "", "", ","), "Noch nicht durchsucht.");
  EXPECT_EQ(ScanStateText(&after, nullptr, true, "14:20", "", ","),
            "Wird durchsucht \xE2\x80\xA6 Die Liste zeigt den Stand von 14:20.");
  EXPECT_EQ(ScanStateText(&after, &before, false, "14:20", "14:05", ","),
            "Stand 14:20 \xE2\x80\x93 5,0 GB mehr belegt als um 14:05");
  EXPECT_EQ(ScanStateText(&before, &after, false, "14:20", "14:05", "."),
            "Stand 14:20 \xE2\x80\x93 5.0 GB weniger belegt als um 14:05");
  after.complete = false;
  EXPECT_EQ(ScanStateText(&after, &before, false, "14:20", "14:05", ","),
            "Stand 14:20 (unvollst\xC3\xA4ndig)");
  EXPECT_EQ(ScanDriveText('D', "DATEN", 512.0 * kGB, 51.2 * kGB, ","),
            "D: \xC2\xBB"
            "DATEN\xC2\xAB \xE2\x80\x93 512,0 GB, davon 51,2 GB frei");
  EXPECT_EQ(ClockText(9, 5), "09:05");
  // Storage Sense from Windows 10 on, the Disk Clean-up before.
  EXPECT_EQ(CleanUpFor('D', {10, 0, 22631, 2}, "C:\\Windows"),
            (CleanUpStart{"ms-settings:storagesense", {}}));
  EXPECT_EQ(CleanUpFor('D', {6, 1, 7601, 2}, "C:\\Windows"),
            (CleanUpStart{"",
                          {{"C:\\Windows\\System32\\cleanmgr.exe", "cleanmgr.exe /d D:"},
                           {"C:\\Windows\\Sysnative\\cleanmgr.exe", "cleanmgr.exe /d D:"}}}));
  EXPECT_EQ(OpenFolderStart("C:\\Windows", "D:\\Eigene Dateien"),
            (ProcessStart{"C:\\Windows\\explorer.exe", "explorer \"D:\\Eigene Dateien\""}));
  EXPECT_EQ(OpenFolderStart("C:\\Windows", "D:\\").commandLine, "explorer D:\\");
}

}  // namespace
}  // namespace quenora
