#include "ui/Form1.h"

#include <gtest/gtest.h>

#include <commctrl.h>
#include <dbt.h>
#include <shellapi.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <functional>
#include <map>
#include <memory>
#include <tuple>

#include "AccessibleName.h"
#include "FakeFolderTree.h"
#include "Fakes.h"
#include "IconWidth.h"
#include "ProcessCounters.h"
#include "platform/win32/UiParts.h"
#include "platform/win32/WideText.h"
#include "platform/win32/Win32DiskSpace.h"
#include "platform/win32/Win32Files.h"
#include "platform/win32/Win32LogicalDrives.h"
#include "platform/win32/Win32Registry.h"
#include "platform/win32/Win32RegistryCalls.h"
#include "platform/win32/Win32System.h"
#include "platform/win32/WindowGeometry.h"
#include "settings/MonitorSettings.h"
#include "ui/DriveLimitDialog.h"
#include "util/Numbers.h"
#include "util/ProgramIdentity.h"

namespace quenora::win32 {
namespace {

using namespace form1;

// The real system, but boxes and the end of the process are only recorded; boxes are shown
// too when a case asks for them.
class CountingSystem : public Win32System {
 public:
  void Beep() override { ++beeps; }
  void ShowMessage(std::string_view text, std::string_view title) override {
    messages.push_back(std::string(title) + ": " + std::string(text));
    if (realBoxes) Win32System::ShowMessage(text, title);
  }
  void EndProcessNow() override { ++processEnds; }
  int TrayIconSize() override { return traySize ? traySize : Win32System::TrayIconSize(); }
  int beeps = 0, processEnds = 0;
  int traySize = 0;  // 0: the notification area's own
  std::vector<std::string> messages;
  bool realBoxes = false;
};

// The options window on the real registry and the real controls, each case with an empty
// store of its own settings.
// The real disk service, counting the free-space questions of each drive.
class CountingDisks : public Win32DiskSpace {
 public:
  DiskFreeSpaceExAnswer CallDiskFreeSpaceEx(std::string_view directory) override {
    ++asked[std::string(directory)];
    return Win32DiskSpace::CallDiskFreeSpaceEx(directory);
  }
  std::map<std::string, int> asked;
};

// Handles the thread's messages for `span`.
void PumpFor(std::chrono::milliseconds span) {
  const auto end = std::chrono::steady_clock::now() + span;
  MSG message;
  while (std::chrono::steady_clock::now() < end) {
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
    Sleep(10);
  }
}

// What the system sends the windows when a volume arrives or leaves; `size` is what the record
// says of its length.
void SendVolumeChange(HWND window, WPARAM event, DWORD unitMask,
                      DWORD deviceType = DBT_DEVTYP_VOLUME,
                      DWORD size = sizeof(DEV_BROADCAST_VOLUME)) {
  DEV_BROADCAST_VOLUME volume{};
  volume.dbcv_size = size;
  volume.dbcv_devicetype = deviceType;
  volume.dbcv_unitmask = unitMask;
  SendMessageW(window, WM_DEVICECHANGE, event, reinterpret_cast<LPARAM>(&volume));
}

class Form1Test : public ::testing::Test {
 protected:
  void SetUp() override {
    Clean();
    // The start hint is a modal dialog of its own (tested there); here it stays away.
    Store("_SID", VersionText(VersionBare));
  }
  void TearDown() override {
    form.reset();
    Clean();
  }
  static void Clean() {
    RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Tarnwick Software\\Quenora");
    RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Policies\\Tarnwick Software");
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, L"Software\\Policies\\Tarnwick Software");
    RegDeleteKeyValueW(HKEY_CURRENT_USER, kRunKey, L"Quenora");
  }
  static std::wstring RunValue() {
    wchar_t data[1024] = {};
    DWORD size = sizeof data;
    if (RegGetValueW(HKEY_CURRENT_USER, kRunKey, L"Quenora", RRF_RT_REG_SZ, nullptr, data, &size) !=
        ERROR_SUCCESS) {
      return L"<none>";
    }
    return data;
  }
  static constexpr wchar_t kRunKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";

  void Store(std::string_view key, std::string_view value) {
    ASSERT_TRUE(registry.WriteUserText(kSettingsKey, key, value));
  }
  std::string Stored(std::string_view key) {
    return registry.ReadUserText(kSettingsKey, key).value_or("<none>");
  }

  Form1& Load() {
    form.reset();  // an old window saves its position as it goes
    form = std::make_unique<Form1>(Form1Services{diskService, shell, system, registry, starter,
                                                 registryCalls, files, logicalDrives, folders});
    EXPECT_TRUE(form->Load(GetModuleHandleW(nullptr)));
    return *form;
  }

  // The icons added since the last call: identifier and the drive each one shows.
  std::vector<std::pair<std::uint32_t, std::string>> Added() {
    std::vector<std::pair<std::uint32_t, std::string>> added;
    for (const auto& request : shell.requests) {
      if (request.message != kNimAdd) continue;
      const int number = form->Cycle().Drives().DriveNumbers[request.record.uID - 1];
      added.push_back({request.record.uID, DriveName(number)});
    }
    shell.requests.clear();
    return added;
  }

  std::string Text(int id) {
    wchar_t text[128] = {};
    GetWindowTextW(form->Control(id), text, 128);
    return Narrow(text);
  }

  void Click(int button) {
    SendMessageW(form->hWnd(), WM_COMMAND, MAKEWPARAM(kBtn + button, BN_CLICKED),
                 reinterpret_cast<LPARAM>(form->Control(kBtn + button)));
  }

  // Sets the check mark of the drive list's entry `index` in the list itself.
  void CheckDrive(int index, bool checked) {
    LVITEMW item{};
    item.stateMask = LVIS_STATEIMAGEMASK;
    item.state = INDEXTOSTATEIMAGEMASK(checked ? 2 : 1);
    SendMessageW(form->Control(kLV), LVM_SETITEMSTATE, static_cast<WPARAM>(index),
                 reinterpret_cast<LPARAM>(&item));
  }
  // The entry of the drive list that begins with `prefix` ("Z:"), or -1.
  int EntryOf(std::string_view prefix) {
    const std::vector<quenora::DriveEntry>& drives = form->Options().drives;
    for (std::size_t i = 0; i < drives.size(); ++i) {
      if (drives[i].text.rfind(prefix, 0) == 0) return static_cast<int>(i);
    }
    return -1;
  }

  // The state beside the drive list's entry that begins with `prefix`.
  std::string StateOf(std::string_view prefix) {
    wchar_t text[128] = {};
    LVITEMW item{};
    item.iSubItem = 1;
    item.pszText = text;
    item.cchTextMax = 128;
    SendMessageW(form->Control(kLV), LVM_GETITEMTEXTW, static_cast<WPARAM>(EntryOf(prefix)),
                 reinterpret_cast<LPARAM>(&item));
    return Narrow(text);
  }

  // A key as the main loop hands it on: the window's keyboard handling first, then the control
  // with the focus; `held` are held down meanwhile.
  void Key(UINT message, WPARAM key, std::initializer_list<int> held = {}) {
    BYTE keys[256] = {};
    for (const int down : held) keys[down] = 0x80;
    SetKeyboardState(keys);
    MSG sent{GetFocus(), message, key, message == WM_SYSCHAR ? 0x20000001 : 1, 0, {}};
    if (!form->PreTranslateMessage(sent)) DispatchMessageW(&sent);
    for (const int down : held) keys[down] = 0;
    SetKeyboardState(keys);
  }

  void SelectTab(int page) {
    SendMessageW(form->Control(kTabStrip1), TCM_SETCURSEL, static_cast<WPARAM>(page - 1), 0);
    NMHDR header{form->Control(kTabStrip1), static_cast<UINT_PTR>(kTabStrip1),
                 static_cast<UINT>(TCN_SELCHANGE)};
    SendMessageW(form->hWnd(), WM_NOTIFY, kTabStrip1, reinterpret_cast<LPARAM>(&header));
  }

  const std::shared_ptr<CountingDisks> diskService = std::make_shared<CountingDisks>();

