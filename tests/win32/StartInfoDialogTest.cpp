#include "ui/StartInfoDialog.h"

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "AccessibleName.h"
#include "SettingsFakes.h"
#include "platform/win32/UiParts.h"
#include "platform/win32/WideText.h"
#include "resource.h"
#include "util/ProgramIdentity.h"

namespace quenora::win32 {
namespace {

using namespace startinfo;

// The steps a user takes while the dialog is up, one per tick of a thread timer, so that
// what a step posts is handled by the dialog's own loop before the next step looks.
std::vector<std::function<void()>> g_steps;
std::size_t g_nextStep = 0;

void CALLBACK NextStep(HWND, UINT, UINT_PTR timer, DWORD) {
  if (g_nextStep < g_steps.size()) {
    g_steps[g_nextStep++]();
  } else {
    KillTimer(nullptr, timer);
  }
}

class StartInfoDialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // The main window as owner: a hidden window whose class carries the program's icon.
    WNDCLASSEXW form{};
    form.cbSize = sizeof form;
    form.lpfnWndProc = DefWindowProcW;
    form.hInstance = GetModuleHandleW(nullptr);
    form.hIcon = LoadIconW(form.hInstance, MAKEINTRESOURCEW(IDI_APP));
    form.lpszClassName = L"StartInfoTestOwner";
    RegisterClassExW(&form);
    owner.reset(CreateWindowExW(0, form.lpszClassName, L"", WS_OVERLAPPEDWINDOW, 0, 0, 200, 200,
                                nullptr, nullptr, form.hInstance, nullptr));
  }

  // Shows the dialog and runs `steps` while it is up; a dialog still open after them is
  // closed, so that a failing case doesn't hang.
  StartInfoAnswer Show(StartInfoDialog& dialog, std::vector<std::function<void()>> steps) {
    steps.push_back([&dialog] { PostMessageW(dialog.hWnd(), WM_CLOSE, 0, 0); });
    g_steps = std::move(steps);
    g_nextStep = 0;
    const UINT_PTR timer = SetTimer(nullptr, 0, 30, NextStep);
    const StartInfoAnswer answer = dialog.ShowModal(kTrayStartHint);
    KillTimer(nullptr, timer);
    EXPECT_EQ(g_nextStep, g_steps.size() - 1) << "the dialog closed before all steps ran";
    return answer;
  }

  static void Key(HWND target, WPARAM key) {
    PostMessageW(target, WM_KEYDOWN, key, 1);
    PostMessageW(target, WM_KEYUP, key, 0xC0000001);
  }
  static void AltKey(HWND target, wchar_t letter) {
    PostMessageW(target, WM_SYSCHAR, letter, 0x20000001);
  }
  static std::string Text(HWND window) {
    wchar_t text[256] = {};
    GetWindowTextW(window, text, 256);
    return Narrow(text);
  }
  static bool Ticked(HWND box) { return SendMessageW(box, BM_GETCHECK, 0, 0) == BST_CHECKED; }

  UniqueWindow owner;
};

