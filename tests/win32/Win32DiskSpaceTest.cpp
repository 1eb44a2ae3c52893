#include "platform/win32/Win32DiskSpace.h"

#include <gtest/gtest.h>

#include <string>

#include "Fakes.h"
#include "monitor/FreeSpace.h"

namespace quenora::win32 {
namespace {

// A letter that no prefix maps: its queries fail at once.
constexpr char kNoDrive[] = "R:";

class Win32DiskSpaceTest : public ::testing::Test {
 protected:
  void SetUp() override { FailDriveErrorsQuietly(); }
};

TEST(FailDriveErrorsQuietlyTest, SwitchesOffTheSystemsDriveErrorBoxes) {
  SetErrorMode(0);
  FailDriveErrorsQuietly();
  EXPECT_TRUE(GetErrorMode() & SEM_FAILCRITICALERRORS);
  EXPECT_TRUE(GetErrorMode() & SEM_NOOPENFILEERRORBOX);
}

TEST_F(Win32DiskSpaceTest, NewerCallIsFoundAndBothCallsDescribeDriveC) {
  Win32DiskSpace disks;
  EXPECT_EQ(disks.ProbeDiskFreeSpaceEx("c:\\").outcome, CallProbe::Outcome::Callable);

  const DiskFreeSpaceExAnswer ex = disks.CallDiskFreeSpaceEx("C:");
  ASSERT_TRUE(ex.ok);
  const double total = Int64BytesToDouble(ex.totalBytes);
  EXPECT_GT(total, 0);
  EXPECT_LE(Int64BytesToDouble(ex.availableToCaller), total);

  const DiskFreeSpaceAnswer clusters = disks.CallDiskFreeSpace("C:");
  ASSERT_TRUE(clusters.ok);
  EXPECT_GT(clusters.sectorsPerCluster * clusters.bytesPerSector, 0u);
  // The cluster counts of a large volume are capped by the system, never above the truth.
  const double clusterTotal =
      double(clusters.totalClusters) * clusters.sectorsPerCluster * clusters.bytesPerSector;
  EXPECT_GT(clusterTotal, 0);
  EXPECT_LE(clusterTotal, total);
  // A local volume, known by its serial number and file system.
  const std::optional<VolumeIdentity> volume = disks.IdentifyVolume("C:\\");
  ASSERT_TRUE(volume);
  EXPECT_EQ(volume->remoteName, "");
  EXPECT_NE(volume->fileSystem, "");
}

TEST_F(Win32DiskSpaceTest, SystemDiskIsAskedDirectlyAndAnythingUnknownByAWorker) {
  Win32DiskSpace disks;
  // The prefix's C: is a fixed disk on no external bus; asking its storage stack about the bus
  // must not send it to a worker.
  EXPECT_EQ(disks.KindOfDrive("C:\\"), DriveKind::LocalDisk);
  EXPECT_EQ(disks.KindOfDrive(std::string(kNoDrive) + "\\"), DriveKind::MayKeepWaiting);
  EXPECT_EQ(disks.KindOfDrive("C:"), DriveKind::MayKeepWaiting);
}

TEST_F(Win32DiskSpaceTest, LetterWithoutADriveFailsQuietly) {
  Win32DiskSpace disks;
  EXPECT_FALSE(disks.CallDiskFreeSpaceEx(kNoDrive).ok);
  EXPECT_FALSE(disks.CallDiskFreeSpace(kNoDrive).ok);
  EXPECT_EQ(disks.VolumeLabel("R:\\"), "");
  EXPECT_FALSE(disks.IdentifyVolume("R:\\"));
}

TEST_F(Win32DiskSpaceTest, SystemWithoutTheNewerCallFallsBackToClusters) {
  // The same lookup as on an old system whose kernel library lacks the function.
  Win32DiskSpace disks("kernel32.dll", "GetDiskFreeSpaceExA_NotThere");
  testing::FakeSystem system;
  FreeSpace freeSpace(disks, system);
  EXPECT_FALSE(freeSpace.GetDiskFreeSpaceExSupported());
  EXPECT_TRUE(system.messages.empty());
  EXPECT_FALSE(disks.CallDiskFreeSpaceEx("C:").ok);  // nothing to call

  freeSpace.OSFat32Support = 0;
  const DriveSpace space = freeSpace.QueryDriveSpace("C:");
  ASSERT_TRUE(space.ok);
  const DiskFreeSpaceAnswer clusters = disks.CallDiskFreeSpace("C:");
  EXPECT_EQ(space.totalBytes,
            double(clusters.totalClusters) * clusters.sectorsPerCluster * clusters.bytesPerSector);
}

TEST_F(Win32DiskSpaceTest, UnexpectedFailureIsReportedWithTheSystemsText) {
  Win32DiskSpace disks("quenora-no-such-library.dll");
  testing::FakeSystem system;
  FreeSpace freeSpace(disks, system);
  EXPECT_FALSE(freeSpace.GetDiskFreeSpaceExSupported());
  ASSERT_EQ(system.messages.size(), 1u);
  EXPECT_EQ(system.messages[0].title, "GetDiskFreeSpaceExSupported()");
  EXPECT_EQ(system.messages[0].text.rfind("Fehler 126: ", 0), 0u) << system.messages[0].text;
  EXPECT_GT(system.messages[0].text.size(), std::string("Fehler 126: ").size());
  EXPECT_EQ(system.messages[0].text.back() != '\n', true);
}

TEST_F(Win32DiskSpaceTest, SameAnswerGivesTheSameDoubleEveryTime) {
  Win32DiskSpace disks;
  testing::FakeSystem system;
  FreeSpace freeSpace(disks, system);
  freeSpace.OSFat32Support = -1;
  const DriveSpace a = freeSpace.QueryDriveSpace("C:");
  const DriveSpace b = freeSpace.QueryDriveSpace("C:");
  ASSERT_TRUE(a.ok && b.ok);
  EXPECT_EQ(a.totalBytes, b.totalBytes);
}

}  // namespace
}  // namespace quenora::win32
