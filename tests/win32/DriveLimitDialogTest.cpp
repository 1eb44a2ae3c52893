#include "ui/DriveLimitDialog.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "AccessibleName.h"
#include "platform/win32/WideText.h"
#include "resource.h"

namespace quenora::win32 {
namespace {

using namespace drivelimit;
using Unit = DriveLevel::Unit;
constexpr double kGB = 1073741824;

// The user's steps, one per tick of a thread timer, so that what a step posts is handled by
// the dialog's own loop before the next step looks.
std::vector<std::function<void()>> g_steps;
std::size_t g_nextStep = 0;

void CALLBACK NextStep(HWND, UINT, UINT_PTR timer, DWORD) {
  if (g_nextStep < g_steps.size()) {
    g_steps[g_nextStep++]();
  } else {
    KillTimer(nullptr, timer);
  }
}

class DriveLimitDialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // The options window as owner: a hidden window whose class carries the program's icon.
    WNDCLASSEXW form{};
    form.cbSize = sizeof form;
    form.lpfnWndProc = DefWindowProcW;
    form.hInstance = GetModuleHandleW(nullptr);
    form.hIcon = LoadIconW(form.hInstance, MAKEINTRESOURCEW(IDI_APP));
    form.lpszClassName = L"DriveLimitTestOwner";
    RegisterClassExW(&form);
    owner.reset(CreateWindowExW(0, form.lpszClassName, L"", WS_OVERLAPPEDWINDOW, 0, 0, 200, 200,
                                nullptr, nullptr, form.hInstance, nullptr));
    dialog = std::make_unique<DriveLimitDialog>(form.hInstance, owner.get());
    question.letter = 'D';
    question.totalBytes = 512 * kGB;
    question.pageLimit = 1000;
  }

  // Shows the dialog and runs `steps` while it is up; a dialog still open after them is
  // closed, so that a failing case doesn't hang.
  std::optional<DriveLimitChoice> Show(std::vector<std::function<void()>> steps) {
    steps.push_back([this] { PostMessageW(dialog->hWnd(), WM_CLOSE, 0, 0); });
    g_steps = std::move(steps);
    g_nextStep = 0;
    const UINT_PTR timer = SetTimer(nullptr, 0, 30, NextStep);
    const std::optional<DriveLimitChoice> choice = dialog->ShowModal(question);
    KillTimer(nullptr, timer);
    EXPECT_EQ(g_nextStep, g_steps.size() - 1) << "the dialog closed before all steps ran";
    return choice;
  }

  HWND At(int id) const { return dialog->Control(id); }
  std::string Text(int id) const { return Text(At(id)); }
  static std::string Text(HWND window) {
    wchar_t text[256] = {};
    GetWindowTextW(window, text, 256);
    return Narrow(text);
  }
  bool Checked(int id) const { return SendMessageW(At(id), BM_GETCHECK, 0, 0) == BST_CHECKED; }
  bool Enabled(int id) const { return IsWindowEnabled(At(id)) != FALSE; }
  // Typing into a field: the edit reports the change as it would for keys.
  void Type(int id, const wchar_t* text) const {
    SetFocus(At(id));
    SetWindowTextW(At(id), text);
  }
  static void Key(HWND target, WPARAM key) {
    PostMessageW(target, WM_KEYDOWN, key, 1);
    PostMessageW(target, WM_KEYUP, key, 0xC0000001);
  }
  static void AltKey(HWND target, wchar_t letter) {
    PostMessageW(target, WM_SYSCHAR, letter, 0x20000001);
  }

  UniqueWindow owner;
  DriveLimitQuestion question;
  std::unique_ptr<DriveLimitDialog> dialog;
};

