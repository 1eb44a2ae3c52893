#include "scan/FolderScanner.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <tuple>
#include <vector>

#include "FakeFolderTree.h"
#include "scan/DriveScan.h"

namespace quenora {
namespace {

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

  testing::FakeFolderTree tree_;
  std::atomic<bool> cancel_{false};
  ScanProgress progress_;
};

TEST_F(FolderScannerTest, TotalsEachFolderWithEverythingBelowItDownToTheThirdLevel) {
  tree_.AddFile("D:\\a.txt", 100);
  tree_.AddFile("D:\\Docs\\x", 10);
  tree_.AddFile("D:\\Docs\\Old\\y", 5);
  tree_.AddFile("D:\\Deep\\1\\2\\3\\4\\f", 1000);  // five levels down
  const DriveScan scan = Scan();
  // Path, depth, totals, bytes of the files right in it.
  using Row = std::tuple<const char*, int, std::uint64_t, std::uint64_t, std::uint64_t>;
  for (const auto& [path, depth, bytes, files, own] :
       {Row{"D:\\", 0, 1115, 4, 100}, Row{"D:\\Docs", 1, 15, 2, 10},
        Row{"D:\\Docs\\Old", 2, 5, 1, 5}, Row{"D:\\Deep\\1\\2", 3, 1000, 1, 0}}) {
    SCOPED_TRACE(path);
    const ScannedFolder* folder = Find(scan, path);
    ASSERT_NE(folder, nullptr);
    EXPECT_EQ(folder->depth, depth);
    EXPECT_EQ(folder->bytes, bytes);
    EXPECT_EQ(folder->files, files);
    EXPECT_EQ(folder->ownBytes, own);
  }
  EXPECT_EQ(Find(scan, "D:\\Deep\\1\\2\\3"), nullptr);
  for (std::size_t i = 1; i < scan.folders.size(); ++i) {
    EXPECT_LT(scan.folders[i].parent, static_cast<int>(i));  // every folder after its parent
  }
  EXPECT_TRUE(scan.complete);
  EXPECT_EQ(progress_.bytes.load(), 1115u);
}

TEST_F(FolderScannerTest, FoldersBeyondTheCapCountIntoTheirKeptAncestorAndAsOther) {
  tree_.AddFile("D:\\A\\f", 1);
  tree_.AddFile("D:\\A\\Sub\\f", 8);
  tree_.AddFile("D:\\B\\f", 2);
  tree_.AddFile("D:\\C\\f", 4);
  // The first level goes before the second: a cap of 4 keeps D:\C, not D:\A\Sub.
  for (const auto& [cap, otherBytes, cKept] : {std::tuple{3u, 12u, false}, {4u, 8u, true}}) {
    SCOPED_TRACE(cap);
    const DriveScan scan = Scan(cap);
    EXPECT_EQ(scan.folders.size(), cap);
    EXPECT_EQ(scan.otherBytes, otherBytes);
    EXPECT_EQ(scan.folders[0].bytes, 15u);
    EXPECT_EQ(Find(scan, "D:\\A")->bytes, 9u);
    EXPECT_EQ(Find(scan, "D:\\C") != nullptr, cKept);
  }
}

TEST_F(FolderScannerTest, TheWalkHoldsNoMoreFoldersThanItKeeps) {
  // A folder of many folders beyond the cap, and a chain deeper than listings ever nest.
  for (int i = 0; i < 300; ++i) tree_.AddFile("D:\\Wide\\" + std::to_string(i) + "\\in\\f", 1);
  std::string deep = "D:\\Deep";
  for (int i = 0; i < 100; ++i) deep += "\\d";
  tree_.AddFile(deep + "\\f", 1000);
  int waiting = 0;
  tree_.onListing = [&](std::string_view) {
    // Found and not listed yet: the folders handed out, less those listed (the root wasn't).
    waiting = std::max(waiting, tree_.foldersHandedOut - (tree_.listings - 1));
  };
  const DriveScan scan = Scan(10);
  EXPECT_EQ(Find(scan, "D:\\Deep")->bytes, 1000u);
  EXPECT_EQ(Find(scan, "D:\\Wide")->bytes, 300u);
  EXPECT_EQ(tree_.listings, 3 + 600 + 100);  // each folder once
  EXPECT_LE(waiting, 10);
}

TEST_F(FolderScannerTest, LinksAreNeitherEnteredNorCounted) {
  tree_.AddFile("D:\\Real\\f", 50);
  tree_.AddLink("D:\\Real\\Loop", "D:\\");
  tree_.AddLink("D:\\Again", "D:\\Real");
  const DriveScan scan = Scan();
  EXPECT_EQ(tree_.listings, 2);  // D:\ and D:\Real
  EXPECT_EQ(scan.folders.size(), 2u);
  EXPECT_EQ(scan.folders[0].bytes, 50u);
}

TEST_F(FolderScannerTest, UnreadableFoldersAreCountedAndTheRestIsScanned) {
  tree_.AddFile("D:\\Locked\\secret", 1000);
  tree_.AddFile("D:\\Open\\f", 7);
  tree_.AddFile("D:\\Open\\Inner\\g", 1000);
  tree_.Deny("D:\\Locked");
  tree_.Deny("D:\\Open\\Inner");
  const DriveScan scan = Scan();
  EXPECT_TRUE(scan.complete);
  EXPECT_EQ(scan.folders[0].bytes, 7u);
  EXPECT_EQ(scan.folders[0].unreadableFolders, 2u);
  EXPECT_EQ(Find(scan, "D:\\Open")->unreadableFolders, 1u);
}

TEST_F(FolderScannerTest, CancelStopsTheScanAtAnyPoint) {
  for (int i = 0; i < 30; ++i) tree_.AddFile("D:\\" + std::to_string(i % 6) + "\\x\\y\\z\\f", 1);
  for (int i = 0; i < 1000; ++i) tree_.AddFile("D:\\Big\\" + std::to_string(i), 1);
  // Cancelled while the listing after `listings` others runs, before its entries; the last
  // one is inside D:\Big.
  for (int listings : {0, 1, 3, 6, 20}) {
    SCOPED_TRACE(listings);
    cancel_ = false;
    tree_.listings = 0;
    tree_.entriesHandedOut = 0;
    tree_.onListing = [&](std::string_view path) {
      if (tree_.listings > listings || path == "D:\\Big") cancel_ = true;
    };
    EXPECT_FALSE(Scan().complete);
    EXPECT_LE(tree_.listings, listings + 1);
    EXPECT_LT(tree_.entriesHandedOut, 100);
  }
}

TEST_F(FolderScannerTest, GrowthPerFolderAndWhereTheDriveGrowsMost) {
  // A scan by hand of D:\ with A, A\X, A\Y, B and C, with these totals in that order.
  const auto made = [](const std::vector<std::uint64_t>& bytes) {
    DriveScan scan;
    scan.folders = {{"D:\\", 0, -1},    {"D:\\A", 1, 0}, {"D:\\A\\X", 2, 1},
                    {"D:\\A\\Y", 2, 1}, {"D:\\B", 1, 0}, {"D:\\C", 1, 0}};
    for (std::size_t i = 0; i < bytes.size(); ++i) scan.folders[i].bytes = bytes[i];
    return scan;
  };
  // The same folders by path, whatever was deleted or is new.
  DriveScan fewer = made({190, 150, 0, 0, 0, 40});
  fewer.folders.pop_back();  // D:\C deleted
  EXPECT_EQ(SameFolders(fewer, made({100, 60, 0, 0, 40, 40})),
            (std::vector<int>{0, 1, 2, 3, 4, -1}));

  const DriveScan before = made({1000, 100, 0, 0, 100, 100});
  using After = std::vector<std::uint64_t>;  // D:\, A, A\X, A\Y, B, C
  for (const auto& [after, expected] : {
           std::pair{After{1100, 180, 60, 20, 100, 100}, "D:\\A\\X"},  // one deep folder
           {After{1100, 140, 0, 0, 140, 120}, "D:\\"},                 // spread out
           {After{1100, 150, 20, 0, 150, 100}, "D:\\A"},               // exactly half
           {After{990, 90, 0, 0, 100, 100}, ""},                       // shrank
           {After{1000, 100, 0, 0, 100, 100}, ""},                     // unchanged
       }) {
    SCOPED_TRACE(expected);
    EXPECT_EQ(MainGrowthFolder(before, made(after)), expected);
  }
  // D:\\C, kept only by the later scan, is new where the earlier one kept its whole level; it
  // may be a folder renamed, and never leads.
  DriveScan withoutC = before;
  withoutC.folders.pop_back();
  const DriveScan grownC = made({1100, 100, 0, 0, 100, 200});
  EXPECT_EQ(MainGrowthFolder(withoutC, grownC), "D:\\");
  EXPECT_TRUE(GrowthSince(withoutC, grownC)[5].added);
  withoutC.keptDepth = 0;
  EXPECT_FALSE(GrowthSince(withoutC, grownC)[5].added);
}

}  // namespace
}  // namespace quenora
