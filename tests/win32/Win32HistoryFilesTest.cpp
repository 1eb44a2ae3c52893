#include "platform/win32/Win32HistoryFiles.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/win32/WideText.h"

namespace quenora::win32 {
namespace {

using Outcome = OpenedHistoryFile::Outcome;

TEST(Win32HistoryFilesTest, AFileIsMadeWholeHeldAloneAndSetAside) {
  Win32HistoryFiles files;
  EXPECT_FALSE(files.LocalAppData().empty());
  wchar_t temp[MAX_PATH];
  ASSERT_GT(GetTempPathW(MAX_PATH, temp), 0u);
  const std::string top = Narrow(temp) + "Quenora-Verlauf-" + std::to_string(GetCurrentProcessId());
  const std::string folder = top + "\\a\\b\\";
  const std::string path = folder + "NTFS-1A2B-3C4D.verlauf";
  ASSERT_TRUE(files.MakeFolders(folder));
  EXPECT_EQ(files.Open(path).outcome, Outcome::kMissing);

  OpenedHistoryFile made = files.Create(path, 300'000);
  ASSERT_EQ(made.outcome, Outcome::kOpened);
  EXPECT_EQ(made.file->Size(), 300'000u);
  std::vector<std::uint8_t> bytes(300'000, 1);
  EXPECT_TRUE(made.file->ReadAt(0, bytes));
  EXPECT_EQ(bytes, std::vector<std::uint8_t>(300'000, 0));
  const std::vector<std::uint8_t> written{1, 2, 3, 4};
  EXPECT_TRUE(made.file->WriteAt(299'996, written));
  // Held: a second opener is told so, and neither it nor a rename or delete harms the file.
  EXPECT_EQ(files.Open(path).outcome, Outcome::kInUse);
  EXPECT_NE(files.Create(path, 10).outcome, Outcome::kOpened);
  EXPECT_FALSE(DeleteFileW(Widen(path).c_str()));
  EXPECT_FALSE(files.SetAside(path));
  made.file.reset();

  ASSERT_EQ(files.Create(path + ".defekt", 10).outcome, Outcome::kOpened);  // closed at once
  EXPECT_TRUE(files.SetAside(path));
  EXPECT_EQ(files.Open(path).outcome, Outcome::kMissing);
  OpenedHistoryFile aside = files.Open(path + ".defekt");
  ASSERT_EQ(aside.outcome, Outcome::kOpened);
  std::vector<std::uint8_t> tail(4);
  EXPECT_EQ(aside.file->Size(), 300'000u);
  EXPECT_TRUE(aside.file->ReadAt(299'996, tail));
  EXPECT_EQ(tail, written);
  aside.file.reset();

  EXPECT_TRUE(DeleteFileW(Widen(path + ".defekt").c_str()));
  for (const std::string& gone : {folder, top + "\\a\\", top}) {
    EXPECT_TRUE(RemoveDirectoryW(Widen(gone).c_str())) << gone;
  }
}

}  // namespace
}  // namespace quenora::win32
