#include "ui/InfoForm.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "AccessibleName.h"
#include "Fakes.h"
#include "platform/win32/WideText.h"
#include "resource.h"
#include "ui/InfoFormTexts.h"

namespace quenora::win32 {
namespace {

using namespace infoform;

class NoFiles : public Files {
 public:
  std::optional<std::uint32_t> FindFile(std::string_view) override { return std::nullopt; }
  bool SetNormalAttributes(std::string_view) override { return false; }
  bool DeleteFileAt(std::string_view) override { return false; }
};

// A shell whose opening fails by throwing.
class ThrowingShell : public testing::FakeShell {
 public:
  void OpenWithShell(std::string_view, int) override { throw std::runtime_error("shell"); }
};

class InfoFormTest : public ::testing::Test {
 protected:
  std::string Text(HWND window) {
    wchar_t text[1024] = {};
    GetWindowTextW(window, text, 1024);
    return Narrow(text);
  }
  testing::FakeShell shell;
  NoFiles files;
  testing::FakeSystem system;
  HelpLinks links{shell, files, system};
  InfoForm info{GetModuleHandleW(nullptr), nullptr, links};
};

TEST_F(InfoFormTest, OpensOnceWithItsTextAndTheUpdateCheckFocused) {
  info.ShowInfo();
  HWND window = info.hWnd();
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(Text(window),
            "Info \xC3\xBC"
            "ber Quenora");
  EXPECT_EQ(Text(info.Control(kLabel)), InfoFormText());
  EXPECT_EQ(GetFocus(), info.Control(kBtn + 1));
  RECT client{};
  GetClientRect(window, &client);
  EXPECT_EQ(client.right, TwipsToPixels(kClientWidth, info.Dpi()));
  EXPECT_EQ(client.bottom, TwipsToPixels(kClientHeight, info.Dpi()));
  // Asked again while open: the same dialog comes forward, not a new one.
  SetWindowPos(window, nullptr, 5, 7, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  info.ShowInfo();
  EXPECT_EQ(info.hWnd(), window);
  RECT place{};
  GetWindowRect(window, &place);
  EXPECT_EQ(place.left, 5);
}

// The banner is named by what a click on it does; Tab goes on as the buttons are read and
// Escape closes the dialog, as the main loop hands the keys on.
TEST_F(InfoFormTest, TheBannerIsNamedAndTheKeyboardWalksAndClosesIt) {
  info.ShowInfo();
  EXPECT_EQ(testing::AccessibleName(info.Control(kImage1)),
            "Weitere Tarnwick-Programme kennenlernen");
  EXPECT_EQ(testing::AccessibleName(info.Control(kBtn + 3)), "Fenster schliessen");
  auto press = [&](WPARAM key) {
    MSG message{GetFocus(), WM_KEYDOWN, key, 1, 0, {}};
    if (!info.PreTranslateMessage(message)) DispatchMessageW(&message);
  };
  press(VK_TAB);
  EXPECT_EQ(GetFocus(), info.Control(kBtn + 0));
  press(VK_ESCAPE);
  EXPECT_EQ(info.hWnd(), nullptr);
}

TEST_F(InfoFormTest, ADpiChangeLaysTheDialogOutAgainAtTheSuggestedPlace) {
  info.ShowInfo();
  HWND window = info.hWnd();
  // A monitor of twice the scale, left of the primary one.
  RECT suggested{-900, 40, -900 + 800, 40 + 600};
  SendMessageW(window, WM_DPICHANGED, MAKEWPARAM(192, 192), reinterpret_cast<LPARAM>(&suggested));
  RECT frame{}, client{};
  GetWindowRect(window, &frame);
  GetClientRect(window, &client);
  EXPECT_EQ(frame.left, -900);
  EXPECT_EQ(frame.top, 40);
  EXPECT_EQ(client.right, TwipsToPixels(kClientWidth, 192));
  EXPECT_EQ(client.bottom, TwipsToPixels(kClientHeight, 192));
}

TEST_F(InfoFormTest, BannerIsReadFromItsJpeg) {
  const UniqueBitmap banner = LoadJpegResource(GetModuleHandleW(nullptr), IDB_ABOUT_BANNER);
  ASSERT_TRUE(banner);
  BITMAP size{};
  ASSERT_TRUE(GetObjectW(banner.get(), sizeof size, &size));
  EXPECT_EQ(size.bmWidth, 224);
  EXPECT_EQ(size.bmHeight, 1020);
  EXPECT_FALSE(LoadJpegResource(GetModuleHandleW(nullptr), 9999));
}

TEST_F(InfoFormTest, ButtonsActByTheirElementNumber) {
  info.ShowInfo();
  SendMessageW(info.Control(kBtn + 0), BM_CLICK, 0, 0);
  SendMessageW(info.Control(kBtn + 1), BM_CLICK, 0, 0);
  info.Image1_Click();
  ASSERT_EQ(shell.opened.size(), 3u);
  EXPECT_EQ(shell.opened[0].target,
            "mailto:support@tarnwick-software.de?subject=Ihre Software Quenora (V1.0) unter "
            "Windows 5.1.2600");
  EXPECT_EQ(shell.opened[0].showMode, 1);
  EXPECT_EQ(shell.opened[1].target,
            "https://www.tarnwick-software.de/?find_update&app=quenora&ver=1.0.24&win=5.1.2600");
  EXPECT_EQ(shell.opened[2].target, "https://www.tarnwick-software.de");
  SendMessageW(info.Control(kBtn + 3), BM_CLICK, 0, 0);
  EXPECT_EQ(info.hWnd(), nullptr);
  // Loaded afresh the next time.
  info.ShowInfo();
  EXPECT_NE(info.hWnd(), nullptr);
  SendMessageW(info.hWnd(), WM_CLOSE, 0, 0);
  EXPECT_EQ(info.hWnd(), nullptr);
}

TEST_F(InfoFormTest, TheBannerShowsTheHandOverIt) {
  info.ShowInfo();
  const LPARAM move = MAKELPARAM(HTCLIENT, WM_MOUSEMOVE);
  HCURSOR arrow = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
  SetCursor(arrow);
  EXPECT_EQ(SendMessageW(info.hWnd(), WM_SETCURSOR, reinterpret_cast<WPARAM>(info.Control(kImage1)),
                         move),
            TRUE);
  EXPECT_NE(GetCursor(), arrow);
  SetCursor(arrow);
  EXPECT_EQ(SendMessageW(info.hWnd(), WM_SETCURSOR,
                         reinterpret_cast<WPARAM>(info.Control(kBtn + 3)), move),
            FALSE);
  EXPECT_EQ(GetCursor(), arrow);
}

TEST_F(InfoFormTest, AHandlerThatThrowsLeavesTheDialogWorking) {
  ThrowingShell broken;
  HelpLinks brokenLinks{broken, files, system};
  InfoForm dialog{GetModuleHandleW(nullptr), nullptr, brokenLinks};
  dialog.ShowInfo();
  // The update check throws inside the dialog's window procedure; it ends there, and the
  // dialog goes on as before.
  SendMessageW(dialog.Control(kBtn + 1), BM_CLICK, 0, 0);
  EXPECT_NE(dialog.hWnd(), nullptr);
  SendMessageW(dialog.Control(kBtn + 3), BM_CLICK, 0, 0);
  EXPECT_EQ(dialog.hWnd(), nullptr);
}

}  // namespace
}  // namespace quenora::win32