  CountingDisks& disks = *diskService;
  testing::FakeNotifyArea shell;
  CountingSystem system;
  Win32Registry registry;
  testing::FakeShell starter;
  Win32RegistryCalls registryCalls;
  Win32Files files;
  Win32LogicalDrives logicalDrives;
  // The drives' folders as the scans see them: a script, not the machine's own root.
  const std::shared_ptr<testing::FakeFolderTree> folders =
      std::make_shared<testing::FakeFolderTree>();
  std::unique_ptr<Form1> form;
};

TEST_F(Form1Test, EmptyStoreGivesTheDefaultsAndShowsTheWindowOnce) {
  Form1& f = Load();
  EXPECT_TRUE(IsWindowVisible(f.hWnd()));  // the first start shows the options
  wchar_t caption[32] = {};
  GetWindowTextW(f.hWnd(), caption, 32);
  EXPECT_STREQ(caption, L"Quenora");
  EXPECT_EQ(f.Options().timerInterval, 10);
  EXPECT_EQ(f.TimerInterval(), 10000u);
  EXPECT_TRUE(f.TimerEnabled());
  EXPECT_EQ(Text(kLabel1 + 2), "10 Sekunden");
  EXPECT_EQ(f.Options().memLimit, 10);
  EXPECT_EQ(Text(kLabel1 + 3), "10 Mbyte");
  EXPECT_EQ(f.Cycle().MemoryLimit, 10);
  EXPECT_NE(f.Cycle().AlarmSoundEnabled, 0);
  EXPECT_TRUE(f.Options().alarmSound);

  // C: as icon 1, added with the question mark and no tooltip, then the first cycle.
  ASSERT_GE(shell.requests.size(), 2u);
  EXPECT_EQ(shell.requests[0].message, kNimAdd);
  EXPECT_EQ(shell.requests[0].record.hIcon, f.Images().IcoImage().Picture(kIconUnreadable));
  EXPECT_EQ(shell.requests[0].Tip(), "");
  EXPECT_EQ(shell.requests[1].message, kNimModify);
  EXPECT_EQ(shell.requests[1].Tip().rfind("Rest auf C: ", 0), 0u);
  EXPECT_EQ(Added(), (std::vector<std::pair<std::uint32_t, std::string>>{{1, "C:"}}));
  for (const quenora::DriveEntry& entry : f.Options().drives) {
    EXPECT_EQ(entry.checked, entry.text.rfind("C:", 0) == 0) << entry.text;
  }
  // The state the start measured stands beside C: as the window shows, before any tick.
  EXPECT_TRUE(StateOf("C:").ends_with('%')) << StateOf("C:");
  EXPECT_EQ(Stored("OSFat32Support"), "True");

  // The options applied once, the next start stays in the tray.
  Click(0);
  EXPECT_FALSE(IsWindowVisible(f.hWnd()));
  EXPECT_EQ(Stored(kDoneBeforeKey), "1");
  Load();
  EXPECT_FALSE(IsWindowVisible(form->hWnd()));
}

TEST_F(Form1Test, StoredOrderNumbersTheIconsAndTheNextSaveWritesLetterOrder) {
  Store(kDriveListKey, "zc");
  Form1& f = Load();
  EXPECT_EQ(Added(), (std::vector<std::pair<std::uint32_t, std::string>>{{1, "Z:"}, {2, "C:"}}));
  int checked = 0;
  for (const quenora::DriveEntry& entry : f.Options().drives) checked += entry.checked;
  EXPECT_EQ(checked, 2);
  Click(0);
  EXPECT_EQ(Stored(kDriveListKey), "CZ");
  EXPECT_EQ(Stored(kDoneBeforeKey), "1");
  // The apply re-created the icons in letter order.
  EXPECT_EQ(Added(), (std::vector<std::pair<std::uint32_t, std::string>>{{1, "C:"}, {2, "Z:"}}));
}

TEST_F(Form1Test, RepeatedAndAbsentLettersAreDroppedAtTheNextSave) {
  Store(kDriveListKey, "CCQ");  // Q: isn't a drive of this prefix
  Form1& f = Load();
  EXPECT_EQ(Added(), (std::vector<std::pair<std::uint32_t, std::string>>{{1, "C:"}, {2, "C:"}}));
  Click(0);
  EXPECT_EQ(Stored(kDriveListKey), "C");
  EXPECT_EQ(f.Cycle().Drives().DriveCount, 1);
}

TEST_F(Form1Test, NothingCheckedMonitorsCAgainAfterTheApply) {
  Form1& f = Load();
  for (std::size_t i = 0; i < f.Options().drives.size(); ++i)
    CheckDrive(static_cast<int>(i), false);
  shell.requests.clear();
  Click(0);
  EXPECT_EQ(Stored(kDriveListKey), "");
  EXPECT_EQ(Added(), (std::vector<std::pair<std::uint32_t, std::string>>{{1, "C:"}}));
  // The list shows what the reload made of it: C: checked again.
  const int c = EntryOf("C:");
  ASSERT_GE(c, 0);
  EXPECT_TRUE(f.Options().drives[static_cast<std::size_t>(c)].checked);
}

TEST_F(Form1Test, FractionalLimitBecomesTheSlidersWholeNumberAtTheNextApply) {
  Store(kMemoryLimitKey, "10.4");
  Store(kTimerIntervalKey, "abc");
  Store(kAlarmSoundEnabledKey, "0");
  Form1& f = Load();
  EXPECT_EQ(f.Cycle().MemoryLimit, 10.4);
  EXPECT_EQ(f.Options().memLimit, 10);
  EXPECT_EQ(f.Options().timerInterval, 10);
  EXPECT_FALSE(f.Options().alarmSound);
  Click(0);
  EXPECT_EQ(Stored(kMemoryLimitKey), "10");
  EXPECT_EQ(Stored(kTimerIntervalKey), "10");
  EXPECT_EQ(Stored(kAlarmSoundEnabledKey), "0");
  EXPECT_EQ(f.Cycle().MemoryLimit, 10);
}

TEST_F(Form1Test, SlidersKeepToTheirRanges) {
  Store(kTimerIntervalKey, "999");
  Store(kMemoryLimitKey, "-5");
  Form1& f = Load();
  EXPECT_EQ(f.Options().timerInterval, 60);
  EXPECT_EQ(f.Options().memLimit, 1);
  HWND slider = f.Control(kTimerIntervalSlider);
  EXPECT_EQ(SendMessageW(slider, TBM_GETRANGEMIN, 0, 0), 1);
  EXPECT_EQ(SendMessageW(slider, TBM_GETRANGEMAX, 0, 0), 60);
  EXPECT_EQ(SendMessageW(f.Control(kMemLimitSlider), TBM_GETRANGEMAX, 0, 0), 1000);
  SendMessageW(slider, TBM_SETPOS, TRUE, 0);
  EXPECT_EQ(f.Options().timerInterval, 1);
}

// What the user reads in the window, its tabs and the tray menu, and how the sliders move,
// each written out as the window is meant to show it.
struct ShownText {
  int id;
  const char* text;
};
constexpr ShownText kShownTexts[] = {
    {kBtn + 0, "&OK"},
    {kBtn + 1, "&Abbrechen"},
    {kBtn + 2, "&Hilfe"},
    {kBtn + 3, "&Info"},
    {kBtn + 4, "&Beenden"},
    {kLabel1 + 1, "Welche Laufwerke sollen überwacht werden?"},
    {kLabel1 + 4, "In welchen Zeitabständen sollen die Datenträger überprüft werden?"},
    {kLabel1 + 0, "Ab wieviel MByte Rest-Speicher soll ein Alarm ausgelöst werden?"},
    {kLabel1 + 5, "Soll das Tool gleich zusammen mit Windows gestartet werden?"},
    {kLabel1 + 2, "10 Sekunden"},  // the default values, as the labels show them
    {kLabel1 + 3, "10 Mbyte"},
    {kCheck1, "&Mit akustischer Warnung"},
    {kNotifyChk, "Mit Be&nachrichtigung"},
    {kAutoStartChk, "&Ja, automatisch starten lassen."},
    {kFrame1 + 1, ""},
    {kFrame1 + 2, ""},
    {kFrame1 + 3, ""},
    {kFrame1 + 4, ""},
};
struct TabText {
  const char* caption;
  const char* tooltip;
};
constexpr TabText kTabTexts[] = {
    {"Laufwerke", "Welche Laufwerke sollen überwacht werden?"},
    {"Testintervall", "In welchen Zeitabständen soll geprüft werden?"},
    {"Alarm", "Ab wieviel Restspeicher soll es Alarm geben?"},
    {"Autostart", "Soll das Tool beim Systemstart autom. starten?"},
};
constexpr const char* kLogoTooltip =
    "Klicken Sie hier, um noch mehr interessante Tarnwick-Programme kennenzulernen ...";
// By index, as the menu's choices are dispatched; "-" is a separator.
constexpr const char* kMenuItems[] = {"Laufwerk &öffnen", "-", "&Optionen", "&Hilfe", "-",
                                      "&Beenden",         "-", "&Abbrechen"};
constexpr int kMenuDefault = 8;
struct SliderRange {
  int id, minimum, maximum, tickEvery, pageStep, lineStep;
};
constexpr SliderRange kSliderRanges[] = {
    {kTimerIntervalSlider, 1, 60, 3, 10, 1},
    {kMemLimitSlider, 1, 1000, 50, 10, 1},
};

// The items of the tray menu while it is up, read from its window, as "index text" lines.
std::vector<std::string> g_menuSeen;
int g_menuLooks = 0;

BOOL CALLBACK FindMenuWindow(HWND window, LPARAM found) {
  wchar_t name[16] = {};
  GetClassNameW(window, name, 16);
  if (!IsWindowVisible(window) || std::wstring_view(name) != L"#32768") return TRUE;
  *reinterpret_cast<HWND*>(found) = window;
  return FALSE;
}

void CALLBACK ReadTheMenu(HWND, UINT, UINT_PTR, DWORD) {
  if (!g_menuSeen.empty()) return;
  HWND window = nullptr;
  EnumThreadWindows(GetCurrentThreadId(), FindMenuWindow, reinterpret_cast<LPARAM>(&window));
  if (!window) {
    if (++g_menuLooks > 100) EndMenu();  // never seen: the case goes on and fails
    return;
  }
  HMENU menu = reinterpret_cast<HMENU>(SendMessageW(window, MN_GETHMENU, 0, 0));
  const UINT defaultItem = GetMenuDefaultItem(menu, TRUE, 0);
  for (int i = 0; i < GetMenuItemCount(menu); ++i) {
    wchar_t text[64] = {};
    MENUITEMINFOW item{};
    item.cbSize = sizeof item;
    item.fMask = MIIM_FTYPE | MIIM_ID | MIIM_STRING;
    item.dwTypeData = text;
    item.cch = 64;
    GetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &item);
    std::string line = std::to_string(item.wID) + " ";
    line += (item.fType & MFT_SEPARATOR) ? "-" : Narrow(text);
    if (static_cast<UINT>(i) == defaultItem) line += " (default)";
    g_menuSeen.push_back(line);
  }
  EndMenu();
}

// A user's steps while a menu or a dialog holds the thread in its own loop: one step per tick
// of a thread timer, each repeated until it returns true; after 200 ticks the menu and the
// dialog are closed, so that a failing case doesn't hang.
std::vector<std::function<bool()>> g_steps;
std::size_t g_stepsDone = 0;
int g_ticks = 0;

void CALLBACK NextStep(HWND, UINT, UINT_PTR, DWORD) {
  if (g_stepsDone < g_steps.size() && g_steps[g_stepsDone]()) ++g_stepsDone;
  if (++g_ticks == 200) {
    EndMenu();
    PostMessageW(FindWindowW(L"QuenoraDialog", nullptr), WM_CLOSE, 0, 0);
  }
}

void RunWithSteps(const std::function<void()>& action, std::vector<std::function<bool()>> steps) {
  g_steps = std::move(steps);
  g_stepsDone = 0;
  g_ticks = 0;
  const UINT_PTR timer = SetTimer(nullptr, 0, 30, NextStep);
  action();
  KillTimer(nullptr, timer);
  EXPECT_EQ(g_stepsDone, g_steps.size()) << "the user's steps didn't all come";
}

// The text a tooltip shows for a tool: the control itself, or a part of it by number.
std::string TooltipText(HWND tooltip, HWND owner, UINT_PTR tool) {
  wchar_t text[1024] = {};
  TTTOOLINFOW info{};
  info.cbSize = sizeof info;
  info.hwnd = owner;
  info.uId = tool;
  info.lpszText = text;
  SendMessageW(tooltip, TTM_GETTEXTW, 1024, reinterpret_cast<LPARAM>(&info));
  return Narrow(text);
}

// What the tab strip's tooltip shows over tab `tab`: it asks the window, as Windows' tab
// control does for each tab (wine's registers no tools, so the question is put here).
std::string TabTooltipText(HWND form, HWND tooltip, std::size_t tab) {
  NMTTDISPINFOW ask{};
  ask.hdr = {tooltip, tab, static_cast<UINT>(TTN_GETDISPINFOW)};
  SendMessageW(form, WM_NOTIFY, tab, reinterpret_cast<LPARAM>(&ask));
  return Narrow(ask.lpszText && ask.lpszText != LPSTR_TEXTCALLBACKW ? ask.lpszText : ask.szText);
}

// The texts that the program's tooltips show for one control of the window.
struct ToolAsked {
  HWND owner;
  HWND control;
  std::vector<std::string> texts;
};

BOOL CALLBACK AskTooltip(HWND window, LPARAM asked) {
  wchar_t name[32] = {};
  GetClassNameW(window, name, 32);
  if (std::wstring_view(name) != TOOLTIPS_CLASSW) return TRUE;
  auto& tool = *reinterpret_cast<ToolAsked*>(asked);
  const std::string text =
      TooltipText(window, tool.owner, reinterpret_cast<UINT_PTR>(tool.control));
  if (!text.empty()) tool.texts.push_back(text);
  return TRUE;
}

