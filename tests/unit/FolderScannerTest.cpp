#include "scan/FolderScanner.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <utility>
#include <vector>

#include "FakeFolderTree.h"
#include "scan/DriveScan.h"

namespace quenora {
namespace {

using testing::FakeFolderTree;

class FolderScannerTest : public ::testing::Test {
 protected:
  DriveScan Scan(std::size_t maxKeptFolders = kMaxKeptFolders) {
    return ScanDrive(tree_, "D:", cancel_, progress_, maxKeptFolders);
  }
  static const ScannedFolder* Find(const DriveScan& scan, const std::string& path) {
    for (const ScannedFolder& folder : scan.folders) {
      if (folder.path == path) return &folder;
    }
    return nullptr;
  }
  // A scan by hand: each path's total, the root first, every folder after its parent.
  static DriveScan Made(const std::vector<std::pair<std::string, std::uint64_t>>& totals) {
    DriveScan scan;
    for (const auto& [path, bytes] : totals) {
      ScannedFolder folder{path, 0, -1, bytes};
      if (!scan.folders.empty()) {
        const std::size_t cut = path.rfind('\\');
        const std::string parent = cut == 2 ? path.substr(0, 3) : path.substr(0, cut);
        folder.parent = static_cast<int>(Find(scan, parent) - scan.folders.data());
        folder.depth = scan.folders[static_cast<std::size_t>(folder.parent)].depth + 1;
      }
      scan.folders.push_back(folder);
    }
    return scan;
  }

