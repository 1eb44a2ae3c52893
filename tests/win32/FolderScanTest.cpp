// A real drive scanned through the system's listing: a tree of 200,000 files that
// folder_scan.sh made and mapped to a drive letter, with the totals that find counted there.

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <fstream>
#include <map>
#include <string>
#include <utility>

#include "platform/win32/Win32FolderListing.h"
#include "scan/FolderScanner.h"

namespace quenora::win32 {
namespace {

using Totals = std::map<std::string, std::pair<std::uint64_t, std::uint64_t>>;  // bytes, files

// The system's listing, counting the links it reports.
class CountingListing : public Win32FolderListing {
 public:
  ListingOutcome List(std::string_view path, const EntrySink& sink) override {
    return Win32FolderListing::List(path, [&](const FolderEntry& entry) {
      if (entry.link) ++links;
      return sink(entry);
    });
  }
  std::atomic<int> links{0};
};

class FolderScanTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* drive = std::getenv("QUENORA_SCAN_DRIVE");
    const char* expected = std::getenv("QUENORA_SCAN_EXPECTED");
    ASSERT_TRUE(drive && expected) << "run through folder_scan.sh";
    drive_ = drive;
    // "bytes<TAB>files<TAB>first-level folder", the root's line with an empty name.
    std::ifstream lines(expected);
    std::uint64_t bytes = 0;
    std::uint64_t files = 0;
    std::string name;
    while (lines >> bytes >> files && std::getline(lines, name)) {
      expected_[drive_ + "\\" + name.substr(name.empty() ? 0 : 1)] = {bytes, files};
    }
    ASSERT_FALSE(expected_.empty());
  }

  std::string drive_;
  Totals expected_;
};

TEST_F(FolderScanTest, TotalsOfTheRootAndTheFirstLevelAreThoseOfTheFilesOnTheDrive) {
  CountingListing listing;
  const std::atomic<bool> cancel{false};
  ScanProgress progress;
  const DriveScan scan = ScanDrive(listing, drive_, cancel, progress);

  ASSERT_TRUE(scan.complete);
  Totals found;
  for (const ScannedFolder& folder : scan.folders) {
    if (folder.depth <= 1) found[folder.path] = {folder.bytes, folder.files};
  }
  // Both links lead back into the tree: followed, they would count its files twice.
  EXPECT_EQ(listing.links, 2);
  EXPECT_EQ(found, expected_);
  EXPECT_GE(scan.folders[0].files, 200000u);
  EXPECT_EQ(scan.folders[0].unreadableFolders, 0u);
}

}  // namespace
}  // namespace quenora::win32