TEST_F(Form1Test, TextsTabsMenuAndSlidersAreAsTheUserMeetsThem) {
  Form1& f = Load();
  for (const ShownText& shown : kShownTexts) EXPECT_EQ(Text(shown.id), shown.text) << shown.id;

  HWND tabStrip = f.Control(kTabStrip1);
  ASSERT_EQ(SendMessageW(tabStrip, TCM_GETITEMCOUNT, 0, 0), std::size(kTabTexts));
  HWND tabTips = reinterpret_cast<HWND>(SendMessageW(tabStrip, TCM_GETTOOLTIPS, 0, 0));
  for (std::size_t i = 0; i < std::size(kTabTexts); ++i) {
    wchar_t caption[64] = {};
    TCITEMW item{};
    item.mask = TCIF_TEXT;
    item.pszText = caption;
    item.cchTextMax = 64;
    SendMessageW(tabStrip, TCM_GETITEMW, i, reinterpret_cast<LPARAM>(&item));
    EXPECT_EQ(Narrow(caption), kTabTexts[i].caption) << "tab " << i + 1;
    EXPECT_EQ(TabTooltipText(f.hWnd(), tabTips, i), kTabTexts[i].tooltip) << "tab " << i + 1;
  }
  // The logo takes clicks: the hand shows over it.
  EXPECT_EQ(SendMessageW(f.hWnd(), WM_SETCURSOR, reinterpret_cast<WPARAM>(f.Control(kImage1)),
                         MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)),
            TRUE);
  ToolAsked logo{f.hWnd(), f.Control(kImage1), {}};
  EnumThreadWindows(GetCurrentThreadId(), AskTooltip, reinterpret_cast<LPARAM>(&logo));
  EXPECT_EQ(logo.texts, std::vector<std::string>{kLogoTooltip});

  // The menu as a right click on a tray icon pops it up; the timer reads it and closes it.
  std::vector<std::string> menu;
  for (std::size_t i = 0; i < std::size(kMenuItems); ++i) {
    const int index = static_cast<int>(i) + 1;
    menu.push_back(std::to_string(index) + " " + kMenuItems[i] +
                   (index == kMenuDefault ? " (default)" : ""));
  }
  g_menuSeen.clear();
  g_menuLooks = 0;
  const UINT_PTR timer = SetTimer(nullptr, 0, 50, ReadTheMenu);
  SendMessageW(f.hWnd(), WM_USER, 1, WM_RBUTTONDOWN);
  KillTimer(nullptr, timer);
  EXPECT_EQ(g_menuSeen, menu);

  for (const SliderRange& range : kSliderRanges) {
    SCOPED_TRACE(range.id);
    HWND slider = f.Control(range.id);
    // Horizontal, the ticks below it.
    EXPECT_EQ(GetWindowLongW(slider, GWL_STYLE) & (TBS_VERT | TBS_TOP | TBS_BOTH | TBS_NOTICKS), 0);
    EXPECT_EQ(SendMessageW(slider, TBM_GETRANGEMIN, 0, 0), range.minimum);
    EXPECT_EQ(SendMessageW(slider, TBM_GETRANGEMAX, 0, 0), range.maximum);
    EXPECT_EQ(SendMessageW(slider, TBM_GETPAGESIZE, 0, 0), range.pageStep);
    EXPECT_EQ(SendMessageW(slider, TBM_GETLINESIZE, 0, 0), range.lineStep);
    // The ticks between the ends, one every tickEvery from the minimum on.
    std::vector<int> ticks, expected;
    const auto* positions =
        reinterpret_cast<const DWORD*>(SendMessageW(slider, TBM_GETPTICS, 0, 0));
    const auto inner = SendMessageW(slider, TBM_GETNUMTICS, 0, 0) - 2;
    for (LRESULT i = 0; positions && i < inner; ++i) {
      ticks.push_back(static_cast<int>(positions[i]));
    }
    for (int at = range.minimum + range.tickEvery; at <= range.maximum; at += range.tickEvery) {
      expected.push_back(at);
    }
    EXPECT_EQ(ticks, expected);
  }
}

TEST_F(Form1Test, OnlyTheSelectedPageIsShownAndItStaysWhileHidden) {
  Form1& f = Load();
  EXPECT_EQ(f.Pages().VisibleLayer(), 1);
  // All four pages share one place.
  RECT first{}, other{};
  GetWindowRect(GetDlgItem(f.hWnd(), kLayerIdBase + 1), &first);
  for (int page = 2; page <= kPageCount; ++page) {
    GetWindowRect(GetDlgItem(f.hWnd(), kLayerIdBase + page), &other);
    EXPECT_TRUE(EqualRect(&first, &other)) << "page " << page;
  }

  SelectTab(3);
  EXPECT_EQ(f.Pages().VisibleLayer(), 3);
  EXPECT_TRUE(IsWindowVisible(f.Control(kMemLimitSlider)));
  EXPECT_TRUE(IsWindowVisible(f.Control(kLabel1 + 3)));
  EXPECT_TRUE(IsWindowVisible(f.Control(kCheck1)));
  EXPECT_FALSE(IsWindowVisible(f.Control(kLV)));
  EXPECT_FALSE(IsWindowVisible(f.Control(kTimerIntervalSlider)));

  SelectTab(4);
  SendMessageW(f.hWnd(), WM_SYSCOMMAND, SC_CLOSE, 0);  // the close box only hides
  EXPECT_FALSE(IsWindowVisible(f.hWnd()));
  EXPECT_TRUE(IsWindow(f.hWnd()));
  ShowWindow(f.hWnd(), SW_SHOW);
  EXPECT_EQ(f.Pages().VisibleLayer(), 4);
  EXPECT_EQ(SendMessageW(f.Control(kTabStrip1), TCM_GETCURSEL, 0, 0), 3);
}

TEST_F(Form1Test, SliderLabelsFollowAtOnceButTheCycleWaitsForTheApply) {
  Form1& f = Load();
  SendMessageW(f.Control(kTimerIntervalSlider), TBM_SETPOS, TRUE, 30);
  SendMessageW(GetDlgItem(f.hWnd(), kLayerIdBase + 2), WM_HSCROLL, TB_THUMBTRACK,
               reinterpret_cast<LPARAM>(f.Control(kTimerIntervalSlider)));
  EXPECT_EQ(Text(kLabel1 + 2), "30 Sekunden");
  EXPECT_EQ(f.TimerInterval(), 10000u);
  Click(0);
  EXPECT_EQ(f.TimerInterval(), 30000u);
  EXPECT_EQ(Stored(kTimerIntervalKey), "30");
}

TEST_F(Form1Test, AMonitoredVolumeThatComesOrGoesIsCheckedAtOnceABurstOnce) {
  Form1& f = Load();  // C: monitored, the timer at ten seconds
  PumpFor(std::chrono::milliseconds(300));
  Added();
  const int before = disks.asked["C:"];
  constexpr DWORD kC = 1u << 2;
  for (int i = 0; i < 4; ++i) SendVolumeChange(f.hWnd(), DBT_DEVICEARRIVAL, kC);
  PumpFor(std::chrono::milliseconds(1500));
  EXPECT_EQ(disks.asked["C:"], before + 1);
  SendVolumeChange(f.hWnd(), DBT_DEVICEREMOVECOMPLETE, kC);
  PumpFor(std::chrono::milliseconds(1500));
  EXPECT_EQ(disks.asked["C:"], before + 2);

  // Other device messages, other devices and drives nobody watches change nothing.
  SendMessageW(f.hWnd(), WM_DEVICECHANGE, DBT_DEVNODES_CHANGED, 0);
  SendVolumeChange(f.hWnd(), DBT_DEVICEARRIVAL, kC, DBT_DEVTYP_PORT);
  // A bare header from another process: C:'s bit lies beyond its end.
  SendVolumeChange(f.hWnd(), DBT_DEVICEARRIVAL, kC, DBT_DEVTYP_VOLUME, sizeof(DEV_BROADCAST_HDR));
  SendVolumeChange(f.hWnd(), DBT_DEVICEQUERYREMOVE, kC);
  SendVolumeChange(f.hWnd(), DBT_DEVICEARRIVAL, 1u << 24);  // Y:
  PumpFor(std::chrono::milliseconds(1500));
  EXPECT_EQ(disks.asked["C:"], before + 2);
  EXPECT_TRUE(Added().empty());
}

TEST_F(Form1Test, AWantedDriveThatArrivesGetsItsIconAndItsEntryAtOnce) {
  Store(kDriveListKey, "CQ");  // Q: isn't there at the start
  Form1& f = Load();
  ShowWindow(f.hWnd(), SW_SHOW);
  EXPECT_EQ(Added(), (std::vector<std::pair<std::uint32_t, std::string>>{{1, "C:"}}));
  ASSERT_TRUE(DefineDosDeviceW(0, L"Q:", L"C:\\windows"));
  SendVolumeChange(f.hWnd(), DBT_DEVICEARRIVAL, 1u << 16);
  PumpFor(std::chrono::milliseconds(1500));
  EXPECT_EQ(Added(), (std::vector<std::pair<std::uint32_t, std::string>>{{1, "C:"}, {2, "Q:"}}));
  EXPECT_GE(disks.asked["Q:"], 1);
  const OptionsValues& options = f.Options();
  const auto q = std::find_if(options.drives.begin(), options.drives.end(),
                              [](const DriveEntry& entry) { return entry.text[0] == 'Q'; });
  ASSERT_NE(q, options.drives.end());
  EXPECT_TRUE(q->checked);
  // Gone again: checked at once, and its entry leaves the list.
  DefineDosDeviceW(DDD_REMOVE_DEFINITION, L"Q:", nullptr);
  SendVolumeChange(f.hWnd(), DBT_DEVICEREMOVECOMPLETE, 1u << 16);
  PumpFor(std::chrono::milliseconds(1500));
  for (const DriveEntry& entry : f.Options().drives) EXPECT_NE(entry.text[0], 'Q');
}

TEST_F(Form1Test, NewIntervalCountsFromTheApply) {
  Store(kTimerIntervalKey, "1");
  Form1& f = Load();
  // Let the old one-second timer run partway, then apply two seconds.
  const auto pump = [](std::chrono::milliseconds span, int& ticks, HWND window) {
    const auto end = std::chrono::steady_clock::now() + span;
    MSG message;
    while (std::chrono::steady_clock::now() < end) {
      while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_TIMER && message.hwnd == window) ++ticks;
        DispatchMessageW(&message);
      }
      Sleep(10);
    }
  };
  int ticks = 0;
  pump(std::chrono::milliseconds(700), ticks, f.hWnd());
  SendMessageW(f.Control(kTimerIntervalSlider), TBM_SETPOS, TRUE, 2);
  const auto applied = std::chrono::steady_clock::now();
  f.DoOptionsUebernehmen();
  ticks = 0;
  MSG message;
  while (ticks == 0 && std::chrono::steady_clock::now() - applied < std::chrono::seconds(20)) {
    if (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (message.message == WM_TIMER && message.hwnd == f.hWnd()) ++ticks;
      DispatchMessageW(&message);
    } else {
      Sleep(5);
    }
  }
  ASSERT_EQ(ticks, 1);
  // Timers never fire early: a tick before two seconds would be the old schedule.
  EXPECT_GE(std::chrono::steady_clock::now() - applied, std::chrono::milliseconds(1900));
}

TEST_F(Form1Test, PositionIsRestoredOrCentred) {
  const auto place = [&](const char* top, const char* left) {
    form.reset();
    RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Tarnwick Software\\Quenora");
    Store("_SID", VersionText(VersionBare));
    Store(kDoneBeforeKey, "1");
    if (top) Store("_Top", top);
    if (left) Store("_Left", left);
    Form1& f = Load();
    RECT rect{};
    GetWindowRect(f.hWnd(), &rect);
    return rect;
  };
  const int screenWidth = GetSystemMetrics(SM_CXSCREEN);
  const int screenHeight = GetSystemMetrics(SM_CYSCREEN);
  const auto centred = [&](const RECT& rect) {
    const int width = rect.right - rect.left, height = rect.bottom - rect.top;
    return std::abs(rect.left - (screenWidth - width) / 2) <= 1 &&
           std::abs(rect.top - (screenHeight - height) / 2) <= 1;
  };
  RECT rect = place("0", "0");
  EXPECT_EQ(rect.left, 0);
  EXPECT_EQ(rect.top, 0);
  rect = place("1500", "3000");  // twips: 100 and 200 pixels at 96 dpi
  EXPECT_EQ(rect.top, MulDiv(1500, WindowDpi(form->hWnd()), 1440));
  EXPECT_EQ(rect.left, MulDiv(3000, WindowDpi(form->hWnd()), 1440));
  EXPECT_TRUE(centred(place(nullptr, nullptr)));
  EXPECT_TRUE(centred(place("1500", nullptr)));
  EXPECT_TRUE(centred(place("abc", "0")));
  EXPECT_TRUE(centred(place("-15", "0")));
  const std::string screenTall = std::to_string(screenHeight * 1440 / WindowDpi(form->hWnd()));
  EXPECT_TRUE(centred(place(screenTall.c_str(), "0")));

  // Unloading saves where the window stands.
  place("300", "450");
  form.reset();
  EXPECT_EQ(Stored("_Top"), "300");
  EXPECT_EQ(Stored("_Left"), "450");
}