  FakeFolderTree tree_;
  std::atomic<bool> cancel_{false};
  ScanProgress progress_;
};

TEST_F(FolderScannerTest, TotalsEachFolderWithEverythingBelowItDownToTheThirdLevel) {
  tree_.AddFile("D:\\a.txt", 100);
  tree_.AddFile("D:\\Docs\\x", 10);
  tree_.AddFile("D:\\Docs\\y", 20);
  tree_.AddFile("D:\\Docs\\Old\\z", 5);
  tree_.AddFolder("D:\\Empty");
  // Five levels deep: counted into D:\Deep\1\2, the last level kept.
  tree_.AddFile("D:\\Deep\\1\\2\\3\\4\\f", 1000);
  const DriveScan scan = Scan();

  struct Row {
    const char* path;
    int depth;
    std::uint64_t bytes;
    std::uint64_t files;
  };
  for (const Row& row : {Row{"D:\\", 0, 1135, 5}, Row{"D:\\Docs", 1, 35, 3},
                         Row{"D:\\Docs\\Old", 2, 5, 1}, Row{"D:\\Empty", 1, 0, 0},
                         Row{"D:\\Deep", 1, 1000, 1}, Row{"D:\\Deep\\1\\2", 3, 1000, 1}}) {
    SCOPED_TRACE(row.path);
    const ScannedFolder* folder = Find(scan, row.path);
    ASSERT_NE(folder, nullptr);
    EXPECT_EQ(folder->depth, row.depth);
    EXPECT_EQ(folder->bytes, row.bytes);
    EXPECT_EQ(folder->files, row.files);
  }
  EXPECT_EQ(Find(scan, "D:\\Deep\\1\\2\\3"), nullptr);
  for (std::size_t i = 1; i < scan.folders.size(); ++i) {
    const int parent = scan.folders[i].parent;
    ASSERT_TRUE(parent >= 0 && static_cast<std::size_t>(parent) < i);
    EXPECT_EQ(scan.folders[i].path.rfind(scan.folders[static_cast<std::size_t>(parent)].path, 0),
              0u);
  }
  EXPECT_EQ(scan.drive, "D:");
  EXPECT_TRUE(scan.complete);
  EXPECT_EQ(scan.otherBytes, 0u);
  EXPECT_EQ(progress_.bytes.load(), 1135u);
}

TEST_F(FolderScannerTest, FoldersBeyondTheCapCountIntoTheirKeptAncestorAndAsOther) {
  tree_.AddFile("D:\\A\\f", 1);
  tree_.AddFile("D:\\A\\Sub\\f", 8);
  tree_.AddFile("D:\\B\\f", 2);
  tree_.AddFile("D:\\C\\f", 4);
  struct Row {
    std::size_t cap;
    std::uint64_t otherBytes;
    bool cKept;  // the first level goes before the second
  };
  for (const Row& row : {Row{3, 12, false}, Row{4, 8, true}}) {
    SCOPED_TRACE(row.cap);
    const DriveScan scan = Scan(row.cap);
    EXPECT_EQ(scan.folders.size(), row.cap);
    EXPECT_EQ(scan.otherBytes, row.otherBytes);
    EXPECT_EQ(scan.folders[0].bytes, 15u);
    EXPECT_EQ(Find(scan, "D:\\A")->bytes, 9u);
    EXPECT_EQ(Find(scan, "D:\\C") != nullptr, row.cKept);
  }
}

TEST_F(FolderScannerTest, LinksAreNeitherEnteredNorCounted) {
  tree_.AddFile("D:\\Real\\f", 50);
  tree_.AddLink("D:\\Real\\Loop", "D:\\");
  tree_.AddLink("D:\\Again", "D:\\Real");
  std::vector<std::string> listed;
  tree_.onListing = [&](std::string_view path) { listed.emplace_back(path); };
  const DriveScan scan = Scan();

  EXPECT_EQ(scan.folders[0].bytes, 50u);
  EXPECT_EQ(listed, (std::vector<std::string>{"D:\\", "D:\\Real"}));
  EXPECT_EQ(scan.folders.size(), 2u);
}

TEST_F(FolderScannerTest, UnreadableFoldersAreCountedAndTheRestIsScanned) {
  tree_.AddFile("D:\\Locked\\secret", 1000);
  tree_.Deny("D:\\Locked");
  tree_.AddFile("D:\\Open\\f", 7);
  tree_.AddFile("D:\\Open\\Inner\\g", 1000);
  tree_.Deny("D:\\Open\\Inner");
  const DriveScan scan = Scan();

  EXPECT_TRUE(scan.complete);
  EXPECT_EQ(scan.folders[0].bytes, 7u);
  EXPECT_EQ(scan.folders[0].unreadableFolders, 2u);
  EXPECT_EQ(Find(scan, "D:\\Open")->unreadableFolders, 1u);
  EXPECT_EQ(Find(scan, "D:\\Locked")->unreadableFolders, 1u);
}

TEST_F(FolderScannerTest, CancelStopsTheScanAtAnyPoint) {
  for (int folder = 0; folder < 6; ++folder) {
    for (int sub = 0; sub < 5; ++sub) {
      tree_.AddFile("D:\\" + std::to_string(folder) + "\\" + std::to_string(sub) + "\\x\\y\\f", 1);
    }
  }
  // Listings done before the cancel; the last one is cancelled between its entries.
  for (int listings : {0, 1, 2, 7, 30}) {
    SCOPED_TRACE(listings);
    cancel_ = false;
    tree_.listings = 0;
    tree_.entriesHandedOut = 0;
    tree_.onListing = [&](std::string_view) {
      if (tree_.listings > listings) cancel_ = true;
    };
    const DriveScan scan = Scan();
    EXPECT_FALSE(scan.complete);
    EXPECT_EQ(tree_.listings, listings + 1);
    EXPECT_LT(scan.folders[0].bytes, 30u);
  }
  // Inside one big folder, between its entries.
  for (int i = 0; i < 1000; ++i) tree_.AddFile("D:\\Big\\" + std::to_string(i), 1);
  tree_.entriesHandedOut = 0;
  cancel_ = false;
  tree_.listings = 0;
  tree_.onListing = [&](std::string_view path) {
    if (path == "D:\\Big") cancel_ = true;
  };
  EXPECT_FALSE(Scan().complete);
  EXPECT_LT(tree_.entriesHandedOut, 100);
}

TEST_F(FolderScannerTest, GrowthPerFolderBiggestFirst) {
  const DriveScan before = Made({{"D:\\", 100}, {"D:\\A", 60}, {"D:\\B", 40}});
  const DriveScan after = Made({{"D:\\", 190}, {"D:\\A", 150}, {"D:\\C", 40}});
  const std::vector<FolderGrowth> growth = GrowthBetween(before, after);

  ASSERT_EQ(growth.size(), 4u);
  const std::vector<std::pair<std::string, std::int64_t>> expected{
      {"D:\\", 90}, {"D:\\A", 90}, {"D:\\C", 40}, {"D:\\B", -40}};
  for (std::size_t i = 0; i < expected.size(); ++i) {
    EXPECT_EQ(growth[i].path, expected[i].first);
    EXPECT_EQ(growth[i].bytes, expected[i].second);
  }
}

TEST_F(FolderScannerTest, MainGrowthFolderFollowsTheChildCarryingAtLeastHalf) {
  const DriveScan before = Made({{"D:\\", 1000},
                                 {"D:\\A", 100},
                                 {"D:\\A\\X", 0},
                                 {"D:\\A\\Y", 0},
                                 {"D:\\B", 100},
                                 {"D:\\C", 100}});
  struct Row {
    const char* what;
    std::vector<std::uint64_t> after;  // D:\, A, A\X, A\Y, B, C
    const char* expected;
  };
  for (const Row& row : {
           Row{"one deep folder", {1100, 180, 60, 20, 100, 100}, "D:\\A\\X"},
           Row{"spread out", {1100, 140, 0, 0, 140, 120}, "D:\\"},
           Row{"exactly half", {1100, 150, 20, 0, 150, 100}, "D:\\A"},
           Row{"shrank", {990, 90, 0, 0, 100, 100}, ""},
           Row{"unchanged", {1000, 100, 0, 0, 100, 100}, ""},
       }) {
    SCOPED_TRACE(row.what);
    const DriveScan after = Made({{"D:\\", row.after[0]},
                                  {"D:\\A", row.after[1]},
                                  {"D:\\A\\X", row.after[2]},
                                  {"D:\\A\\Y", row.after[3]},
                                  {"D:\\B", row.after[4]},
                                  {"D:\\C", row.after[5]}});
    EXPECT_EQ(MainGrowthFolder(before, after), row.expected);
  }
}

}  // namespace
}  // namespace quenora
