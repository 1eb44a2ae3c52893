// The real Quenora.exe beside this build, seen from outside as the user and the system see it:
// its window, its icons as the shell holds them, its message boxes and its settings in the
// registry.

#include <windows.h>

#include <shellapi.h>

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <map>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "platform/win32/Handles.h"
#include "platform/win32/WideText.h"
#include "settings/SettingsStore.h"
#include "util/ProgramIdentity.h"

namespace quenora::win32 {
namespace {

using namespace std::chrono_literals;

const std::wstring kKey = Widen(kSettingsKey);

// The values of the settings key: name, type and bytes.
using Values = std::map<std::wstring, std::pair<DWORD, std::vector<BYTE>>>;

Values ReadValues() {
  Values values;
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, kKey.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) {
    return values;
  }
  for (DWORD i = 0;; ++i) {
    wchar_t name[256];
    DWORD nameLength = 256, type = 0, size = 0;
    if (RegEnumValueW(key, i, name, &nameLength, nullptr, &type, nullptr, &size) != ERROR_SUCCESS) {
      break;
    }
    std::vector<BYTE> data(size);
    nameLength = 256;
    RegEnumValueW(key, i, name, &nameLength, nullptr, &type, data.data(), &size);
    values[name] = {type, data};
  }
  RegCloseKey(key);
  return values;
}

void WriteValues(const Values& values) {
  RegDeleteTreeW(HKEY_CURRENT_USER, kKey.c_str());
  for (const auto& [name, value] : values) {
    RegSetKeyValueW(HKEY_CURRENT_USER, kKey.c_str(), name.c_str(), value.first, value.second.data(),
                    static_cast<DWORD>(value.second.size()));
  }
}

std::string Stored(const wchar_t* name) {
  wchar_t data[256] = {};
  DWORD size = sizeof data;
  if (RegGetValueW(HKEY_CURRENT_USER, kKey.c_str(), name, RRF_RT_REG_SZ, nullptr, data, &size) !=
      ERROR_SUCCESS) {
    return "<none>";
  }
  return Narrow(data);
}

std::wstring ClassOf(HWND window) {
  wchar_t name[64] = {};
  GetClassNameW(window, name, 64);
  return name;
}

std::wstring TextOf(HWND window) {
  wchar_t text[512] = {};
  GetWindowTextW(window, text, 512);
  return text;
}

BOOL CALLBACK CollectChild(HWND window, LPARAM list) {
  reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
  return TRUE;
}
BOOL CALLBACK CollectTopLevel(HWND window, LPARAM list) {
  CollectChild(window, list);
  EnumChildWindows(window, CollectChild, list);  // all descendants, not only the children
  return TRUE;
}

// Every window of the desktop, the children of each included.
std::vector<HWND> AllWindows() {
  std::vector<HWND> windows;
  EnumWindows(CollectTopLevel, reinterpret_cast<LPARAM>(&windows));
  return windows;
}

// The icons among 1 to 4 that the shell holds for `owner`, as their numbers ("12"): a change
// of nothing succeeds only for an icon the shell has, whether in wine's taskbar or docked in
// the X desktop's tray.
std::string ShellIconsOf(HWND owner) {
  std::string ids;
  for (UINT id = 1; id <= 4; ++id) {
    NOTIFYICONDATAW probe{};
    probe.cbSize = NOTIFYICONDATAW_V1_SIZE;
    probe.hWnd = owner;
    probe.uID = id;
    if (Shell_NotifyIconW(NIM_MODIFY, &probe)) ids += static_cast<char>('0' + id);
  }
  return ids;
}

// The windows of class `className` that belong to process `pid`.
std::vector<HWND> WindowsOf(DWORD pid, const wchar_t* className) {
  std::vector<HWND> found;
  for (HWND window : AllWindows()) {
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == pid && ClassOf(window) == className) found.push_back(window);
  }
  return found;
}

// Polls until `done` holds or the time is up; wine under load is slow, so the limits are wide.
bool WaitFor(const std::function<bool()>& done, std::chrono::seconds limit = 60s) {
  const auto end = std::chrono::steady_clock::now() + limit;
  while (!done()) {
    if (std::chrono::steady_clock::now() > end) return false;
    std::this_thread::sleep_for(50ms);
  }
  return true;
}

class ProcessTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // The prefix's own settings are put back afterwards; the program starts with ours.
    saved_ = ReadValues();
    restore_ = true;

    // Every process started here lives in this job, which ends them all when it is closed:
    // also when this test program is killed, by a time-out for one.
    job_.reset(CreateJobObjectW(nullptr, nullptr));
    ASSERT_NE(job_.get(), nullptr);
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
    ASSERT_TRUE(SetInformationJobObject(job_.get(), JobObjectExtendedLimitInformation, &limits,
                                        sizeof limits));

    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    // This program is build/<preset>/tests/win32/*.exe; the program is build/<preset>/.
    std::wstring path = self;
    for (int i = 0; i < 3; ++i) path.erase(path.find_last_of(L'\\'));
    exe_ = path + L"\\Quenora.exe";
    ASSERT_NE(GetFileAttributesW(exe_.c_str()), INVALID_FILE_ATTRIBUTES) << Narrow(exe_);

    RegDeleteTreeW(HKEY_CURRENT_USER, kKey.c_str());
    Store(L"DoneBefore", L"1");
    Store(L"DriveList", L"CZ");
    Store(L"TimerInterval", L"1");
    Store(L"_Top", L"1500");
    Store(L"_Left", L"3000");
    // The start hint is switched off for this version: the start stays in the tray.
    Store(L"_SID", Widen(VersionText(VersionBare)));
  }

  void TearDown() override {
    TerminateJobObject(job_.get(), 1);
    for (const UniqueKernelHandle& process : processes_) {
      WaitForSingleObject(process.get(), 10000);
    }
    job_.reset();
    if (restore_) WriteValues(saved_);
  }

  static void Store(const wchar_t* name, const std::wstring& value) {
    ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, kKey.c_str(), name, REG_SZ, value.c_str(),
                              static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t))),
              ERROR_SUCCESS);
  }

  // Starts Quenora.exe in the job; its process handle and id.
  std::pair<HANDLE, DWORD> Start() {
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    std::wstring commandLine = L"\"" + exe_ + L"\"";
    if (!CreateProcessW(exe_.c_str(), commandLine.data(), nullptr, nullptr, FALSE, CREATE_SUSPENDED,
                        nullptr, nullptr, &startup, &info)) {
      ADD_FAILURE() << "could not start " << Narrow(exe_) << ": error " << GetLastError();
      return {nullptr, 0};
    }
    EXPECT_TRUE(AssignProcessToJobObject(job_.get(), info.hProcess));
    ResumeThread(info.hThread);
    CloseHandle(info.hThread);
    processes_.emplace_back(info.hProcess);
    return {info.hProcess, info.dwProcessId};
  }

  // Starts the program and waits until it runs in the tray: its window made, its two icons
  // (C: and Z:) added. Returns the window, or null.
  HWND StartFirst(HANDLE& process, DWORD& pid) {
    std::tie(process, pid) = Start();
    if (!process) return nullptr;
    HWND window = nullptr;
    const bool running = WaitFor([&] {
      const std::vector<HWND> forms = WindowsOf(pid, L"QuenoraForm1");
      window = forms.empty() ? nullptr : forms.front();
      return (window && ShellIconsOf(window) == "12") ||
             WaitForSingleObject(process, 0) == WAIT_OBJECT_0;
    });
    EXPECT_TRUE(running) << "no window and two icons within a minute; icons: "
                         << (window ? ShellIconsOf(window) : "no window");
    EXPECT_EQ(WaitForSingleObject(process, 0), static_cast<DWORD>(WAIT_TIMEOUT))
        << "Quenora ended at its start";
    return running && window ? window : nullptr;
  }

  static bool Running(HANDLE process) { return WaitForSingleObject(process, 0) == WAIT_TIMEOUT; }

  std::wstring exe_;
  UniqueKernelHandle job_;
  std::vector<UniqueKernelHandle> processes_;
  Values saved_;
  bool restore_ = false;
};

