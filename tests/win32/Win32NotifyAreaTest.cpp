#include "platform/win32/Win32NotifyArea.h"

#include <windows.h>

#include <shellapi.h>

#include <gtest/gtest.h>

#include "Fakes.h"
#include "monitor/TrayPictures.h"
#include "platform/win32/Handles.h"
#include "platform/win32/PictureIcon.h"
#include "platform/win32/Win32System.h"
#include "tray/TrayIconSet.h"

namespace quenora::win32 {
namespace {

class Win32NotifyAreaTest : public ::testing::Test {
 protected:
  void SetUp() override {
    window_.reset(CreateWindowExW(0, L"STATIC", L"tray owner", 0, 0, 0, 10, 10, nullptr, nullptr,
                                  GetModuleHandleW(nullptr), nullptr));
    ASSERT_TRUE(window_);
    tray.TrayWindowHandle = reinterpret_cast<WindowHandle>(window_.get());
  }

  UniqueWindow window_;
  Win32NotifyArea shell;
  Win32System system;
  TrayIconSet tray{shell, system};
};

TEST_F(Win32NotifyAreaTest, RecordIsTheEightyEightByteLayoutOnThe32BitBuild) {
#if defined(_WIN64)
  EXPECT_EQ(sizeof(NotifyIconRecord), 104u);
#else
  EXPECT_EQ(sizeof(NotifyIconRecord), 88u);
#endif
  EXPECT_EQ(tray.BuildRecord(1, 0, "").cbSize, NOTIFYICONDATAA_V1_SIZE);
}

TEST_F(Win32NotifyAreaTest, ShellTakesAddModifyAndDeleteOfOurRecord) {
  const UniqueIcon icon = CreateIconFromPicture(DrawTrayPicture(13));
  ASSERT_TRUE(icon);
  const IconHandle handle = reinterpret_cast<IconHandle>(icon.get());
  EXPECT_TRUE(shell.ShellNotifyIcon(kNimAdd, tray.BuildRecord(7, handle, "")));
  EXPECT_TRUE(shell.ShellNotifyIcon(kNimModify,
                                    tray.BuildRecord(7, handle, "Rest auf C: \xC2\xBBX\xC2\xAB")));
  EXPECT_TRUE(shell.ShellNotifyIcon(kNimDelete, tray.BuildRecord(7, 1, "")));
  // Gone: a second delete finds nothing.
  EXPECT_FALSE(shell.ShellNotifyIcon(kNimDelete, tray.BuildRecord(7, 1, "")));
}

TEST_F(Win32NotifyAreaTest, GuillemetsReachTheRecordInTheAnsiCodePage) {
  const NotifyIconRecord record = tray.BuildRecord(1, 0, "\xC2\xBBSYSTEM\xC2\xAB");
  // What the code page makes of them: in the Western code pages 0xBB and 0xAB.
  char expected[16] = {};
  BOOL usedDefault = FALSE;
  WideCharToMultiByte(CP_ACP, 0, L"\u00BBSYSTEM\u00AB", -1, expected, sizeof expected, nullptr,
                      &usedDefault);
  EXPECT_STREQ(record.szTip, expected);
}

TEST_F(Win32NotifyAreaTest, ShellTakesANoticeForAnIconThatIsThere) {
  const UniqueIcon icon = CreateIconFromPicture(DrawTrayPicture(kIconAlarm));
  ASSERT_TRUE(icon);
  EXPECT_TRUE(shell.ShellNotifyIcon(
      kNimAdd, tray.BuildRecord(5, reinterpret_cast<IconHandle>(icon.get()), "")));
  NoticeRecord notice{tray.TrayWindowHandle, 5, u"Laufwerk C: ist fast voll",
                      u"Nur noch 812,0 MB frei (Alarmgrenze: 1000 MB)."};
  EXPECT_TRUE(shell.ShowNotice(notice));
  EXPECT_TRUE(shell.ShellNotifyIcon(kNimDelete, tray.BuildRecord(5, 0, "")));
  // No icon, no notice.
  EXPECT_FALSE(shell.ShowNotice(notice));
}

}  // namespace
}  // namespace quenora::win32
