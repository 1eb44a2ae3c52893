#include "monitor/FreeSpace.h"

#include <gtest/gtest.h>

#include <cmath>

#include "Fakes.h"

namespace quenora {
namespace {

using testing::BytesOf;
using testing::FakeDiskSpace;
using testing::FakeSystem;

TEST(Int64BytesToDoubleTest, TakesBytesLeastSignificantFirstAndUnsigned) {
  EXPECT_EQ(Int64BytesToDouble({0, 0, 0, 0, 1, 0, 0, 0}), 4294967296.0);
  EXPECT_EQ(Int64BytesToDouble({0xFF, 0, 0, 0, 0, 0, 0, 0}), 255.0);
  EXPECT_EQ(Int64BytesToDouble({0x80, 0, 0, 0, 0, 0, 0, 0}), 128.0);  // not -128
  EXPECT_EQ(Int64BytesToDouble({0, 0, 0, 0, 0, 0, 0, 0}), 0.0);
  // 2^64 - 1 is not a double; the nearest is 2^64.
  EXPECT_EQ(Int64BytesToDouble({0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}),
            std::ldexp(1.0, 64));
  // Above 2^53 the value is rounded to the nearest double, the same one every time.
  const std::uint64_t big = (std::uint64_t{1} << 53) + 1;
  EXPECT_EQ(Int64BytesToDouble(BytesOf(big)), std::ldexp(1.0, 53));
  EXPECT_EQ(Int64BytesToDouble(BytesOf(123456789012345ull)), 123456789012345.0);
}

class FreeSpaceTest : public ::testing::Test {
 protected:
  FakeDiskSpace disks;
  FakeSystem system;
  FreeSpace freeSpace{disks, system};
};

TEST_F(FreeSpaceTest, ProbeAlwaysTriesCAndIgnoresTheCallsOwnResult) {
  disks.probe = {CallProbe::Outcome::Callable, 0, {}};
  // No drive C: at all: the call exists, so the answer is still true.
  EXPECT_TRUE(freeSpace.GetDiskFreeSpaceExSupported());
  ASSERT_EQ(disks.probedDirectories.size(), 1u);
  EXPECT_EQ(disks.probedDirectories[0], "c:\\");
  EXPECT_TRUE(system.messages.empty());
}

TEST_F(FreeSpaceTest, MissingFunctionAnswersFalseWithoutAMessage) {
  disks.probe = {CallProbe::Outcome::FunctionMissing, 127, {}};
  EXPECT_FALSE(freeSpace.GetDiskFreeSpaceExSupported());
  EXPECT_TRUE(system.messages.empty());
}

TEST_F(FreeSpaceTest, OtherFailureAnswersFalseAndReportsTheError) {
  disks.probe = {CallProbe::Outcome::CallFailed, 126, "Das angegebene Modul wurde nicht gefunden."};
  EXPECT_FALSE(freeSpace.GetDiskFreeSpaceExSupported());
  ASSERT_EQ(system.messages.size(), 1u);
  EXPECT_EQ(system.messages[0].title, "GetDiskFreeSpaceExSupported()");
  EXPECT_EQ(system.messages[0].text, "Fehler 126: Das angegebene Modul wurde nicht gefunden.");
}

TEST_F(FreeSpaceTest, WithTheFlagSetTheNewerCallGivesAvailableAndTotalBytes) {
  freeSpace.OSFat32Support = -1;
  disks.Set("D:", 4294967296ull, 8589934592ull);
  const DriveSpace space = freeSpace.QueryDriveSpace("D:");
  EXPECT_TRUE(space.ok);
  EXPECT_EQ(space.freeBytes, 4294967296.0);
  EXPECT_EQ(space.totalBytes, 8589934592.0);
  EXPECT_EQ(disks.exCalls, std::vector<std::string>{"D:"});  // no backslash
  EXPECT_TRUE(disks.clusterCalls.empty());
}

TEST_F(FreeSpaceTest, WithTheFlagSetAFailedCallIsReported) {
  freeSpace.OSFat32Support = -1;
  EXPECT_FALSE(freeSpace.QueryDriveSpace("X:").ok);
}

TEST_F(FreeSpaceTest, WithTheFlagClearTheClusterCallIsUsed) {
  disks.clusterAnswer = {true, 8, 512, 1000, 5000};
  const DriveSpace space = freeSpace.QueryDriveSpace("C:");
  EXPECT_TRUE(space.ok);
  EXPECT_EQ(space.freeBytes, 4096000.0);
  EXPECT_EQ(space.totalBytes, 20480000.0);
  EXPECT_EQ(disks.clusterCalls, std::vector<std::string>{"C:"});
  EXPECT_TRUE(disks.exCalls.empty());

  disks.clusterAnswer.ok = false;
  EXPECT_FALSE(freeSpace.QueryDriveSpace("C:").ok);
}

TEST_F(FreeSpaceTest, ClusterCountsOfTwoToTheThirtyFirstAndMoreStayPositive) {
  disks.clusterAnswer = {true, 1, 4096, 0x80000000u, 0xFFFFFFFFu};
  const DriveSpace space = freeSpace.QueryDriveSpace("C:");
  EXPECT_EQ(space.freeBytes, 2147483648.0 * 4096);
  EXPECT_EQ(space.totalBytes, 4294967295.0 * 4096);
}

TEST_F(FreeSpaceTest, LargeClustersDoNotOverflowTheBytesPerCluster) {
  // 65536 x 65536 is 2^32: one more than a 32-bit product can hold.
  disks.clusterAnswer = {true, 65536, 65536, 3, 10};
  const DriveSpace space = freeSpace.QueryDriveSpace("C:");
  EXPECT_EQ(space.freeBytes, 3 * 4294967296.0);
  EXPECT_EQ(space.totalBytes, 10 * 4294967296.0);
}

}  // namespace
}  // namespace quenora