TEST_F(StartInfoDialogTest, OpensAsLaidOutAndTheKeyboardReachesEverything) {
  StartInfoDialog dialog(GetModuleHandleW(nullptr), owner.get());
  const StartInfoAnswer answer = Show(
      dialog,
      {[&] {
         HWND window = dialog.hWnd();
         ASSERT_TRUE(IsWindowVisible(window));
         const int dpi = dialog.Dpi();
         auto px = [dpi](int twips) { return TwipsToPixels(twips, dpi); };
         EXPECT_EQ(Text(window), "Quenora");
         EXPECT_EQ(reinterpret_cast<HICON>(SendMessageW(window, WM_GETICON, ICON_BIG, 0)),
                   reinterpret_cast<HICON>(GetClassLongPtrW(owner.get(), GCLP_HICON)));
         // A fixed dialog frame with only the close box, owned, so not in the taskbar; the
         // owner takes no input meanwhile.
         const auto style = GetWindowLongW(window, GWL_STYLE);
         EXPECT_EQ(
             style & (WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX),
             WS_CAPTION | WS_SYSMENU);
         EXPECT_EQ(GetWindow(window, GW_OWNER), owner.get());
         EXPECT_FALSE(IsWindowEnabled(owner.get()));
         RECT client{}, frame{};
         GetClientRect(window, &client);
         GetWindowRect(window, &frame);
         EXPECT_EQ(client.right, px(4155));
         EXPECT_EQ(client.bottom, px(2895));
         EXPECT_LE(std::abs(frame.left + frame.right - GetSystemMetrics(SM_CXSCREEN)), 1);
         EXPECT_LE(std::abs(frame.top + frame.bottom - GetSystemMetrics(SM_CYSCREEN)), 1);

         // The text of each control, and what a screen reader says for it.
         struct Expected {
           int id, left, top, width, height;
           const char* text;
           const char* name;
         };
         for (const Expected& c : {Expected{kImage1, 75, 90, 4020, 1020,
                                            "Infobereich der Taskleiste mit den Laufwerkssymbolen",
                                            "Infobereich der Taskleiste mit den Laufwerkssymbolen"},
                                   Expected{kInfoLbl, 75, 1230, 3990, 765, kTrayStartHint.data(),
                                            kTrayStartHint.data()},
                                   Expected{kNeverShowAgainChk, 75, 1995, 3990, 375,
                                            "Diesen &Hinweis in Zukunft nicht mehr anzeigen",
                                            "Diesen Hinweis in Zukunft nicht mehr anzeigen"},
                                   Expected{kOKButton, 1162, 2430, 1830, 375, "&OK", "OK"}}) {
           SCOPED_TRACE(c.id);
           HWND control = dialog.Control(c.id);
           RECT place{};
           GetWindowRect(control, &place);
           MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&place), 2);
           EXPECT_EQ(place.left, px(c.left));
           EXPECT_EQ(place.top, px(c.top));
           EXPECT_EQ(place.right - place.left, px(c.width));
           EXPECT_EQ(place.bottom - place.top, px(c.height));
           EXPECT_EQ(Text(control), c.text);
           EXPECT_EQ(testing::AccessibleName(control), c.name);
         }
         const auto labelStyle = GetWindowLongW(dialog.Control(kInfoLbl), GWL_STYLE);
         EXPECT_EQ(labelStyle & SS_TYPEMASK, SS_CENTER);
         EXPECT_TRUE(labelStyle & SS_NOPREFIX);
         EXPECT_EQ(GetFocus(), dialog.Control(kOKButton));
         EXPECT_FALSE(Ticked(dialog.Control(kNeverShowAgainChk)));
         // The banner, pixel for pixel in the middle of its control.
         const UniqueBitmap loaded = LoadPngResource(GetModuleHandleW(nullptr), IDB_START_BANNER);
         HBITMAP banner = loaded.get();
         ASSERT_TRUE(banner);
         BITMAP size{};
         GetObjectW(banner, sizeof size, &size);
         EXPECT_EQ(size.bmWidth, 264);
         EXPECT_EQ(size.bmHeight, 64);
         UpdateWindow(window);
         HDC screen = GetDC(window);
         HDC memory = CreateCompatibleDC(screen);
         HGDIOBJ old = SelectObject(memory, banner);
         RECT picture{};
         GetWindowRect(dialog.Control(kImage1), &picture);
         MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&picture), 2);
         const int x0 = (picture.left + picture.right - 264) / 2;
         const int y0 = (picture.top + picture.bottom - 64) / 2;
         for (const POINT at : {POINT{0, 0}, POINT{263, 63}, POINT{100, 40}, POINT{230, 30}}) {
           EXPECT_EQ(GetPixel(screen, x0 + at.x, y0 + at.y), GetPixel(memory, at.x, at.y))
               << at.x << "," << at.y;
         }
         SelectObject(memory, old);
         DeleteDC(memory);
         ReleaseDC(window, screen);
         Key(GetFocus(), VK_TAB);
       },
       [&] {
         // Tab goes from OK to the box; Alt+H ticks it; Enter on the box presses OK.
         EXPECT_EQ(GetFocus(), dialog.Control(kNeverShowAgainChk));
         AltKey(GetFocus(), L'h');
       },
       [&] {
         EXPECT_TRUE(Ticked(dialog.Control(kNeverShowAgainChk)));
         Key(GetFocus(), VK_RETURN);
       }});
  EXPECT_TRUE(answer.okPressed);
  EXPECT_TRUE(answer.neverShowAgain);
  EXPECT_EQ(dialog.hWnd(), nullptr);
  EXPECT_TRUE(IsWindowEnabled(owner.get()));
}

