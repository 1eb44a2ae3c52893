#include "monitor/DriveTable.h"

#include <gtest/gtest.h>

namespace quenora {
namespace {

TEST(DriveTableTest, OnlyUsedPositionsNameADrive) {
  DriveTable drives;
  drives.DriveCount = 3;
  drives.DriveNumbers = {'C' % 64, 'E' % 64, 'Q' % 64};
  const struct {
    std::int32_t position;
    std::optional<std::string> name;
  } cases[] = {{1, "C:"}, {2, "E:"}, {3, "Q:"}, {0, {}}, {4, {}}, {26, {}}, {-1, {}}};
  for (const auto& c : cases) {
    EXPECT_EQ(DriveNameAtPosition(drives, c.position), c.name) << "position " << c.position;
  }
  drives.DriveCount = 0;  // an apply took every drive away
  EXPECT_EQ(DriveNameAtPosition(drives, 1), std::nullopt);
}

TEST(DriveTableTest, ACountBeyondTheTableNamesNothingOutsideIt) {
  DriveTable drives;
  drives.DriveCount = 40;
  drives.DriveNumbers.fill('D' % 64);
  EXPECT_EQ(DriveNameAtPosition(drives, 26), "D:");
  EXPECT_EQ(DriveNameAtPosition(drives, 27), std::nullopt);
}

}  // namespace
}  // namespace quenora
