#include "ui/Form1.h"

#include <gtest/gtest.h>

#include "Fakes.h"
#include "platform/win32/Win32DiskSpace.h"
#include "platform/win32/Win32System.h"

namespace quenora::win32 {
namespace {

class CountingSystem : public Win32System {
 public:
  void Beep() override { ++beeps; }
  int beeps = 0;
};

class Form1Test : public ::testing::Test {
 protected:
  Win32DiskSpace disks;
  testing::FakeNotifyArea shell;
  CountingSystem system;
  Form1 form{{disks, shell, system}};
};

TEST_F(Form1Test, StartAddsTheDefaultDriveAndRunsTheFirstCycle) {
  ASSERT_TRUE(form.Load(GetModuleHandleW(nullptr)));
  ASSERT_NE(form.hWnd(), nullptr);
  EXPECT_FALSE(IsWindowVisible(form.hWnd()));
  wchar_t caption[32] = {};
  GetWindowTextW(form.hWnd(), caption, 32);
  EXPECT_STREQ(caption, L"Quenora");

  // Added with the question-mark picture and no tooltip, then the first cycle's real state.
  ASSERT_EQ(shell.requests.size(), 2u);
  const auto& add = shell.requests[0];
  EXPECT_EQ(add.message, kNimAdd);
  EXPECT_EQ(add.record.uID, 1u);
  EXPECT_EQ(add.record.hIcon, form.IcoImage()[kIconUnreadable]);
  EXPECT_EQ(add.Tip(), "");
  EXPECT_EQ(add.record.hWnd, reinterpret_cast<WindowHandle>(form.hWnd()));

  const auto& modify = shell.requests[1];
  EXPECT_EQ(modify.message, kNimModify);
  EXPECT_EQ(modify.Tip().rfind("Rest auf C: ", 0), 0u) << modify.Tip();
  // The user's decimal separator stands before the one decimal of the free space.
  wchar_t separator[8] = {};
  GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, separator, 8);
  EXPECT_NE(modify.Tip().find(static_cast<char>(separator[0])), std::string::npos);
  EXPECT_EQ(form.Cycle().BlinkPhase, 1);
  EXPECT_EQ(form.TimerInterval(), 10000u);
  EXPECT_EQ(form.Drives().DriveCount, 1);
  EXPECT_EQ(system.beeps, 0);  // plenty of space on C:
}

TEST_F(Form1Test, EachTimerTickRunsOneCycle) {
  ASSERT_TRUE(form.Load(GetModuleHandleW(nullptr)));
  SendMessageW(form.hWnd(), WM_TIMER, Form1::kTimer1Id, 0);
  EXPECT_EQ(form.Cycle().BlinkPhase, 0);
  SendMessageW(form.hWnd(), WM_TIMER, Form1::kTimer1Id, 0);
  EXPECT_EQ(form.Cycle().BlinkPhase, 1);
}

TEST_F(Form1Test, EndOfTheSessionRemovesTheIconsOnce) {
  ASSERT_TRUE(form.Load(GetModuleHandleW(nullptr)));
  shell.requests.clear();
  SendMessageW(form.hWnd(), WM_QUERYENDSESSION, 0, 0);
  SendMessageW(form.hWnd(), WM_ENDSESSION, TRUE, 0);
  ASSERT_EQ(shell.requests.size(), 1u);
  EXPECT_EQ(shell.requests[0].message, kNimDelete);
  EXPECT_EQ(shell.requests[0].record.uID, 1u);
  EXPECT_EQ(form.Drives().DriveCount, 0);
  DestroyWindow(form.hWnd());
  EXPECT_EQ(shell.requests.size(), 1u);
}

TEST_F(Form1Test, ClosingTheWindowRemovesTheIcons) {
  ASSERT_TRUE(form.Load(GetModuleHandleW(nullptr)));
  shell.requests.clear();
  SendMessageW(form.hWnd(), WM_CLOSE, 0, 0);
  ASSERT_EQ(shell.requests.size(), 1u);
  EXPECT_EQ(shell.requests[0].message, kNimDelete);
  MSG message;
  EXPECT_TRUE(PeekMessageW(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
}

}  // namespace
}  // namespace quenora::win32
