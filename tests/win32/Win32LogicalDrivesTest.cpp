#include "platform/win32/Win32LogicalDrives.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <bitset>

#include "settings/DriveListBox.h"

namespace quenora::win32 {
namespace {

class Win32LogicalDrivesTest : public ::testing::Test {
 protected:
  // The root of a letter that no drive has, e.g. "R:\".
  std::string UnusedRoot() {
    for (char letter = 'Y'; letter > 'C'; --letter) {
      if (!(drives.LogicalDriveMask() & (1u << (letter - 'A')))) return {letter, ':', '\\'};
    }
    return {};
  }
  Win32LogicalDrives drives;
};

TEST_F(Win32LogicalDrivesTest, DriveCIsALocalDiskAndAFreeLetterHasNoDrive) {
  EXPECT_TRUE(drives.LogicalDriveMask() & (1u << ('C' - 'A')));
  EXPECT_EQ(drives.TypeOfDrive("C:\\"), DriveType::Fixed);
  const std::string unused = UnusedRoot();
  ASSERT_FALSE(unused.empty());
  EXPECT_EQ(drives.TypeOfDrive(unused), DriveType::NoRootDirectory);
  EXPECT_EQ(drives.VolumeLabel(unused), "");
}

TEST_F(Win32LogicalDrivesTest, TheDriveListHasOneEntryPerDriveOfTheSystem) {
  const std::vector<std::string> entries = DriveListEntries(drives);
  EXPECT_EQ(entries.size(), std::bitset<26>(drives.LogicalDriveMask()).count());
  EXPECT_EQ(std::count_if(entries.begin(), entries.end(),
                          [](const std::string& entry) { return entry.rfind("c:", 0) == 0; }),
            1);
}

}  // namespace
}  // namespace quenora::win32