TEST_F(Form1Test, SecondInstanceSaysSoAndTouchesNothing) {
  Load();
  CountingSystem secondSystem;
  testing::FakeNotifyArea secondShell;
  Form1 second({diskService, secondShell, secondSystem, registry, starter, registryCalls, files,
                logicalDrives});
  RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Tarnwick Software\\Quenora");
  EXPECT_FALSE(second.Load(GetModuleHandleW(nullptr)));
  EXPECT_EQ(secondSystem.messages,
            std::vector<std::string>{"Quenora: Quenora wird bereits ausgef\xC3\xBChrt. Klicken Sie "
                                     "auf das Quenora-Icon\rin der Task-Leiste, um zu den die "
                                     "Optionen zu gelangen."});
  EXPECT_EQ(secondSystem.processEnds, 1);
  EXPECT_TRUE(secondShell.requests.empty());
  EXPECT_EQ(Stored("OSFat32Support"), "<none>");
}

TEST_F(Form1Test, DoubleClickOnATrayIconOpensItsDrive) {
  Store(kDriveListKey, "zc");
  Form1& f = Load();
  // Through the window's own procedure, as the shell sends it: icon 2 is drive C:.
  EXPECT_EQ(GetWindowLongPtrW(f.hWnd(), GWLP_WNDPROC), GetClassLongPtrW(f.hWnd(), GCLP_WNDPROC));
  EXPECT_EQ(SendMessageW(f.hWnd(), WM_USER, 2, WM_LBUTTONDBLCLK), 0);
  SendMessageW(f.hWnd(), WM_USER, 1, WM_LBUTTONUP);
  ASSERT_EQ(starter.starts.size(), 1u);
  EXPECT_EQ(starter.starts[0].application, "C:\\Windows\\explorer.exe");
  EXPECT_EQ(starter.starts[0].commandLine, "explorer C:");
  // A click on a notification of icon 1 opens its drive the same way.
  SendMessageW(f.hWnd(), WM_USER, 1, NIN_BALLOONUSERCLICK);
  ASSERT_EQ(starter.starts.size(), 2u);
  EXPECT_EQ(starter.starts[1].commandLine, "explorer Z:");
}

// Enter, the space bar or the menu key on an icon chosen with Win+B and the arrows, as the shell
// reports them for an icon of the classic record: the right button's press and release.
TEST_F(Form1Test, TheKeyboardOpensTheTrayMenuAndChoosesInIt) {
  Form1& f = Load();
  Click(1);  // the window goes to the tray
  auto activate = [&] {
    SendMessageW(f.hWnd(), WM_USER, 1, WM_RBUTTONDOWN);
    SendMessageW(f.hWnd(), WM_USER, 1, WM_RBUTTONUP);
  };
  auto keys = [&](std::vector<WPARAM> pressed) -> std::function<bool()> {
    return [&f, pressed] {
      HWND menu = nullptr;
      EnumThreadWindows(GetCurrentThreadId(), FindMenuWindow, reinterpret_cast<LPARAM>(&menu));
      if (!menu) return false;
      EXPECT_EQ(GetForegroundWindow(), f.hWnd());  // else the menu wouldn't hear the keys
      for (const WPARAM key : pressed) PostMessageW(f.hWnd(), WM_KEYDOWN, key, 1);
      return true;
    };
  };
  RunWithSteps(activate, {keys({VK_ESCAPE})});
  EXPECT_FALSE(IsWindowVisible(f.hWnd()));
  RunWithSteps(activate, {keys({VK_DOWN, VK_DOWN, VK_RETURN})});  // past a separator: Optionen
  EXPECT_TRUE(IsWindowVisible(f.hWnd()));
}

TEST_F(Form1Test, AutostartActsAtOnceAndCancelDoesNotUndoIt) {
  Form1& f = Load();
  EXPECT_EQ(f.AutoStartChk().Value(), 0);
  EXPECT_EQ(f.AutoStartChk().Tag(), "OK");
  SendMessageW(f.Control(kAutoStartChk), BM_CLICK, 0, 0);
  wchar_t exe[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, exe, MAX_PATH);
  // Quoted: a path with blanks must not start another program.
  const std::wstring expected = L"\"" + std::wstring(exe) + L"\" /AUTOSTART";
  EXPECT_EQ(RunValue(), expected);
  Click(1);
  EXPECT_EQ(RunValue(), expected);
  // At the next start the check box shows it.
  Load();
  EXPECT_EQ(form->AutoStartChk().Value(), 1);
  SendMessageW(form->Control(kAutoStartChk), BM_CLICK, 0, 0);
  EXPECT_EQ(RunValue(), L"<none>");
}

// A policy fixes its setting for the icons and locks its control with a line saying so; a
// refresh of Group Policy takes effect at once, and the user's own value comes back with the
// policy's end, never overwritten.
TEST_F(Form1Test, PoliciesFixTheirSettingsAtOnceAndLeaveTheUsersOwn) {
  constexpr wchar_t kPolicies[] = L"Software\\Policies\\Tarnwick Software\\Quenora";
  const auto policy = [&](HKEY root, const wchar_t* name, const wchar_t* value) {
    const auto bytes = static_cast<DWORD>((wcslen(value) + 1) * sizeof(wchar_t));
    ASSERT_EQ(RegSetKeyValueW(root, kPolicies, name, REG_SZ, value, bytes), ERROR_SUCCESS);
  };
  const auto refresh = [&] {
    SendMessageW(form->hWnd(), WM_SETTINGCHANGE, 0, reinterpret_cast<LPARAM>(L"Policy"));
  };
  const auto shown = [&](int id) {
    return (GetWindowLongW(form->Control(id), GWL_STYLE) & WS_VISIBLE) != 0;
  };
  const auto noteShown = [&](int page) { return shown(kPolicyNote + page); };
  Store("MemoryLimit", "20");
  Store("AlarmSoundEnabled", "1");
  policy(HKEY_CURRENT_USER, L"MemoryLimit", L"500");
  Form1& f = Load();
  EXPECT_EQ(f.Cycle().MemoryLimit, 500);
  EXPECT_FALSE(IsWindowEnabled(f.Control(kMemLimitSlider)));
  EXPECT_TRUE(IsWindowEnabled(f.Control(kCheck1)));
  EXPECT_EQ(Text(kPolicyNote + 3), "Vom Administrator festgelegt");
  EXPECT_TRUE(noteShown(3));
  EXPECT_FALSE(noteShown(2));
  EXPECT_TRUE(shown(kDriveMenuHint));  // the drives page's free line tells of the context menu

  // The machine's policy arrives with a refresh, and wins over the user's policy.
  policy(HKEY_LOCAL_MACHINE, L"AlarmSoundEnabled", L"0");
  policy(HKEY_LOCAL_MACHINE, L"MemoryLimit", L"300");
  policy(HKEY_LOCAL_MACHINE, L"DriveWarnings", L"D=10%");
  refresh();
  EXPECT_TRUE(noteShown(1));
  EXPECT_FALSE(shown(kDriveMenuHint));  // the note takes its line
  EXPECT_EQ(f.Cycle().MemoryLimit, 300);
  EXPECT_EQ(f.Cycle().AlarmSoundEnabled, 0);
  EXPECT_FALSE(IsWindowEnabled(f.Control(kCheck1)));
  Click(0);  // OK stores nothing a policy fixes
  EXPECT_EQ(Stored("MemoryLimit"), "20");
  EXPECT_EQ(Stored("AlarmSoundEnabled"), "1");

  RegDeleteTreeW(HKEY_LOCAL_MACHINE, kPolicies);
  RegDeleteTreeW(HKEY_CURRENT_USER, kPolicies);
  refresh();
  EXPECT_EQ(f.Cycle().MemoryLimit, 20);
  EXPECT_EQ(f.Cycle().AlarmSoundEnabled, 1);
  EXPECT_TRUE(IsWindowEnabled(f.Control(kMemLimitSlider)));
  EXPECT_FALSE(noteShown(3));
  EXPECT_TRUE(shown(kDriveMenuHint));
  Click(0);
  EXPECT_EQ(Stored("MemoryLimit"), "20");
}

// Autostart switched off by policy: a start by the user's entry ends before any icon, the
// entry kept; a start by hand runs.
TEST_F(Form1Test, AutostartForcedOffEndsAStartByTheEntryOnly) {
  constexpr wchar_t kPolicies[] = L"Software\\Policies\\Tarnwick Software\\Quenora";
  ASSERT_EQ(RegSetKeyValueW(HKEY_LOCAL_MACHINE, kPolicies, L"AutoStart", REG_SZ, L"0", 4),
            ERROR_SUCCESS);
  Form1Services services{diskService,   shell, system,        registry, starter,
                         registryCalls, files, logicalDrives, folders};
  services.startedWithWindows = true;
  form = std::make_unique<Form1>(services);
  EXPECT_FALSE(form->Load(GetModuleHandleW(nullptr)));
  EXPECT_TRUE(shell.requests.empty());
  Form1& f = Load();
  EXPECT_FALSE(shell.requests.empty());
  EXPECT_FALSE(IsWindowEnabled(f.Control(kAutoStartChk)));
}

TEST_F(Form1Test, CheckedDriveAfterCancelIsStoredWhenQuittingFromTheMenu) {
  Form1& f = Load();
  // Z: checked, the window cancelled, then "&Beenden" from the tray menu.
  CheckDrive(EntryOf("Z:"), true);
  Click(1);
  f.pumxxx_Click(8);  // the menu's "&Abbrechen" changes nothing
  EXPECT_EQ(Stored(kDriveListKey), "<none>");
  EXPECT_TRUE(IsWindow(f.hWnd()));
  shell.requests.clear();
  f.pumxxx_Click(6);
  EXPECT_EQ(Stored(kDriveListKey), "CZ");
  EXPECT_FALSE(IsWindow(f.hWnd()));
}

TEST_F(Form1Test, TheDriveListsMenuGivesADriveItsOwnLevelsWhichOkApplies) {
  Form1& f = Load();
  HWND list = f.Control(kLV);
  const int z = EntryOf("Z:");
  ASSERT_GE(z, 0);
  const std::vector<std::string> menu = {"2 &Was belegt Platz auf Z:?",
                                         "3 &Verlauf von Z: \xE2\x80\xA6",
                                         "1 &Alarmgrenze f\xC3\xBCr Z: \xE2\x80\xA6"};
  // The right button on the entry: the menu, read and closed.
  RECT item{};
  item.left = LVIR_LABEL;
  SendMessageW(list, LVM_GETITEMRECT, static_cast<WPARAM>(z), reinterpret_cast<LPARAM>(&item));
  POINT at{item.left + 2, item.top + 2};
  ClientToScreen(list, &at);
  g_menuSeen.clear();
  g_menuLooks = 0;
  const UINT_PTR timer = SetTimer(nullptr, 0, 50, ReadTheMenu);
  SendMessageW(list, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(list), MAKELPARAM(at.x, at.y));
  KillTimer(nullptr, timer);
  EXPECT_EQ(g_menuSeen, menu);

  // The menu key on the selected entry; its item chosen by keyboard, the dialog filled in.
  LVITEMW select{};
  select.stateMask = select.state = LVIS_SELECTED | LVIS_FOCUSED;
  SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(z), reinterpret_cast<LPARAM>(&select));
  SetFocus(list);
  std::string caption;
  const auto chooseFromMenu = [&] {
    HWND window = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), FindMenuWindow, reinterpret_cast<LPARAM>(&window));
    if (!window) return false;
    for (int i = 0; i < 3; ++i) PostMessageW(window, WM_KEYDOWN, VK_DOWN, 0);
    PostMessageW(window, WM_KEYDOWN, VK_RETURN, 0);
    return true;
  };
  const auto ownLimitOfTenPercent = [&] {
    HWND dialog = FindWindowW(L"QuenoraDialog", nullptr);
    if (!dialog || !IsWindowVisible(dialog)) return false;
    wchar_t text[64] = {};
    GetWindowTextW(dialog, text, 64);
    caption = Narrow(text);
    SendDlgItemMessageW(dialog, drivelimit::kOwnLimitOpt, BM_CLICK, 0, 0);
    SetDlgItemTextW(dialog, drivelimit::kLimitTxt, L"10");
    HWND unit = GetDlgItem(dialog, drivelimit::kLimitUnitCmb);
    SendMessageW(unit, CB_SETCURSEL, 2, 0);
    SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(drivelimit::kLimitUnitCmb, CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(unit));
    SendDlgItemMessageW(dialog, drivelimit::kOKButton, BM_CLICK, 0, 0);
    return true;
  };
  RunWithSteps(
      [&] {
        MSG key{list, WM_KEYDOWN, VK_APPS, 0, 0, {}};
        EXPECT_TRUE(f.PreTranslateMessage(key));
      },
      {chooseFromMenu, ownLimitOfTenPercent});
  EXPECT_EQ(caption, "Alarmgrenze f\xC3\xBCr Laufwerk Z:");
  EXPECT_EQ(f.Options().driveLimits[25], (DriveLevel{10, DriveLevel::Unit::Percent}));
  EXPECT_NE(StateOf("Z:").find("Grenze 10 %"), std::string::npos) << StateOf("Z:");
  // Taken into the options, applied only with them.
  EXPECT_FALSE(f.Cycle().OwnLimits[25]);
  EXPECT_EQ(Stored(kDriveLimitsKey), "<none>");
  Click(0);
  EXPECT_EQ(Stored(kDriveLimitsKey), "Z=10%");
  EXPECT_EQ(Stored(kDriveWarningsKey), "");
  EXPECT_EQ(f.Cycle().OwnLimits[25], (DriveLevel{10, DriveLevel::Unit::Percent}));
}