TEST_F(ProcessTest, SecondInstanceSaysSoAndLeavesTheFirstAlone) {
  HANDLE first = nullptr;
  DWORD firstPid = 0;
  HWND window = StartFirst(first, firstPid);
  ASSERT_NE(window, nullptr);
  EXPECT_FALSE(IsWindowVisible(window));  // applied before: the start stays in the tray
  // What every start writes is set aside: wine keeps no trace of a write of the same value.
  EXPECT_EQ(Stored(L"OSFat32Support"), "True");  // the first start is through
  Store(L"OSFat32Support", L"written by the first start");
  const Values before = ReadValues();

  const auto [second, secondPid] = Start();
  ASSERT_NE(second, nullptr);
  HWND box = nullptr;
  ASSERT_TRUE(WaitFor([&] {
    // Made, filled and shown: its OK button is the last thing it gets.
    const std::vector<HWND> boxes = WindowsOf(secondPid, L"#32770");
    box = boxes.empty() ? nullptr : boxes.front();
    return (box && IsWindowVisible(box) && GetDlgItem(box, IDOK)) || !Running(second);
  }));
  ASSERT_NE(box, nullptr) << "the second start ended without a word";
  EXPECT_EQ(TextOf(box), L"Quenora");
  EXPECT_EQ(TextOf(GetDlgItem(box, 0xFFFF)),  // the message box's text
            L"Quenora wird bereits ausgef\u00FChrt. Klicken Sie auf das Quenora-Icon\rin der "
            L"Task-Leiste, um zu den die Optionen zu gelangen.");
  // The information icon and one button, OK.
  int icons = 0, buttons = 0;
  for (HWND child : AllWindows()) {
    if (GetParent(child) != box) continue;
    const LONG style = GetWindowLongW(child, GWL_STYLE);
    icons += ClassOf(child) == L"Static" && (style & SS_TYPEMASK) == SS_ICON;
    buttons += ClassOf(child) == L"Button" && IsWindowVisible(child);
  }
  EXPECT_EQ(icons, 1);
  EXPECT_EQ(buttons, 1);
  HWND ok = GetDlgItem(box, IDOK);
  ASSERT_NE(ok, nullptr);
  // While it asks, the second has added no icon, and the first has its two.
  for (HWND secondForm : WindowsOf(secondPid, L"QuenoraForm1")) {
    EXPECT_EQ(ShellIconsOf(secondForm), "");
  }
  EXPECT_EQ(ShellIconsOf(window), "12");
  PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(ok));

  ASSERT_EQ(WaitForSingleObject(second, 60000), static_cast<DWORD>(WAIT_OBJECT_0))
      << "the second start did not end after its message";
  DWORD exitCode = 1;
  GetExitCodeProcess(second, &exitCode);
  EXPECT_EQ(exitCode, 0u);

  // The first runs on with its window and its two icons; the settings are as they were.
  EXPECT_TRUE(Running(first));
  EXPECT_TRUE(IsWindow(window));
  EXPECT_EQ(WindowsOf(firstPid, L"QuenoraForm1").size(), 1u);
  EXPECT_TRUE(WindowsOf(secondPid, L"QuenoraForm1").empty());
  EXPECT_EQ(ShellIconsOf(window), "12");
  EXPECT_TRUE(ReadValues() == before) << "the second start changed the settings";
  DWORD_PTR answer = 0;
  EXPECT_NE(SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 10000, &answer), 0)
      << "the first doesn't answer";
}

