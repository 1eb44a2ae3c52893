#include <gtest/gtest.h>

#include <windows.h>

#include "Fakes.h"
#include "help/HelpLinks.h"
#include "platform/win32/WideText.h"
#include "platform/win32/Win32Files.h"

namespace quenora::win32 {
namespace {

// Real files in a folder of their own, as the program's directory.
class HelpFilesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    dir_ = std::wstring(temp) + L"quenora-help-test\\";
    Clean();
    CreateDirectoryW(dir_.c_str(), nullptr);
    CreateDirectoryW((dir_ + L"hilfe").c_str(), nullptr);
    system_.executablePath = Narrow(dir_) + "Quenora.exe";
  }
  void TearDown() override { Clean(); }
  void Clean() {
    for (const wchar_t* name : {L"index.htm", L"index.html", L"hilfe\\index.htm"}) {
      SetFileAttributesW((dir_ + name).c_str(), FILE_ATTRIBUTE_NORMAL);
      DeleteFileW((dir_ + name).c_str());
      RemoveDirectoryW((dir_ + name).c_str());
    }
    RemoveDirectoryW((dir_ + L"hilfe").c_str());
    RemoveDirectoryW(dir_.c_str());
  }
  void Write(const wchar_t* name, DWORD attributes = FILE_ATTRIBUTE_NORMAL) {
    HANDLE file = CreateFileW((dir_ + name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              attributes, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    CloseHandle(file);
  }
  std::string Found() { return links_.FindHelpFile(); }

  std::wstring dir_;
  testing::FakeShell shell_;
  Win32Files files_;
  testing::FakeSystem system_;
  HelpLinks links_{shell_, files_, system_};
};

TEST_F(HelpFilesTest, CandidatesAreTriedInTheirOrderOnTheRealDisk) {
  EXPECT_EQ(Found(), "");
  Write(L"hilfe\\index.htm");
  EXPECT_EQ(Found(), Narrow(dir_) + "hilfe\\index.htm");
  Write(L"index.html");
  EXPECT_EQ(Found(), Narrow(dir_) + "index.html");
  CreateDirectoryW((dir_ + L"index.htm").c_str(), nullptr);  // a folder of that name
  EXPECT_EQ(Found(), Narrow(dir_) + "index.html");
  RemoveDirectoryW((dir_ + L"index.htm").c_str());
  Write(L"index.htm", FILE_ATTRIBUTE_HIDDEN);
  EXPECT_EQ(Found(), Narrow(dir_) + "index.html");
  SetFileAttributesW((dir_ + L"index.htm").c_str(), FILE_ATTRIBUTE_READONLY);
  EXPECT_EQ(Found(), Narrow(dir_) + "index.htm");
}

}  // namespace
}  // namespace quenora::win32