TEST_F(Form1Test, WhatFillsADriveIsScannedAndShownInItsWindow) {
  Form1& f = Load();
  folders->AddFile("Z:\\Export\\big.bin", 3u << 30);
  folders->AddFile("Z:\\Daten\\small.txt", 1000);
  f.ShowScan('Z');
  HWND list = nullptr;
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (std::chrono::steady_clock::now() < end) {
    PumpFor(std::chrono::milliseconds(50));
    HWND window = FindWindowW(L"QuenoraDialog", L"Was belegt Platz auf Z:?");
    list = window ? GetDlgItem(window, scanwindow::kFolderList) : nullptr;
    if (list && SendMessageW(list, LVM_GETITEMCOUNT, 0, 0) > 0) break;
  }
  ASSERT_NE(list, nullptr);
  ASSERT_GT(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0), 0) << "the scan never reached the window";
  // The drive's total first, then the biggest folder.
  wchar_t text[64] = {};
  LVITEMW item{};
  item.pszText = text;
  item.cchTextMax = 64;
  SendMessageW(list, LVM_GETITEMTEXTW, 0, reinterpret_cast<LPARAM>(&item));
  EXPECT_EQ(Narrow(text), "Z:\\");
  SendMessageW(list, LVM_GETITEMTEXTW, 1, reinterpret_cast<LPARAM>(&item));
  EXPECT_NE(std::wstring(text).find(L"Export"), std::wstring::npos) << Narrow(text);
  EXPECT_EQ(folders->listings.load(), 3);
}

TEST_F(Form1Test, SecondDriveGetsTheSecondIconAndEnterTogglesWithoutPressingOk) {
  Form1& f = Load();
  HWND list = f.Control(kLV);
  const int z = EntryOf("Z:");
  ASSERT_GE(z, 0);
  LVITEMW select{};
  select.stateMask = select.state = LVIS_SELECTED | LVIS_FOCUSED;
  SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(z), reinterpret_cast<LPARAM>(&select));
  SetFocus(list);
  MSG enter{list, WM_KEYDOWN, VK_RETURN, 0, 0, {}};
  EXPECT_TRUE(f.PreTranslateMessage(enter));
  EXPECT_TRUE(f.Options().drives[static_cast<std::size_t>(z)].checked);
  EXPECT_TRUE(IsWindowVisible(f.hWnd()));  // no button was pressed
  EXPECT_EQ(Stored(kDoneBeforeKey), "<none>");
  f.LV_DblClick();
  EXPECT_FALSE(f.Options().drives[static_cast<std::size_t>(z)].checked);
  f.LV_DblClick();

  SendMessageW(f.Control(kMemLimitSlider), TBM_SETPOS, TRUE, 1000);
  SendMessageW(f.hWnd(), WM_HSCROLL, TB_ENDTRACK,
               reinterpret_cast<LPARAM>(f.Control(kMemLimitSlider)));
  EXPECT_EQ(Text(kLabel1 + 3), "1000 Mbyte");
  shell.requests.clear();
  Click(0);
  EXPECT_EQ(Added(), (std::vector<std::pair<std::uint32_t, std::string>>{{1, "C:"}, {2, "Z:"}}));
  EXPECT_EQ(f.Cycle().MemoryLimit, 1000);
}

// What a screen reader says for each kind of control, whichever page is shown.
TEST_F(Form1Test, EveryKindOfControlHasTheNameAScreenReaderSays) {
  Form1& f = Load();
  const std::pair<int, const char*> names[] = {
      {kTabStrip1, "Optionsseiten"},
      {kLayerIdBase + 3, "Alarm"},
      {kPicture1 + 2, "Zahnräder"},
      {kLV, "Laufwerke"},
      {kMemLimitSlider, "Ab wieviel MByte Rest-Speicher soll ein Alarm ausgelöst werden?"},
      {kNotifyChk, "Mit Benachrichtigung"},
      {kImage1, "Weitere Tarnwick-Programme kennenlernen"}};
  for (const auto& [id, name] : names) EXPECT_EQ(testing::AccessibleName(f.Control(id)), name);
  EXPECT_NE(SendMessageW(f.Control(kPicture1 + 2), STM_GETICON, 0, 0), 0);  // still shown
}

TEST_F(Form1Test, TabWalksThePageShownCtrlTabAndTheArrowsTurnThePages) {
  Form1& f = Load();
  SelectTab(3);
  SetFocus(f.Control(kTabStrip1));
  std::vector<int> seen;
  for (int i = 0; i < 9; ++i) {
    Key(WM_KEYDOWN, VK_TAB);
    seen.push_back(GetDlgCtrlID(GetFocus()));
  }
  EXPECT_EQ(seen, (std::vector<int>{kMemLimitSlider, kNotifyChk, kCheck1, kBtn + 0, kBtn + 4,
                                    kBtn + 1, kBtn + 3, kBtn + 2, kTabStrip1}));
  Key(WM_KEYDOWN, VK_TAB, {VK_SHIFT});
  EXPECT_EQ(GetFocus(), f.Control(kBtn + 2));
  Key(WM_KEYDOWN, VK_TAB, {VK_CONTROL});
  EXPECT_EQ(f.Pages().VisibleLayer(), 4);
  Key(WM_KEYDOWN, VK_TAB, {VK_CONTROL, VK_SHIFT});
  EXPECT_EQ(f.Pages().VisibleLayer(), 3);
  SetFocus(f.Control(kTabStrip1));
  Key(WM_KEYDOWN, VK_RIGHT);
  EXPECT_EQ(f.Pages().VisibleLayer(), 4);
}

TEST_F(Form1Test, AccessKeysAreOneEachOnAPageAndTheSpaceBarTicksADrive) {
  Form1& f = Load();
  for (int page = 1; page <= kPageCount; ++page) {
    SelectTab(page);
    std::map<int, std::string_view> keys;
    for (const ControlSpec& row : Form1Controls()) {
      const std::size_t amp = row.text.find('&');
      if (!IsWindowVisible(f.Control(row.id)) || amp == std::string_view::npos) continue;
      EXPECT_TRUE(keys.emplace(std::toupper(row.text[amp + 1]), row.text).second) << row.text;
    }
  }
  auto notify = [&] { return SendMessageW(f.Control(kNotifyChk), BM_GETCHECK, 0, 0); };
  const LRESULT before = notify();
  SetFocus(f.Control(kTabStrip1));
  Key(WM_SYSCHAR, L'n');  // page 4 is shown: the alarm page's box can't be reached
  EXPECT_EQ(notify(), before);
  SelectTab(3);
  Key(WM_SYSCHAR, L'n');
  EXPECT_NE(notify(), before);

  const int z = EntryOf("Z:");
  LVITEMW select{};
  select.stateMask = select.state = LVIS_SELECTED | LVIS_FOCUSED;
  SendMessageW(f.Control(kLV), LVM_SETITEMSTATE, z, reinterpret_cast<LPARAM>(&select));
  SetFocus(f.Control(kLV));
  Key(WM_KEYDOWN, VK_SPACE);
  EXPECT_TRUE(f.Options().drives.at(static_cast<std::size_t>(z)).checked);
}

TEST_F(Form1Test, InfoOpensTheAboutDialogOnce) {
  Form1& f = Load();
  EXPECT_EQ(f.Info(), nullptr);
  Click(3);
  ASSERT_NE(f.Info(), nullptr);
  HWND about = f.Info()->hWnd();
  Click(3);
  EXPECT_EQ(f.Info()->hWnd(), about);
  EXPECT_EQ(GetWindow(about, GW_OWNER), f.hWnd());
}

// A message box as the user sees it while it is up: who owns it, whether the options window
// still takes input. The box's own loop runs the timer that looks and then closes it.
struct BoxSeen {
  bool shown = false;
  HWND owner = nullptr;
  bool formEnabled = true;
};
BoxSeen g_box;
HWND g_form = nullptr;

BOOL CALLBACK FindMessageBox(HWND window, LPARAM found) {
  wchar_t name[16] = {};
  GetClassNameW(window, name, 16);
  if (!IsWindowVisible(window) || std::wstring_view(name) != L"#32770") return TRUE;
  *reinterpret_cast<HWND*>(found) = window;
  return FALSE;
}

void CALLBACK LookAtTheBox(HWND, UINT, UINT_PTR, DWORD) {
  HWND box = nullptr;
  EnumThreadWindows(GetCurrentThreadId(), FindMessageBox, reinterpret_cast<LPARAM>(&box));
  if (!box || g_box.shown) return;
  g_box = {true, GetWindow(box, GW_OWNER), IsWindowEnabled(g_form) != FALSE};
  PostMessageW(box, WM_COMMAND, IDOK, 0);
}

TEST_F(Form1Test, MessageBoxesBelongToTheOptionsWindowWhileItIsShown) {
  // No help lies beside the test program: "&Hilfe" says so in a box.
  system.realBoxes = true;
  Form1& f = Load();
  g_form = f.hWnd();
  struct Case {
    const char* what;
    std::function<void()> open;
    HWND owner;
  };
  const Case cases[] = {
      {"the window's button", [&] { Click(2); }, f.hWnd()},
      {"the tray menu, window hidden",
       [&] {
         Click(1);
         f.pumxxx_Click(4);
       },
       nullptr},
      {"the tray menu, window shown again",
       [&] {
         f.pumxxx_Click(3);
         f.pumxxx_Click(4);
       },
       f.hWnd()},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    g_box = {};
    const UINT_PTR timer = SetTimer(nullptr, 0, 50, LookAtTheBox);
    c.open();
    KillTimer(nullptr, timer);
    ASSERT_TRUE(g_box.shown);
    EXPECT_EQ(g_box.owner, c.owner);
    // An owned box takes the window's input, so that a second click can't stack another.
    EXPECT_EQ(g_box.formEnabled, c.owner == nullptr);
    EXPECT_TRUE(IsWindowEnabled(f.hWnd()));
  }
  EXPECT_EQ(system.messages.size(), 3u);
  // A window that is gone owns nothing: a later box would not show at all.
  form.reset();
  EXPECT_EQ(system.owner, nullptr);
}

BOOL CALLBACK CountChild(HWND, LPARAM count) {
  ++*reinterpret_cast<int*>(count);
  return TRUE;
}

