#include "ui/HistoryWindow.h"

#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <sstream>
#include <thread>

#include "AccessibleName.h"
#include "Fakes.h"
#include "GeneratedHistory.h"
#include "platform/win32/WideText.h"

namespace quenora::win32 {
namespace {

using namespace historywindow;

class HistoryWindowTest : public ::testing::Test, public HistorySource {
 protected:
  HistoryData HistoryOf(char letter) override {
    ++asked;
    HistoryData data;
    data.letter = letter;
    data.label = "DATEN";
    data.limitBytes = 51.2 * 1073741824.0;
    data.limitText = "10 % = 51,2 GB";
    data.earlyBytes = 80.0 * 1073741824.0;
    data.loadSlots = [] { return testing::GeneratedHistory(Now()); };
    data.fullAt = Now() + 30 * 86400;
    data.timeLeftText = "in etwa 4 Wochen";
    return data;
  }
  static std::int64_t Now() {
    return std::chrono::duration_cast<std::chrono::seconds>(
               std::chrono::system_clock::now().time_since_epoch())
        .count();
  }
  std::string Text(HWND control) const {
    wchar_t text[512] = {};
    GetWindowTextW(control, text, 512);
    return Narrow(text);
  }
  std::string Value() const { return Text(window()->Control(kValueLbl)); }
  HistoryWindow* window() const { return windows.Of('D'); }
  void Key(int key) { SendMessageW(window()->Control(kChart), WM_KEYDOWN, key, 0); }

  testing::FakeSystem system;
  int asked = 0;
  struct Owner : Window {
    Owner() : Window(GetModuleHandleW(nullptr), nullptr, {kDialogClass, 100, 100, {}}) {}
  } owner;
  HistoryWindows windows{owner, this, system};
};

TEST_F(HistoryWindowTest, ShowsTheDrivesRangesAndTheValueAtEachSlot) {
  windows.ShowHistory('D');
  ASSERT_NE(window(), nullptr);
  EXPECT_EQ(Text(window()->hWnd()),
            "Verlauf von D: \xC2\xBB"
            "DATEN\xC2\xAB");
  const std::string summary = Text(window()->Control(kSummaryLbl));
  EXPECT_EQ(summary.rfind("Aufgezeichnet seit ", 0), 0u) << summary;
  EXPECT_NE(summary.find("weniger frei, etwa "), std::string::npos) << summary;
  EXPECT_NE(summary.find("; voraussichtlich voll in etwa 4 Wochen (Alarmgrenze: 10 % = 51,2 GB)."),
            std::string::npos);

  // The week in hours to start with, the latest value shown; each range its own resolution.
  EXPECT_EQ(SendMessageW(window()->Control(kRangeOpt + 1), BM_GETCHECK, 0, 0), BST_CHECKED);
  const std::string latestHour = Value();
  EXPECT_NE(latestHour.find(":00: "), std::string::npos) << latestHour;
  SendMessageW(window()->Control(kRangeOpt), BM_CLICK, 0, 0);
  EXPECT_EQ(SendMessageW(window()->Control(kRangeOpt), BM_GETCHECK, 0, 0), BST_CHECKED);
  const std::string latestFive = Value();
  Key(VK_LEFT);
  const std::string before = Value();
  EXPECT_NE(before, latestFive);
  // Five-minute slots: of two neighbours, at most one starts on the full hour (in the first
  // minutes of an hour the latest does, and shows what the hour's slot shows).
  EXPECT_TRUE(latestFive.find(":00: ") == std::string::npos ||
              before.find(":00: ") == std::string::npos)
      << latestFive << " / " << before;
  Key(VK_RIGHT);
  EXPECT_EQ(Value(), latestFive);
  SendMessageW(window()->Control(kRangeOpt + 3), BM_CLICK, 0, 0);
  // A day slot by its date: "Di 8.12.2026: 120,0 GB frei".
  EXPECT_EQ(Value().find(':'), Value().find(": "));
  EXPECT_NE(Value().find(" GB frei"), std::string::npos);

  // The chart is a named tab stop whose value is the summary.
  EXPECT_TRUE(GetWindowLongW(window()->Control(kChart), GWL_STYLE) & WS_TABSTOP);
  EXPECT_EQ(testing::AccessibleName(window()->Control(kChart)),
            "Verlauf der freien Gr\xC3\xB6\xC3\x9F"
            "e");
  EXPECT_EQ(testing::AccessibleValue(window()->Control(kChart)), summary);

  // Opening again brings the same window; another drive gets its own.
  HWND first = window()->hWnd();
  windows.ShowHistory('D');
  EXPECT_EQ(window()->hWnd(), first);
  windows.ShowHistory('E');
  ASSERT_NE(windows.Of('E'), nullptr);
  EXPECT_NE(windows.Of('E')->hWnd(), first);
  EXPECT_EQ(asked, 3);
}

TEST_F(HistoryWindowTest, SavesTheRangeAsCsvThroughTheSaveDialog) {
  windows.ShowHistory('D');
  SendMessageW(window()->Control(kRangeOpt), BM_CLICK, 0, 0);  // the day: 5-minute slots
  wchar_t folder[MAX_PATH] = {};
  GetTempPathW(MAX_PATH, folder);
  const std::wstring path = std::wstring(folder) + L"Verlauf-Test.csv";
  DeleteFileW(path.c_str());
  HWND owner = window()->hWnd();
  // The user's side: wait for the dialog, type the name, press Enter.
  std::thread user([&] {
    HWND dialog = nullptr;
    // Shown, it has filled in its own name: ours comes after it.
    while (!(dialog = FindWindowW(L"#32770", nullptr)) || GetWindow(dialog, GW_OWNER) != owner ||
           !IsWindowVisible(dialog)) {
      Sleep(50);
    }
    HWND name = GetDlgItem(dialog, 0x47C);  // the file name's combo box
    HWND edit = name ? FindWindowExW(name, nullptr, L"Edit", nullptr) : GetDlgItem(dialog, 0x480);
    SendMessageW(edit ? edit : name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()));
    PostMessageW(dialog, WM_COMMAND, IDOK, 0);
  });
  window()->CsvBtn_Click();
  user.join();
  std::ifstream file(Narrow(path), std::ios::binary);
  std::stringstream text;
  text << file.rdbuf();
  const std::string csv = text.str();
  EXPECT_EQ(csv.rfind("\xEF\xBB\xBFZeit;Frei (GB);Belegt (GB);Gr\xC3\xB6\xC3\x9F"
                      "e (GB)\r\n",
                      0),
            0u);
  // A day of 5-minute slots, the one just begun perhaps too.
  const auto lines = std::count(csv.begin(), csv.end(), '\n');
  EXPECT_GE(lines, 1 + 288);
  EXPECT_LE(lines, 1 + 289);
  EXPECT_NE(csv.find(";512,000\r\n"), std::string::npos);  // the size, with its decimal comma
  DeleteFileW(path.c_str());
}

}  // namespace
}  // namespace quenora::win32
