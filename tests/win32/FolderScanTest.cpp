// A real drive scanned through the system's listing: a tree of 200,000 files that
// folder_scan.sh made and mapped to a drive letter, with the totals that find counted there.

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <utility>

#include "platform/win32/WideText.h"
#include "platform/win32/Win32FolderListing.h"
#include "scan/FolderScanner.h"

namespace quenora::win32 {
namespace {

using Totals = std::map<std::string, std::pair<std::uint64_t, std::uint64_t>>;  // bytes, files

std::string Env(const char* name) {
  const char* value = std::getenv(name);
  return value ? value : "";
}

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
    drive_ = Env("QUENORA_SCAN_DRIVE");
    ASSERT_FALSE(drive_.empty()) << "run through folder_scan.sh";
    // "bytes<TAB>files<TAB>first-level folder", the root's line with an empty name.
    FILE* file = _wfopen(Widen(Env("QUENORA_SCAN_EXPECTED")).c_str(), L"r");
    ASSERT_NE(file, nullptr);
    char line[1024];
    while (std::fgets(line, sizeof line, file)) {
      unsigned long long bytes = 0;
      unsigned long long files = 0;
      int consumed = 0;
      if (std::sscanf(line, "%llu\t%llu\t%n", &bytes, &files, &consumed) < 2) continue;
      std::string name = line + consumed;
      while (!name.empty() && (name.back() == '\n' || name.back() == '\r')) name.pop_back();
      const std::string path = drive_ + "\\" + name;
      expected_[path] = {bytes, files};
    }
    std::fclose(file);
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
    // Both links lead back into the tree: followed, they would count its files twice.
    EXPECT_EQ(folder.path.find("Schleife"), std::string::npos) << folder.path;
    EXPECT_EQ(folder.path.find("Verweis"), std::string::npos) << folder.path;
  }
  EXPECT_EQ(found, expected_);
  EXPECT_EQ(listing.links, 2);
  EXPECT_GE(scan.folders[0].files, 200000u);
  EXPECT_EQ(scan.folders[0].unreadableFolders, 0u);
  EXPECT_EQ(scan.otherBytes, 0u);
  EXPECT_EQ(progress.bytes.load(), scan.folders[0].bytes);
}

}  // namespace
}  // namespace quenora::win32