TEST_F(Form1Test, AStartIntoTheTrayBuildsThePagesWithTheirValuesWhenFirstShown) {
  Store(kDoneBeforeKey, "1");
  Store(kTimerIntervalKey, "25");
  Store(kMemoryLimitKey, "300");
  Store(kAlarmSoundEnabledKey, "-3");  // any number but 0: on
  Store(kDriveListKey, "ZC");
  wchar_t exe[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, exe, MAX_PATH);
  const std::wstring run = L"\"" + std::wstring(exe) + L"\" /AUTOSTART";
  ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, kRunKey, L"Quenora", REG_SZ, run.c_str(),
                            static_cast<DWORD>((run.size() + 1) * sizeof(wchar_t))),
            ERROR_SUCCESS);
  Form1& f = Load();
  EXPECT_EQ(Added(), (std::vector<std::pair<std::uint32_t, std::string>>{{1, "Z:"}, {2, "C:"}}));
  EXPECT_FALSE(IsWindowVisible(f.hWnd()));
  ASSERT_FALSE(f.PagesBuilt());
  int children = 0;
  EnumChildWindows(f.hWnd(), CountChild, reinterpret_cast<LPARAM>(&children));
  EXPECT_EQ(children, 0);

  // Unbuilt, the window holds the options the pages will show; asking for a control or for
  // the options builds nothing.
  const OptionsValues held = f.Options();
  EXPECT_EQ(held.timerInterval, 25);
  EXPECT_EQ(f.TimerInterval(), 25000u);
  EXPECT_EQ(held.memLimit, 300);
  EXPECT_TRUE(held.alarmSound);
  EXPECT_TRUE(held.autoStart);
  EXPECT_EQ(f.AutoStartChk().Value(), 1);
  EXPECT_EQ(f.Pages().VisibleLayer(), 0);  // no page exists yet
  std::vector<std::string> checked;
  for (const quenora::DriveEntry& entry : held.drives) {
    if (entry.checked) checked.push_back(entry.text.substr(0, 2));
  }
  EXPECT_EQ(checked, (std::vector<std::string>{"C:", "Z:"}));
  EXPECT_EQ(f.Control(kTimerIntervalSlider), nullptr);
  EXPECT_EQ(f.Control(kBtn + 0), nullptr);
  EXPECT_FALSE(f.PagesBuilt());

  // "&Optionen" from the tray menu: the controls are made and show those values.
  f.pumxxx_Click(3);
  ASSERT_TRUE(f.PagesBuilt());
  EXPECT_TRUE(IsWindowVisible(f.hWnd()));
  // The program's icon comes with the window, for its caption and the dialogs it owns.
  EXPECT_NE(GetClassLongPtrW(f.hWnd(), GCLP_HICON), 0);
  EXPECT_NE(GetClassLongPtrW(f.hWnd(), GCLP_HICONSM), 0);
  EXPECT_EQ(SendMessageW(f.Control(kTimerIntervalSlider), TBM_GETPOS, 0, 0), 25);
  EXPECT_EQ(Text(kLabel1 + 2), "25 Sekunden");
  EXPECT_EQ(SendMessageW(f.Control(kMemLimitSlider), TBM_GETPOS, 0, 0), 300);
  EXPECT_EQ(Text(kLabel1 + 3), "300 Mbyte");
  EXPECT_EQ(SendMessageW(f.Control(kCheck1), BM_GETCHECK, 0, 0), BST_CHECKED);
  EXPECT_EQ(SendMessageW(f.Control(kAutoStartChk), BM_GETCHECK, 0, 0), BST_CHECKED);
  HWND list = f.Control(kLV);
  const int count = static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
  EXPECT_EQ(count, static_cast<int>(held.drives.size()));
  int checkedInList = 0;
  for (int i = 0; i < count; ++i) {
    const auto state =
        SendMessageW(list, LVM_GETITEMSTATE, static_cast<WPARAM>(i), LVIS_STATEIMAGEMASK);
    checkedInList += ((state & LVIS_STATEIMAGEMASK) >> 12) == 2;
  }
  EXPECT_EQ(checkedInList, 2);
  for (const char* drive : {"Z:", "C:"}) {
    EXPECT_TRUE(StateOf(drive).ends_with('%')) << drive << " " << StateOf(drive);
  }
  EXPECT_EQ(f.Pages().VisibleLayer(), 1);
  RECT first{}, fourth{};
  GetWindowRect(GetDlgItem(f.hWnd(), kLayerIdBase + 1), &first);
  GetWindowRect(GetDlgItem(f.hWnd(), kLayerIdBase + 4), &fourth);
  EXPECT_TRUE(EqualRect(&first, &fourth));
  EXPECT_NE(SendMessageW(f.Control(kPicture1 + 0), STM_GETICON, 0, 0), 0);

  // The apply writes what the user saw, no icon changes the tray twice.
  Click(0);
  EXPECT_EQ(Stored(kTimerIntervalKey), "25");
  EXPECT_EQ(Stored(kMemoryLimitKey), "300");
  EXPECT_EQ(Stored(kAlarmSoundEnabledKey), "1");
  EXPECT_EQ(Stored(kDriveListKey), "CZ");
}

TEST_F(Form1Test, TheOptionsWindowIsShownOwnedByAHiddenWindowOutOfTheTaskbar) {
  Store(kDoneBeforeKey, "1");
  Form1& f = Load();
  // A start into the tray makes the one window the icons need: the owner comes with the show.
  EXPECT_FALSE(IsWindowVisible(f.hWnd()));
  EXPECT_EQ(GetWindow(f.hWnd(), GW_OWNER), nullptr);

  f.pumxxx_Click(3);
  ASSERT_TRUE(IsWindowVisible(f.hWnd()));
  HWND owner = GetWindow(f.hWnd(), GW_OWNER);
  ASSERT_NE(owner, nullptr);
  EXPECT_FALSE(IsWindowVisible(owner));
  EXPECT_EQ(GetWindowLongPtrW(f.hWnd(), GWL_EXSTYLE) & WS_EX_APPWINDOW, 0);
}

TEST_F(Form1Test, QuittingBeforeThePagesWereEverBuiltKeepsTheSettings) {
  Store(kDoneBeforeKey, "1");
  Store(kTimerIntervalKey, "7");
  Store(kMemoryLimitKey, "10.4");
  Store(kDriveListKey, "Z");
  Form1& f = Load();
  ASSERT_FALSE(f.PagesBuilt());
  f.pumxxx_Click(6);  // "&Beenden": applies the window's state as it stands
  EXPECT_EQ(Stored(kTimerIntervalKey), "7");
  EXPECT_EQ(Stored(kMemoryLimitKey), "10");
  EXPECT_EQ(Stored(kDriveListKey), "Z");
  EXPECT_EQ(Stored(kAlarmSoundEnabledKey), "1");
}

TEST_F(Form1Test, PagesBuiltAfterAnotherDpiHaveItsSizes) {
  Store(kDoneBeforeKey, "1");
  Form1& f = Load();
  ASSERT_FALSE(f.PagesBuilt());
  RECT suggested{10, 20, 10 + 800, 20 + 600};
  SendMessageW(f.hWnd(), WM_DPICHANGED, MAKEWPARAM(192, 192), reinterpret_cast<LPARAM>(&suggested));
  EXPECT_FALSE(f.PagesBuilt());
  ShowWindow(f.hWnd(), SW_SHOW);  // however the window comes up, its pages come with it
  ASSERT_TRUE(f.PagesBuilt());
  RECT ok{};
  GetWindowRect(f.Control(kBtn + 0), &ok);
  MapWindowPoints(nullptr, f.hWnd(), reinterpret_cast<POINT*>(&ok), 2);
  EXPECT_EQ(ok.left, TwipsToPixels(4350, 192));
  LOGFONTW font{};
  GetObjectW(reinterpret_cast<HFONT>(SendMessageW(f.Control(kBtn + 0), WM_GETFONT, 0, 0)),
             sizeof font, &font);
  EXPECT_EQ(font.lfHeight, -MulDiv(825, 192, 7200));
}

TEST_F(Form1Test, AnotherDpiLaysTheWindowOutAgainInTheSameTwips) {
  Form1& f = Load();
  RECT suggested{10, 20, 10 + 800, 20 + 600};
  SendMessageW(f.hWnd(), WM_DPICHANGED, MAKEWPARAM(192, 192), reinterpret_cast<LPARAM>(&suggested));
  RECT client{};
  GetClientRect(f.hWnd(), &client);
  EXPECT_EQ(client.right, TwipsToPixels(kForm1ClientWidth, 192));
  EXPECT_EQ(client.bottom, TwipsToPixels(kForm1ClientHeight, 192));
  RECT ok{};
  GetWindowRect(f.Control(kBtn + 0), &ok);
  MapWindowPoints(nullptr, f.hWnd(), reinterpret_cast<POINT*>(&ok), 2);
  EXPECT_EQ(ok.left, TwipsToPixels(4350, 192));
  EXPECT_EQ(ok.bottom - ok.top, TwipsToPixels(420, 192));
  // The pages still lie on one another, and the font grew with the scale.
  RECT first{}, fourth{};
  GetWindowRect(GetDlgItem(f.hWnd(), kLayerIdBase + 1), &first);
  GetWindowRect(GetDlgItem(f.hWnd(), kLayerIdBase + 4), &fourth);
  EXPECT_TRUE(EqualRect(&first, &fourth));
  LOGFONTW font{};
  GetObjectW(reinterpret_cast<HFONT>(SendMessageW(f.Control(kBtn + 0), WM_GETFONT, 0, 0)),
             sizeof font, &font);
  EXPECT_EQ(font.lfHeight, -MulDiv(825, 192, 7200));
  EXPECT_EQ(font.lfWeight, FW_BOLD);
}

// ImageList1 is the window's: the drive list borrows it, also the one a DPI change makes, and
// leaves it alone when it goes. The window destroys it, once, when it is itself destroyed.
TEST_F(Form1Test, DrivePicturesOutliveTheDriveList) {
  const auto imageCount =
      SystemFunction<decltype(ImageList_GetImageCount)>(L"comctl32.dll", "ImageList_GetImageCount");
  ASSERT_NE(imageCount, nullptr);
  for (const int dpi : {0, 192}) {
    SCOPED_TRACE(dpi ? "after a DPI change" : "as built");
    Form1& f = Load();
    ASSERT_TRUE(f.PagesBuilt());
    if (dpi) {
      RECT suggested{10, 20, 10 + 800, 20 + 600};
      SendMessageW(f.hWnd(), WM_DPICHANGED, MAKEWPARAM(dpi, dpi),
                   reinterpret_cast<LPARAM>(&suggested));
    }
    const auto pictures = reinterpret_cast<HIMAGELIST>(
        SendMessageW(f.Control(kLV), LVM_GETIMAGELIST, LVSIL_SMALL, 0));
    ASSERT_EQ(imageCount(pictures), 1);  // the drive
    // Quitting destroys the window, list and all; the Form1 object goes after it.
    DestroyWindow(f.hWnd());
    EXPECT_EQ(imageCount(pictures), 1) << "the drive list destroyed the window's pictures";
  }
}

// Nothing of the pages stays behind when the window goes, also after a DPI change replaced
// its fonts and pictures, the check box pictures the drive list made for itself included.
TEST_F(Form1Test, AWindowThatGoesLeavesNoPicturesBehind) {
  long before = 0;
  for (int i = 0; i < 4; ++i) {
    Form1& f = Load();
    ASSERT_TRUE(f.PagesBuilt());
    // Moved to a monitor of another scale: new fonts and pictures, the old ones let go.
    RECT suggested{10, 20, 10 + 800, 20 + 600};
    SendMessageW(f.hWnd(), WM_DPICHANGED, MAKEWPARAM(192, 192),
                 reinterpret_cast<LPARAM>(&suggested));
    form.reset();
    if (i == 0) before = GdiObjectCount();  // the system's own caches are filled by now
  }
  EXPECT_EQ(GdiObjectCount(), before);
}