TEST_F(DriveLimitDialogTest, APercentTypedShowsItsBytesAndOkGivesIt) {
  const std::optional<DriveLimitChoice> choice =
      Show({[&] {
              EXPECT_EQ(Text(dialog->hWnd()), "Alarmgrenze f\xC3\xBCr Laufwerk D:");
              EXPECT_EQ(Text(kAllDrivesOpt), "&Wie alle Laufwerke (Seite Alarm: 1000 MB)");
              // The page's limit is chosen; the own limit offers it, greyed.
              EXPECT_TRUE(Checked(kAllDrivesOpt));
              EXPECT_EQ(GetFocus(), At(kAllDrivesOpt));
              EXPECT_EQ(Text(kLimitTxt), "1000");
              EXPECT_FALSE(Enabled(kLimitTxt));
              EXPECT_FALSE(Enabled(kLimitUnitCmb));
              EXPECT_FALSE(Checked(kEarlyChk));
              EXPECT_FALSE(Enabled(kEarlyTxt));
              EXPECT_TRUE(Enabled(kOKButton));
              AltKey(GetFocus(), L'e');
            },
            [&] {
              EXPECT_TRUE(Checked(kOwnLimitOpt));
              EXPECT_FALSE(Checked(kAllDrivesOpt));
              EXPECT_TRUE(Enabled(kLimitTxt));
              // Each field is named by its label, and reached by the label's access key. A
              // screen reader takes a field's name from the label just before it (wine's names a
              // drop-down list by its text instead, so for those the order is what is checked).
              EXPECT_EQ(testing::AccessibleName(At(kLimitTxt)), "Zahl:");
              EXPECT_EQ(testing::AccessibleName(At(kEarlyTxt)), "Zahl:");
              EXPECT_EQ(GetWindow(At(kLimitUnitCmb), GW_HWNDPREV), At(kLimitUnitLbl));
              EXPECT_EQ(GetWindow(At(kEarlyUnitCmb), GW_HWNDPREV), At(kEarlyUnitLbl));
              AltKey(GetFocus(), L'n');
            },
            [&] {
              EXPECT_EQ(GetFocus(), At(kLimitUnitCmb));
              AltKey(GetFocus(), L'z');
            },
            [&] {
              EXPECT_EQ(GetFocus(), At(kLimitTxt));
              Type(kLimitTxt, L"10");
              SetFocus(At(kLimitUnitCmb));
              Key(At(kLimitUnitCmb), VK_END);  // the list's last unit, %
            },
            [&] {
              EXPECT_EQ(Text(kLimitPreviewLbl), "= 51,2 GB von 512,0 GB Größe");
              EXPECT_EQ(Text(kMessageLbl), "");
              Key(GetFocus(), VK_RETURN);
            }});
  EXPECT_EQ(choice, (DriveLimitChoice{DriveLevel{10, Unit::Percent}, std::nullopt}));
  EXPECT_EQ(dialog->hWnd(), nullptr);
}

TEST_F(DriveLimitDialogTest, ABadNumberIsNamedAndHoldsOkUntilTheFieldIsLeft) {
  question.current.limit = DriveLevel{20, Unit::Gigabytes};
  const std::optional<DriveLimitChoice> choice =
      Show({[&] {
              // Opened on the drive's own limit, which has the keyboard.
              EXPECT_EQ(GetFocus(), At(kOwnLimitOpt));
              EXPECT_EQ(Text(kLimitTxt), "20");
              EXPECT_EQ(SendMessageW(At(kLimitUnitCmb), CB_GETCURSEL, 0, 0), 1);
              Type(kLimitTxt, L"abc");
              EXPECT_EQ(Text(kMessageLbl),
                        "Eigene Grenze: Bitte nur Ziffern und h\xC3\xB6"
                        "chstens ein Komma eingeben, z.\xC2\xA0"
                        "B.\xC2\xA0"
                        "10,5.");
              EXPECT_EQ(Text(kLimitPreviewLbl), "");
              EXPECT_FALSE(Enabled(kOKButton));
              Key(GetFocus(), VK_RETURN);
              // A tool that presses OK by message gets no choice either.
              SendMessageW(dialog->hWnd(), WM_COMMAND, MAKEWPARAM(kOKButton, BN_CLICKED),
                           reinterpret_cast<LPARAM>(At(kOKButton)));
            },
            [&] {
              ASSERT_NE(dialog->hWnd(), nullptr) << "OK took a form that can't be read";
              Type(kLimitTxt, L"0");
              EXPECT_EQ(Text(kMessageLbl),
                        "Eigene Grenze: Bitte eine Zahl \xC3\xBC"
                        "ber 0 eingeben, z.\xC2\xA0"
                        "B.\xC2\xA0"
                        "10,5.");
              SetFocus(At(kOwnLimitOpt));
              Key(GetFocus(), VK_UP);
            },
            [&] {
              // Back to the page's limit with the arrow key: nothing left to read.
              EXPECT_TRUE(Checked(kAllDrivesOpt));
              EXPECT_FALSE(Enabled(kLimitTxt));
              EXPECT_EQ(Text(kMessageLbl), "");
              EXPECT_TRUE(Enabled(kOKButton));
              SendMessageW(At(kCancelButton), BM_CLICK, 0, 0);
            }});
  EXPECT_EQ(choice, std::nullopt);
}

}  // namespace
}  // namespace quenora::win32