TEST_F(StartInfoDialogTest, CloseBoxAndEscapeIgnoreTheTickAndOkWithoutItKeepsNothing) {
  StartInfoDialog dialog(GetModuleHandleW(nullptr), owner.get());
  auto tick = [&] { SendMessageW(dialog.Control(kNeverShowAgainChk), BM_CLICK, 0, 0); };
  StartInfoAnswer answer =
      Show(dialog, {tick, [&] { PostMessageW(dialog.hWnd(), WM_CLOSE, 0, 0); }});
  EXPECT_FALSE(answer.okPressed);
  // The dialog opens unticked again, whatever the last one was left with.
  answer = Show(dialog, {[&] {
                  EXPECT_FALSE(Ticked(dialog.Control(kNeverShowAgainChk)));
                  tick();
                  Key(GetFocus(), VK_ESCAPE);
                }});
  EXPECT_FALSE(answer.okPressed);
  // Alt+O presses OK, with the box as the user left it.
  answer = Show(dialog, {[&] { AltKey(GetFocus(), L'o'); }});
  EXPECT_TRUE(answer.okPressed);
  EXPECT_FALSE(answer.neverShowAgain);
  EXPECT_TRUE(IsWindowEnabled(owner.get()));
}

TEST_F(StartInfoDialogTest, TickAndOkKeepTheHintAwayFromThisVersion) {
  testing::FakeRegistry registry;
  SettingsStore store(registry);
  int shown = 0;
  g_steps = {[&] {
    ++shown;
    HWND window = GetActiveWindow();
    SendMessageW(GetDlgItem(window, kNeverShowAgainChk), BM_CLICK, 0, 0);
    SendMessageW(GetDlgItem(window, kOKButton), BM_CLICK, 0, 0);
  }};
  for (int start = 0; start < 2; ++start) {
    g_nextStep = 0;
    const UINT_PTR timer = SetTimer(nullptr, 0, 30, NextStep);
    ShowStartInfo(GetModuleHandleW(nullptr), owner.get(), store, kTrayStartHint, "");
    KillTimer(nullptr, timer);
  }
  EXPECT_EQ(shown, 1);
  EXPECT_EQ(registry.Get("_SID"), VersionText(VersionBare));
}

BOOL CALLBACK FindShownDialog(HWND window, LPARAM found) {
  wchar_t name[32] = {};
  GetClassNameW(window, name, 32);
  if (IsWindowVisible(window) && GetDlgItem(window, kOKButton) &&
      std::wstring_view(name) == L"QuenoraDialog") {
    *reinterpret_cast<HWND*>(found) = window;
    return FALSE;
  }
  return TRUE;
}

TEST_F(StartInfoDialogTest, OkSentFromAnotherThreadEndsTheShowAtOnce) {
  // Automation and accessibility tools press a button with a message sent from their own
  // thread. No timer runs here and nothing else is posted: only the unload can end the wait.
  testing::FakeRegistry registry;
  SettingsStore store(registry);
  const DWORD uiThread = GetCurrentThreadId();
  std::atomic<bool> returned{false};
  bool found = false, late = false;
  std::thread tool([&] {
    HWND dialog = nullptr;
    for (int i = 0; i < 500 && !dialog; ++i) {
      EnumThreadWindows(uiThread, FindShownDialog, reinterpret_cast<LPARAM>(&dialog));
      if (!dialog) Sleep(10);
    }
    found = dialog != nullptr;
    if (found) {
      SendMessageW(GetDlgItem(dialog, kNeverShowAgainChk), BM_CLICK, 0, 0);
      SendMessageW(GetDlgItem(dialog, kOKButton), BM_CLICK, 0, 0);
      for (int i = 0; i < 100 && !returned; ++i) Sleep(10);
      late = !returned;
    }
    // Whatever went wrong, the case ends: a late show is woken, a dialog never found ended.
    PostThreadMessageW(uiThread, found ? WM_NULL : WM_QUIT, 0, 0);
  });
  ShowStartInfo(GetModuleHandleW(nullptr), owner.get(), store, kTrayStartHint, "");
  returned = true;
  tool.join();
  ASSERT_TRUE(found);
  EXPECT_FALSE(late) << "the dialog was closed, but the show went on waiting for a message";
  EXPECT_EQ(registry.Get("_SID"), VersionText(VersionBare));
  MSG leftOver;
  while (PeekMessageW(&leftOver, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&leftOver);
}

}  // namespace
}  // namespace quenora::win32