TEST_F(Form1Test, ADpiChangeMovesTheWindowToTheSuggestedPlaceOnAnyMonitor) {
  // Monitors left of and above the primary one have negative coordinates.
  Store(kDoneBeforeKey, "1");
  Form1& f = Load();
  const POINT places[] = {{-900, 40}, {-1, -1}, {-1200, -300}, {10, 20}};
  for (const bool built : {false, true}) {
    if (built) ShowWindow(f.hWnd(), SW_SHOW);
    ASSERT_EQ(f.PagesBuilt(), built);
    for (const POINT at : places) {
      RECT suggested{at.x, at.y, at.x + 800, at.y + 600};
      SendMessageW(f.hWnd(), WM_DPICHANGED, MAKEWPARAM(192, 192),
                   reinterpret_cast<LPARAM>(&suggested));
      RECT frame{};
      GetWindowRect(f.hWnd(), &frame);
      EXPECT_EQ(frame.left, at.x) << "built " << built << ", at " << at.x << "," << at.y;
      EXPECT_EQ(frame.top, at.y) << "built " << built << ", at " << at.x << "," << at.y;
    }
  }
}

TEST_F(Form1Test, CloseBoxKeepsIconsAndTimer) {
  Form1& f = Load();
  shell.requests.clear();
  SendMessageW(f.hWnd(), WM_SYSCOMMAND, SC_CLOSE, 0);
  EXPECT_FALSE(IsWindowVisible(f.hWnd()));
  EXPECT_TRUE(shell.requests.empty());
  EXPECT_TRUE(f.TimerEnabled());
  EXPECT_EQ(f.Cycle().Drives().DriveCount, 1);
}