TEST_F(ProcessTest, EndOfTheSessionSavesThePlaceAndTakesTheIconsAway) {
  HANDLE process = nullptr;
  DWORD pid = 0;
  HWND window = StartFirst(process, pid);
  ASSERT_NE(window, nullptr);

  // The window was put where it was saved; the user moved it since (the store doesn't know).
  // The icons come before the window is placed, so the place is waited for as well.
  HDC screen = GetDC(nullptr);
  const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  RECT rect{};
  WaitFor([&] {
    GetWindowRect(window, &rect);
    return rect.top == MulDiv(1500, dpi, 1440) && rect.left == MulDiv(3000, dpi, 1440);
  }, 10s);
  EXPECT_EQ(rect.top, MulDiv(1500, dpi, 1440));
  EXPECT_EQ(rect.left, MulDiv(3000, dpi, 1440));
  ASSERT_TRUE(
      SetWindowPos(window, nullptr, 200, 150, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE));
  EXPECT_EQ(Stored(L"_Top"), "1500");

  // The system asks whether the session may end, then ends it (the user logs off).
  DWORD_PTR answer = 0;
  ASSERT_NE(SendMessageTimeoutW(window, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF, SMTO_ABORTIFHUNG,
                                30000, &answer),
            0);
  EXPECT_NE(answer, 0u) << "the program refused the end of the session";
  ASSERT_NE(SendMessageTimeoutW(window, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF, SMTO_ABORTIFHUNG,
                                30000, &answer),
            0);

  // By the time it has answered, its place is saved and its icons are gone.
  EXPECT_EQ(Stored(L"_Top"), std::to_string(150 * 1440 / dpi));
  EXPECT_EQ(Stored(L"_Left"), std::to_string(200 * 1440 / dpi));
  EXPECT_EQ(ShellIconsOf(window), "");
  // The settings of the options are left as they were: only quitting applies them.
  EXPECT_EQ(Stored(L"DriveList"), "CZ");
  EXPECT_EQ(Stored(L"TimerInterval"), "1");

  // Ending the process is the system's part after WM_ENDSESSION; until then it still answers.
  EXPECT_TRUE(Running(process));
  EXPECT_NE(SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 10000, &answer), 0);
}

TEST_F(ProcessTest, AnInstallerAskingItToCloseEndsItAndTheNextStartRuns) {
  HANDLE process = nullptr;
  DWORD pid = 0;
  HWND window = StartFirst(process, pid);
  ASSERT_NE(window, nullptr);
  ASSERT_TRUE(
      SetWindowPos(window, nullptr, 200, 150, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE));
  HDC screen = GetDC(nullptr);
  const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);

  // An installer asks the running programs whether they may close (Restart Manager). The
  // first time another program refuses, so the close is called off: nothing changes.
  DWORD_PTR answer = 0;
  const auto send = [&](UINT message, WPARAM wParam) {
    return SendMessageTimeoutW(window, message, wParam, ENDSESSION_CLOSEAPP, SMTO_ABORTIFHUNG,
                               30000, &answer) != 0;
  };
  ASSERT_TRUE(send(WM_QUERYENDSESSION, 0));
  EXPECT_NE(answer, 0u) << "the program refused to close";
  ASSERT_TRUE(send(WM_ENDSESSION, FALSE));
  EXPECT_TRUE(Running(process));
  EXPECT_EQ(ShellIconsOf(window), "12");

  // The second time it is told to close; the session goes on, and the program ends itself.
  ASSERT_TRUE(send(WM_QUERYENDSESSION, 0));
  ASSERT_TRUE(send(WM_ENDSESSION, TRUE));
  ASSERT_EQ(WaitForSingleObject(process, 30000), static_cast<DWORD>(WAIT_OBJECT_0))
      << "the program was told to close and stayed";
  DWORD exitCode = 1;
  GetExitCodeProcess(process, &exitCode);
  EXPECT_EQ(exitCode, 0u);
  EXPECT_EQ(ShellIconsOf(window), "");
  EXPECT_EQ(Stored(L"_Top"), std::to_string(150 * 1440 / dpi));
  EXPECT_EQ(Stored(L"_Left"), std::to_string(200 * 1440 / dpi));
  EXPECT_EQ(Stored(L"DriveList"), "CZ");  // closing isn't quitting: nothing is applied

  // The installer starts the new version: it runs, with no word of another instance.
  HANDLE next = nullptr;
  DWORD nextPid = 0;
  HWND nextWindow = StartFirst(next, nextPid);
  ASSERT_NE(nextWindow, nullptr);
  EXPECT_TRUE(WindowsOf(nextPid, L"#32770").empty());
  EXPECT_EQ(ShellIconsOf(nextWindow), "12");
}

}  // namespace
}  // namespace quenora::win32
