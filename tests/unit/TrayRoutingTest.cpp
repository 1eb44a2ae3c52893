#include "tray/TrayRouting.h"

#include <gtest/gtest.h>

#include <map>

#include "Fakes.h"

namespace quenora {
namespace {

// The window's icons: identifier to drive.
class IconDrives : public TrayIconDrives {
 public:
  std::optional<std::string> DriveOfIcon(std::int32_t iconId) const override {
    const auto it = drives.find(iconId);
    if (it == drives.end()) return std::nullopt;
    return it->second;
  }
  std::map<std::int32_t, std::string> drives;
};

// The window's menu, which here "chooses" an item at once: 1 is "Laufwerk öffnen".
class ChoosingMenu : public TrayMenuHost {
 public:
  void PopUpTrayMenu() override {
    ++shown;
    if (chooseOpen && routing) routing->OpenClickedDrive();
  }
  bool ShowNoticeDetails(std::int32_t iconId) override {
    detailsAsked = iconId;
    return hasDetails;
  }
  TrayRouting* routing = nullptr;
  bool chooseOpen = false;
  int shown = 0;
  bool hasDetails = false;
  std::int32_t detailsAsked = 0;
};

class TrayRoutingTest : public ::testing::Test {
 protected:
  TrayRoutingTest() {
    drives.drives = {{1, "C:"}, {2, "E:"}, {3, "Q:"}};
    menu.routing = &routing;
  }
  testing::FakeNotifyArea notifyArea;
  testing::FakeSystem system;
  TrayIconSet tray{notifyArea, system};
  IconDrives drives;
  testing::FakeShell shell;
  ChoosingMenu menu;
  TrayRouting routing{tray, drives, shell, menu};
};

TEST_F(TrayRoutingTest, CallbackActsOnlyBetweenHookAndUnhook) {
  EXPECT_FALSE(routing.TrayWindowProc(2, kLeftButtonDoubleClick));
  routing.HookTrayMessages(0x1234);
  EXPECT_EQ(tray.TrayWindowHandle, 0x1234u);
  EXPECT_TRUE(routing.TrayWindowProc(2, kLeftButtonDoubleClick));
  EXPECT_TRUE(routing.TrayWindowProc(2, 0x200));  // taken, though a mouse move does nothing
  routing.UnhookTrayMessages();
  routing.UnhookTrayMessages();
  EXPECT_FALSE(routing.TrayWindowProc(3, kLeftButtonDoubleClick));
  ASSERT_EQ(shell.starts.size(), 1u);
  EXPECT_EQ(shell.starts[0].commandLine, "explorer E:");
  EXPECT_EQ(routing.ClickedIconID, 2);
}

TEST_F(TrayRoutingTest, NewTaskbarGetsTheIconsAgainOnlyWhileHooked) {
  tray.AddTrayIcon(1, 7, "Rest auf C: 1,0 GB = 50%");
  notifyArea.requests.clear();
  routing.TaskbarCreated(1);
  EXPECT_TRUE(notifyArea.requests.empty());
  routing.HookTrayMessages(0x1234);
  routing.TaskbarCreated(1);
  ASSERT_EQ(notifyArea.requests.size(), 1u);
  EXPECT_EQ(notifyArea.requests[0].message, kNimAdd);
  EXPECT_EQ(notifyArea.requests[0].record.hIcon, 7u);
  EXPECT_EQ(notifyArea.requests[0].Tip(), "Rest auf C: 1,0 GB = 50%");
  routing.UnhookTrayMessages();
  routing.TaskbarCreated(1);
  EXPECT_EQ(notifyArea.requests.size(), 1u);
}

TEST_F(TrayRoutingTest, OnlyLeftDoubleClickAndRightButtonDownAct) {
  for (const std::uintptr_t mouse : {0x200u, 0x201u, 0x202u, 0x205u, 0x206u, 0x207u, 0u}) {
    routing.OnTrayCallback(2, mouse);
  }
  EXPECT_TRUE(shell.starts.empty());
  EXPECT_EQ(menu.shown, 0);
  EXPECT_EQ(routing.ClickedIconID, 0);

  routing.OnTrayCallback(2, 0x203);  // left double-click on icon 2, drive E:
  ASSERT_EQ(shell.starts.size(), 1u);
  EXPECT_EQ(shell.starts[0].application, "C:\\Windows\\explorer.exe");
  EXPECT_EQ(shell.starts[0].commandLine, "explorer E:");
  EXPECT_EQ(routing.ClickedIconID, 2);

  routing.OnTrayCallback(1, 0x204);  // pressing the right button on icon 1
  EXPECT_EQ(menu.shown, 1);
  EXPECT_EQ(routing.ClickedIconID, 1);
  EXPECT_EQ(shell.starts.size(), 1u);

  // The other balloon messages (shown, hidden, timed out) do nothing; a click on the
  // notification of icon 2 opens its drive, as a double-click does.
  for (const std::uintptr_t balloon : {0x402u, 0x403u, 0x404u}) routing.OnTrayCallback(2, balloon);
  EXPECT_EQ(shell.starts.size(), 1u);
  routing.OnTrayCallback(2, 0x405);
  ASSERT_EQ(shell.starts.size(), 2u);
  EXPECT_EQ(shell.starts[1].commandLine, "explorer E:");
  // Where the window shows what the notification is about, the drive stays closed.
  menu.hasDetails = true;
  routing.OnTrayCallback(3, 0x405);
  EXPECT_EQ(menu.detailsAsked, 3);
  EXPECT_EQ(shell.starts.size(), 2u);
}

TEST_F(TrayRoutingTest, MenuOpensTheDriveOfTheIconItWasOpenedFor) {
  routing.OnTrayCallback(1, 0x203);
  menu.chooseOpen = true;
  routing.OnTrayCallback(3, 0x204);
  ASSERT_EQ(shell.starts.size(), 2u);
  EXPECT_EQ(shell.starts[1].commandLine, "explorer Q:");
}

TEST_F(TrayRoutingTest, IconsThatNoLongerExistOpenNothing) {
  drives.drives.erase(2);  // an apply took the icon away
  for (const std::int32_t id : {0, 2, 4, -1}) {
    routing.ClickedIconID = id;
    routing.OpenClickedDrive();
  }
  EXPECT_TRUE(shell.starts.empty());
}

}  // namespace
}  // namespace quenora