TEST_F(Form1Test, QuittingStoresChangesThatWereNotConfirmed) {
  Form1& f = Load();
  SendMessageW(f.Control(kTimerIntervalSlider), TBM_SETPOS, TRUE, 30);
  Click(1);  // &Abbrechen keeps them in the window
  shell.requests.clear();
  Click(4);  // &Beenden
  EXPECT_EQ(Stored(kTimerIntervalKey), "30");
  EXPECT_EQ(Stored(kDoneBeforeKey), "1");
  EXPECT_FALSE(IsWindow(f.hWnd()));
  ASSERT_FALSE(shell.requests.empty());
  EXPECT_EQ(shell.requests.back().message, kNimDelete);
  // C:'s icon goes once with the apply and once with the quit, not again with the window.
  EXPECT_EQ(std::count_if(shell.requests.begin(), shell.requests.end(),
                          [](const auto& request) { return request.message == kNimDelete; }),
            2);
  MSG message;
  EXPECT_TRUE(PeekMessageW(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
}

TEST_F(Form1Test, NewTaskbarGetsTheIconsAgain) {
  Form1& f = Load();
  const std::string tip = shell.requests.back().Tip();
  shell.requests.clear();
  SendMessageW(f.hWnd(), RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);
  ASSERT_EQ(shell.requests.size(), 1u);
  EXPECT_EQ(shell.requests[0].message, kNimAdd);
  EXPECT_EQ(shell.requests[0].Tip(), tip);
}

using testing::IconWidth;

// Run by tray_dpi.sh at 96, 120, 144 and 192 dpi: the icons have the shell's small-icon size,
// 16 pixels at 96 dpi and as many more as the DPI is higher.
TEST_F(Form1Test, TrayIconsHaveTheSizeTheShellShowsThemAt) {
  HDC screen = GetDC(nullptr);
  const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  const char* expected = std::getenv("QUENORA_EXPECT_DPI");
  EXPECT_EQ(dpi, expected ? std::atoi(expected) : dpi) << "the DPI set for the run";
  Load();
  EXPECT_EQ(IconWidth(shell.requests.back().record.hIcon), MulDiv(16, dpi, 96));
}

// Whatever may change the notification area's size has every icon sent again at its new size,
// with its identifier and tooltip, and the old pictures destroyed after that.
TEST_F(Form1Test, TrayIconsAreMadeAnewWhenTheShellsSizeChanges) {
  system.traySize = 16;
  Form1& f = Load();
  const std::string tip = shell.requests.back().Tip();
  std::uintptr_t old = shell.requests.back().record.hIcon;
  RECT suggested{0, 0, 800, 600};
  const std::tuple<UINT, WPARAM, LPARAM, int> changes[] = {
      {WM_DPICHANGED, MAKEWPARAM(120, 120), reinterpret_cast<LPARAM>(&suggested), 20},
      {WM_DISPLAYCHANGE, 32, 0, 24},
      {WM_SETTINGCHANGE, SPI_SETICONMETRICS, 0, 32},
      {WM_SYSCOLORCHANGE, 0, 0, 40},
      {RegisterWindowMessageW(L"TaskbarCreated"), 0, 0, 48}};
  for (const auto& [message, wParam, lParam, size] : changes) {
    system.traySize = size;
    SendMessageW(f.hWnd(), message, wParam, lParam);
    const auto& sent = shell.requests.back();
    EXPECT_EQ(
        std::make_tuple(sent.message, sent.record.uID, sent.Tip(), IconWidth(sent.record.hIcon)),
        std::make_tuple(kNimModify, 1u, tip, size));
    EXPECT_EQ(IconWidth(old), 0) << "the old picture is still there at " << size;
    old = sent.record.hIcon;
  }
  shell.requests.clear();
  SendMessageW(f.hWnd(), WM_DISPLAYCHANGE, 32, 0);
  EXPECT_TRUE(shell.requests.empty()) << "nothing changed, nothing is sent";
}

TEST_F(Form1Test, EndOfTheSessionRemovesTheIconsOnce) {
  Store(kDriveListKey, "CQ");  // Q: isn't there
  Form1& f = Load();
  shell.requests.clear();
  // Q: arrives as the session ends, and again after it: neither brings the icons back.
  constexpr DWORD kQ = 1u << 16;
  SendVolumeChange(f.hWnd(), DBT_DEVICEARRIVAL, kQ);
  SendMessageW(f.hWnd(), WM_QUERYENDSESSION, 0, 0);
  SendMessageW(f.hWnd(), WM_ENDSESSION, TRUE, 0);
  ASSERT_EQ(shell.requests.size(), 1u);
  EXPECT_EQ(shell.requests[0].message, kNimDelete);
  EXPECT_EQ(shell.requests[0].record.uID, 1u);
  EXPECT_EQ(f.Cycle().Drives().DriveCount, 0);
  EXPECT_NE(Stored("_Top"), "<none>");
  // The routing is gone: the icons' callback message does nothing any more.
  SendMessageW(f.hWnd(), WM_USER, 1, WM_LBUTTONDBLCLK);
  EXPECT_EQ(f.Routing().ClickedIconID, 0);
  SendVolumeChange(f.hWnd(), DBT_DEVICEARRIVAL, kQ);
  PumpFor(std::chrono::milliseconds(1500));
  DestroyWindow(f.hWnd());
  EXPECT_EQ(shell.requests.size(), 1u);
}

TEST_F(Form1Test, CloseFromOutsideUnloadsTheWindow) {
  Form1& f = Load();
  shell.requests.clear();
  SendMessageW(f.hWnd(), WM_CLOSE, 0, 0);
  ASSERT_EQ(shell.requests.size(), 1u);
  EXPECT_EQ(shell.requests[0].message, kNimDelete);
  MSG message;
  EXPECT_TRUE(PeekMessageW(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
}

TEST_F(Form1Test, EachTimerTickRunsOneCycle) {
  Form1& f = Load();
  SendMessageW(f.hWnd(), WM_TIMER, Form1::kTimer1Id, 0);
  EXPECT_EQ(f.Cycle().BlinkPhase, 0);
  SendMessageW(f.hWnd(), WM_TIMER, Form1::kTimer1Id, 0);
  EXPECT_EQ(f.Cycle().BlinkPhase, 1);
}

// Values edited by hand in the registry, for every key the start reads: each one still starts
// the program, is clamped or replaced by its default, and the next apply (or, for the
// window's place, the next unload) writes clean text back.
struct HandEdited {
  DWORD type;
  std::vector<BYTE> bytes;
  std::string what;     // how the case reads in a failure
  std::string shown;    // what the program makes of it, as Form1BadSettingsTest::Shown() says
  std::string written;  // the text stored after the next apply; "" for the window's place
};

HandEdited TextValue(std::wstring_view text, std::string shown, std::string written = "",
                     DWORD type = REG_SZ, bool terminated = true) {
  std::vector<BYTE> bytes(reinterpret_cast<const BYTE*>(text.data()),
                          reinterpret_cast<const BYTE*>(text.data() + text.size()));
  if (terminated) bytes.insert(bytes.end(), sizeof(wchar_t), 0);
  std::string what;
  for (const wchar_t c : text.substr(0, 24)) {
    what += c >= 0x20 && c < 0x7F ? static_cast<char>(c) : '?';
  }
  if (text.size() > 24) what += "... (" + std::to_string(text.size()) + " characters)";
  return {type, bytes, "\"" + what + "\" type " + std::to_string(type), std::move(shown),
          std::move(written)};
}
HandEdited NumberValue(DWORD type, std::uint64_t number, std::string shown,
                       std::string written = "") {
  const std::size_t size = type == REG_QWORD ? 8 : type == REG_DWORD ? 4 : 2;
  std::vector<BYTE> bytes(size);
  for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<BYTE>(number >> (8 * i));
  return {type, bytes, std::to_string(number) + " type " + std::to_string(type), std::move(shown),
          std::move(written)};
}

struct BadKey {
  std::string_view key;
  std::vector<HandEdited> values;
};

std::wstring Repeated(std::wstring_view piece, std::size_t times) {
  std::wstring text;
  for (std::size_t i = 0; i < times; ++i) text += piece;
  return text;
}

// Every letter twice, "AABB...ZZ"; this prefix has the drives C: and Z: only.
const std::wstring kEveryLetterTwice = [] {
  std::wstring text;
  for (wchar_t c = L'A'; c <= L'Z'; ++c) text += std::wstring(2, c);
  return text;
}();

const BadKey kBadKeys[] = {
    {kTimerIntervalKey,
     {TextValue(L"", "10", "10"), TextValue(L"-5", "1", "1"),
      TextValue(L"99999999999999999999", "60", "60"), TextValue(L"abc", "10", "10"),
      TextValue(L"1e400", "10", "10"), TextValue(Repeated(L"7", 1000), "10", "10"),
      TextValue(L"3\x07", "10", "10"), TextValue(L"\t30\r\n", "30", "30"),
      TextValue(L"30,5", "30", "30"), TextValue(L"25", "25", "25", REG_EXPAND_SZ),
      TextValue(L"42", "42", "42", REG_SZ, false), NumberValue(REG_DWORD, 45, "45", "45"),
      NumberValue(REG_DWORD, 0xFFFFFFFF, "60", "60"), NumberValue(REG_QWORD, 30, "10", "10"),
      NumberValue(REG_BINARY, 30, "10", "10"),
      TextValue(std::wstring(L"30\0", 3), "10", "10", REG_MULTI_SZ)}},
    {kMemoryLimitKey,
     {TextValue(L"", "10", "10"), TextValue(L"-5", "1", "1"), TextValue(L"1e300", "1000", "1000"),
      TextValue(L"abc", "10", "10"), TextValue(L"1e400", "10", "10"),
      TextValue(Repeated(L"9", 1000), "10", "10"), TextValue(L"\x1b[31m", "10", "10"),
      TextValue(L"0,5", "1", "1"), TextValue(L"999,6", "999.6", "1000"),
      NumberValue(REG_DWORD, 0xFFFFFFFF, "1000", "1000"), NumberValue(REG_DWORD, 0, "1", "1"),
      NumberValue(REG_BINARY, 50, "10", "10"),
      TextValue(std::wstring(L"50\0", 3), "10", "10", REG_MULTI_SZ)}},
    {kAlarmSoundEnabledKey,
     {TextValue(L"", "1", "1"), TextValue(L"-1", "1", "1"), TextValue(L"abc", "1", "1"),
      TextValue(L"1e400", "1", "1"), TextValue(Repeated(L"0", 1000), "0", "0"),
      TextValue(L"\x01", "1", "1"), TextValue(L"0,0", "0", "0"),
      NumberValue(REG_DWORD, 0, "0", "0"), NumberValue(REG_DWORD, 0xFFFFFFFF, "1", "1"),
      NumberValue(REG_BINARY, 0, "1", "1")}},
    {kAlarmNotifyEnabledKey,
     {TextValue(L"", "1", "1"), TextValue(L"abc", "1", "1"), TextValue(L"1e400", "1", "1"),
      TextValue(Repeated(L"0", 1000), "0", "0"), TextValue(L"\x01", "1", "1"),
      NumberValue(REG_DWORD, 0, "0", "0"), NumberValue(REG_BINARY, 0, "1", "1")}},
    {kDriveListKey,
     {TextValue(L"", "C", "C"), TextValue(L"-5", "C", "C"), TextValue(L"abc", "C", "C"),
      TextValue(L"1e400", "", ""),  // E: isn't there: no drive is monitored, none written
      TextValue(Repeated(L"C", 1000), std::string(26, 'C'), "C"),
      TextValue(kEveryLetterTwice, "CCZZ", "CZ"),
      TextValue(Repeated(L"ABCDEFGHIJKLMNOPQRSTUVWXYZ", 2), "CZCZ", "CZ"),
      TextValue(L"\x01z\tc\x7f", "ZC", "CZ"), TextValue(L"z:\\c:", "ZC", "CZ"),
      TextValue(L"\xD800z", "Z", "Z"),             // half a surrogate pair
      TextValue(Repeated(L"Z", 40000), "C", "C"),  // larger than any list of drives can be
      TextValue(L"zc", "ZC", "CZ", REG_EXPAND_SZ), NumberValue(REG_DWORD, 67, "C", "C"),
      NumberValue(REG_BINARY, 'Z', "C", "C"),
      TextValue(std::wstring(L"Z\0C\0", 4), "C", "C", REG_MULTI_SZ)}},
    {kDoneBeforeKey,
     {TextValue(L"", "shown", "1"), TextValue(L"abc", "shown", "1"),
      TextValue(L"1e400", "shown", "1"), TextValue(L"0", "shown", "1"),
      TextValue(L"-1", "hidden", "1"), TextValue(L"0,5", "hidden", "1"),
      TextValue(Repeated(L"9", 1000), "shown", "1"), TextValue(L"\x01", "shown", "1"),
      NumberValue(REG_DWORD, 1, "hidden", "1"), NumberValue(REG_DWORD, 0, "shown", "1"),
      NumberValue(REG_BINARY, 1, "shown", "1")}},
    {kDriveLimitsKey,
     {TextValue(L"", "", ""), TextValue(L" d = 10 % ;q=20gb", "D=10%;Q=20GB", "D=10%;Q=20GB"),
      TextValue(L"c=-5GB;Z=150%;c=1,5MB;Z=1MB", "C=1.5MB;Z=100%", "C=1.5MB;Z=100%"),
      TextValue(L"abc;=;;C=;C=1e400MB;D=0%", "", ""),
      TextValue(Repeated(L"C=1MB;", 1000), "C=1MB", "C=1MB"),
      TextValue(L"z=5%", "Z=5%", "Z=5%", REG_EXPAND_SZ), NumberValue(REG_DWORD, 5, "", ""),
      TextValue(std::wstring(L"C=5%\0D=1GB\0", 11), "", "", REG_MULTI_SZ)}},
    {kDriveWarningsKey,
     {TextValue(L"C=5%;c=1%;Y=2GB", "C=5%;Y=2GB", "C=5%;Y=2GB"), TextValue(L"\x01C=5%", "", ""),
      TextValue(L"C=5%\x01", "", ""), NumberValue(REG_BINARY, 'C', "", "")}},
    {"_Top",
     {TextValue(L"", "centred"), TextValue(L"1e400", "centred"),
      TextValue(L"99999999999", "centred"), TextValue(L"2147483648", "centred"),
      TextValue(L"0,4", "top left"), TextValue(Repeated(L"1", 1000), "centred"),
      TextValue(L"\x01", "centred"), NumberValue(REG_DWORD, 0, "top left"),
      NumberValue(REG_DWORD, 0xFFFFFFFF, "centred"), NumberValue(REG_BINARY, 0, "centred")}},
    {"_Left",
     {TextValue(L"", "centred"), TextValue(L"-1e400", "centred"),
      TextValue(L"-2147483649", "centred"), TextValue(L" 0 ", "top left"),
      TextValue(Repeated(L"-", 1000), "centred"), TextValue(L"0\x01", "centred"),
      NumberValue(REG_DWORD, 0, "top left"), NumberValue(REG_QWORD, 0, "centred")}},
};

void PrintTo(const BadKey& bad, std::ostream* out) {
  *out << bad.key;
}

class Form1BadSettingsTest : public Form1Test, public ::testing::WithParamInterface<BadKey> {
 protected:
  void StoreRaw(std::string_view key, const HandEdited& value) {
    ASSERT_EQ(
        RegSetKeyValueW(HKEY_CURRENT_USER, Widen(kSettingsKey).c_str(), Widen(key).c_str(),
                        value.type, value.bytes.data(), static_cast<DWORD>(value.bytes.size())),
        ERROR_SUCCESS);
  }

  // The stored text of `key`, which must be a plain string now.
  std::string StoredText(std::string_view key) {
    wchar_t data[256] = {};
    DWORD type = 0, size = sizeof data;
    if (RegGetValueW(HKEY_CURRENT_USER, Widen(kSettingsKey).c_str(), Widen(key).c_str(),
                     RRF_RT_ANY | RRF_NOEXPAND, &type, data, &size) != ERROR_SUCCESS) {
      return "<none>";
    }
    if (type != REG_SZ) return "<type " + std::to_string(type) + ">";
    return Narrow(data);
  }

  // What the program made of the key under test.
  std::string Shown(std::string_view key) {
    Form1& f = *form;
    const OptionsValues& options = f.Options();
    if (key == kTimerIntervalKey) {
      EXPECT_EQ(f.TimerInterval(), static_cast<UINT>(options.timerInterval) * 1000);
      EXPECT_EQ(Text(kLabel1 + 2), std::to_string(options.timerInterval) + " Sekunden");
      return std::to_string(options.timerInterval);
    }
    if (key == kMemoryLimitKey) {
      EXPECT_EQ(options.memLimit, std::lround(f.Cycle().MemoryLimit));
      EXPECT_EQ(Text(kLabel1 + 3), std::to_string(options.memLimit) + " Mbyte");
      return NumberText(f.Cycle().MemoryLimit);
    }
    if (key == kAlarmSoundEnabledKey) {
      EXPECT_EQ(f.Cycle().AlarmSoundEnabled != 0, options.alarmSound);
      return options.alarmSound ? "1" : "0";
    }
    if (key == kAlarmNotifyEnabledKey) {
      EXPECT_EQ(f.View().NotifyEnabled, options.alarmNotify);
      return options.alarmNotify ? "1" : "0";
    }
    if (key == kDriveListKey) {
      std::string letters;
      for (int p = 0; p < f.Cycle().Drives().DriveCount; ++p) {
        letters += static_cast<char>('A' - 1 +
                                     f.Cycle().Drives().DriveNumbers[static_cast<std::size_t>(p)]);
      }
      return letters;
    }
    if (key == kDriveLimitsKey) {
      EXPECT_EQ(f.Cycle().OwnLimits, options.driveLimits);
      return DriveLevelsText(f.Cycle().OwnLimits);
    }
    if (key == kDriveWarningsKey) {
      EXPECT_EQ(f.Cycle().EarlyLevels, options.driveWarnings);
      return DriveLevelsText(f.Cycle().EarlyLevels);
    }
    if (key == kDoneBeforeKey) return IsWindowVisible(f.hWnd()) ? "shown" : "hidden";
    RECT rect{};
    GetWindowRect(f.hWnd(), &rect);
    if (rect.left == 0 && rect.top == 0) return "top left";
    const int width = rect.right - rect.left, height = rect.bottom - rect.top;
    if (std::abs(rect.left - (GetSystemMetrics(SM_CXSCREEN) - width) / 2) <= 1 &&
        std::abs(rect.top - (GetSystemMetrics(SM_CYSCREEN) - height) / 2) <= 1) {
      return "centred";
    }
    return "at " + std::to_string(rect.left) + "," + std::to_string(rect.top);
  }

  // Whatever was read, an apply stores only text the program itself would write.
  void ExpectCleanMonitorSettings() {
    const auto inRange = [&](std::string_view key, int low, int high) {
      const std::string text = StoredText(key);
      const bool digits = !text.empty() && text.size() <= 4 &&
                          text.find_first_not_of("0123456789") == std::string::npos &&
                          text[0] != '0';
      EXPECT_TRUE(digits && std::stoi(text) >= low && std::stoi(text) <= high)
          << key << " = " << text;
    };
    inRange(kTimerIntervalKey, kMinInterval, kMaxInterval);
    inRange(kMemoryLimitKey, kMinLimit, kMaxLimit);
    const std::string sound = StoredText(kAlarmSoundEnabledKey);
    EXPECT_TRUE(sound == "0" || sound == "1") << sound;
    const std::string notify = StoredText(kAlarmNotifyEnabledKey);
    EXPECT_TRUE(notify == "0" || notify == "1") << notify;
    EXPECT_EQ(StoredText(kDoneBeforeKey), "1");
    const std::string drives = StoredText(kDriveListKey);
    for (std::size_t i = 0; i < drives.size(); ++i) {
      EXPECT_TRUE(drives[i] >= 'A' && drives[i] <= 'Z' && (i == 0 || drives[i - 1] < drives[i]))
          << kDriveListKey << " = " << drives;
    }
  }
};

TEST_P(Form1BadSettingsTest, StartsCorrectsAndWritesCleanTextBack) {
  const std::string_view key = GetParam().key;
  const bool place = key == "_Top" || key == "_Left";
  for (const HandEdited& value : GetParam().values) {
    SCOPED_TRACE(std::string(key) + " = " + value.what);
    form.reset();
    Clean();
    Store("_SID", VersionText(VersionBare));
    // A usable other coordinate, so that only the one under test can centre the window.
    if (place) Store(key == "_Top" ? "_Left" : "_Top", "0");
    StoreRaw(key, value);
    shell.requests.clear();

    Form1& f = Load();
    ASSERT_TRUE(IsWindow(f.hWnd()));
    // It runs: a window to choose the drives, or icons in the tray, one per monitored drive.
    const auto added = Added();
    EXPECT_EQ(added.size(), static_cast<std::size_t>(f.Cycle().Drives().DriveCount));
    EXPECT_TRUE(IsWindowVisible(f.hWnd()) || !added.empty());
    EXPECT_LE(f.Cycle().Drives().DriveCount, kMaxDrives);
    EXPECT_EQ(Shown(key), value.shown);

    if (place) {
      // The window's place is saved as it unloads, where it stands now.
      const WindowGeometry geometry(f.hWnd());
      const std::string top = NumberText(geometry.Top()), left = NumberText(geometry.Left());
      form.reset();
      EXPECT_EQ(StoredText("_Top"), top);
      EXPECT_EQ(StoredText("_Left"), left);
      continue;
    }
    Click(0);
    EXPECT_EQ(StoredText(key), value.written);
    ExpectCleanMonitorSettings();
    // What was written reads back as itself; a list with no drive left monitors C: again.
    const std::string reread = key == kDoneBeforeKey                           ? "hidden"
                               : key == kDriveListKey && value.written.empty() ? "C"
                                                                               : value.written;
    EXPECT_EQ(Shown(key), reread);
  }
}

INSTANTIATE_TEST_SUITE_P(EveryKey, Form1BadSettingsTest, ::testing::ValuesIn(kBadKeys),
                         [](const ::testing::TestParamInfo<BadKey>& info) {
                           std::string name(info.param.key);
                           if (name.front() == '_') name.erase(0, 1);
                           return name;
                         });

}  // namespace
}  // namespace quenora::win32
