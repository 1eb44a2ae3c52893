// How long Quenora takes from its process start to its first tray icon, and how much memory it
// holds once its check timer has ticked a hundred times, each against the minimal tray program
// (minimal_tray) measured the same way in the same run.
//
//   tray_bench QUENORA_EXE MINIMAL_EXE [runs] [ticks]     11 starts each, 100 ticks by default
//
// The bench plays the shell: it owns the window of class "Shell_TrayWnd" that Shell_NotifyIcon
// looks for and sends each icon request to as WM_COPYDATA. So it sees the moment an icon is
// handed to the shell from outside, in the same way for both programs, and it can tell a
// request's sender by the window named in it. It checks that its window is the one the shell
// calls find, and every run proves it again: no icon request, no figure.
//
// Quenora runs as it does every day when Windows starts it: its settings are present (the
// options were applied once, the start hint was switched off for this version) and the
// command line is the autostart entry's. The settings key is put back as it was at the end.

#include <windows.h>

#include <psapi.h>
#include <shellapi.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "platform/win32/WideText.h"
#include "settings/MonitorSettings.h"
#include "settings/SettingsStore.h"
#include "util/ProgramIdentity.h"

namespace {

using Clock = std::chrono::steady_clock;
using Seconds = std::chrono::duration<double>;

constexpr wchar_t kTrayClass[] = L"Shell_TrayWnd";
constexpr wchar_t kTrayTitle[] = L"Quenora tray bench";
constexpr wchar_t kQuenoraWindowClass[] = L"QuenoraForm1";
constexpr wchar_t kMinimalWindowClass[] = L"QuenoraBenchMinimal";
constexpr double kStartTimeout = 60;
constexpr double kEndTimeout = 30;

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  const std::size_t n = values.size();
  return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

std::wstring Wide(std::string_view text) {
  return quenora::win32::Widen(text);
}

// --- The settings key, kept and put back -----------------------------------------------------

struct SavedValue {
  std::wstring name;
  DWORD type;
  std::vector<BYTE> data;
};

class SettingsGuard {
 public:
  SettingsGuard()
      : key_(Wide(quenora::kSettingsKey)), vendorKey_(key_.substr(0, key_.rfind(L'\\'))) {
    vendorExisted_ = KeyExists(vendorKey_);
    HKEY key;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, key_.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return;
    existed_ = true;
    DWORD count = 0, longestName = 0, longestData = 0;
    RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &count,
                     &longestName, &longestData, nullptr, nullptr);
    for (DWORD i = 0; i < count; ++i) {
      SavedValue value;
      std::vector<wchar_t> name(longestName + 1);
      DWORD nameLength = longestName + 1, size = longestData;
      value.data.resize(longestData);
      if (RegEnumValueW(key, i, name.data(), &nameLength, nullptr, &value.type, value.data.data(),
                        &size) != ERROR_SUCCESS) {
        continue;
      }
      value.name.assign(name.data(), nameLength);
      value.data.resize(size);
      saved_.push_back(std::move(value));
    }
    RegCloseKey(key);
  }
  ~SettingsGuard() { Restore(); }
  SettingsGuard(const SettingsGuard&) = delete;
  SettingsGuard& operator=(const SettingsGuard&) = delete;

  // Quenora's settings as a user has them after applying the options once and ticking the
  // start hint's box, with the shortest check interval.
  bool WriteBenchSettings(int intervalSeconds) {
    RegDeleteTreeW(HKEY_CURRENT_USER, key_.c_str());
    HKEY key;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, key_.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key,
                        nullptr) != ERROR_SUCCESS) {
      return false;
    }
    const std::string interval = std::to_string(intervalSeconds);
    const std::string limit = std::to_string(quenora::kDefaultLimit);
    const std::string version = quenora::VersionText(quenora::VersionBare);
    const std::pair<std::string_view, std::string_view> values[] = {
        {quenora::kDoneBeforeKey, "1"},
        {quenora::kTimerIntervalKey, interval},
        {quenora::kMemoryLimitKey, limit},
        {quenora::kAlarmSoundEnabledKey, "1"},
        {quenora::kDriveListKey, "C"},
        {"_SID", version},  // the start hint, switched off for this version
    };
    bool ok = true;
    for (const auto& [name, text] : values) {
      const std::wstring data = Wide(text);
      ok = RegSetValueExW(
               key, Wide(name).c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()),
               static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS &&
           ok;
    }
    RegCloseKey(key);
    return ok;
  }

  void Restore() {
    RegDeleteTreeW(HKEY_CURRENT_USER, key_.c_str());
    if (existed_) {
      HKEY key;
      if (RegCreateKeyExW(HKEY_CURRENT_USER, key_.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key,
                          nullptr) == ERROR_SUCCESS) {
        for (const SavedValue& value : saved_) {
          RegSetValueExW(key, value.name.c_str(), 0, value.type, value.data.data(),
                         static_cast<DWORD>(value.data.size()));
        }
        RegCloseKey(key);
      }
    } else if (!vendorExisted_) {
      RegDeleteKeyW(HKEY_CURRENT_USER, vendorKey_.c_str());  // only when nothing else is in it
    }
  }

 private:
  static bool KeyExists(const std::wstring& path) {
    HKEY key;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) {
      return false;
    }
    RegCloseKey(key);
    return true;
  }

  std::wstring key_, vendorKey_;
  bool existed_ = false, vendorExisted_ = false;
  std::vector<SavedValue> saved_;
};

// --- The programs under test -------------------------------------------------------------------

struct Child {
  explicit Child(const wchar_t* mainWindowClass) : windowClass(mainWindowClass) {}
  Child(const Child&) = delete;
  Child& operator=(const Child&) = delete;

  std::wstring windowClass;
  PROCESS_INFORMATION process{};
  Clock::time_point started;
  std::optional<Clock::time_point> iconAdded;
  int requests = 0;

  ~Child() {
    if (process.hProcess) CloseHandle(process.hProcess);
    if (process.hThread) CloseHandle(process.hThread);
  }
  double SecondsToIcon() const { return Seconds(*iconAdded - started).count(); }
};

// The tray: takes every icon request, notes the first NIM_ADD of each child, and says yes.
class Tray {
 public:
  bool Create(HINSTANCE instance) {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = &Tray::WindowProc;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = kTrayClass;
    if (!RegisterClassW(&windowClass)) return false;
    window_ = CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, kTrayClass, kTrayTitle, WS_POPUP, 0,
                              0, 0, 0, nullptr, nullptr, instance, nullptr);
    if (!window_) return false;
    SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    return true;
  }
  // Whether the shell's look-up finds this window, not the prefix's own tray.
  bool IsTheShellsTray() const {
    return FindWindowExW(nullptr, nullptr, kTrayClass, nullptr) == window_;
  }

  void Watch(Child* child) { children_.push_back(child); }
  void Forget(Child* child) { std::erase(children_, child); }
  int foreignRequests = 0;

 private:
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<Tray*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (message == WM_COPYDATA && self) {
      const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
      self->OnIconRequest(reinterpret_cast<HWND>(wParam), data->dwData);
      return TRUE;
    }
    return DefWindowProcW(window, message, wParam, lParam);
  }

  void OnIconRequest(HWND owner, ULONG_PTR request) {
    const auto now = Clock::now();
    DWORD processId = 0;
    GetWindowThreadProcessId(owner, &processId);
    for (Child* child : children_) {
      if (child->process.dwProcessId != processId) continue;
      ++child->requests;
      if (request == NIM_ADD && !child->iconAdded) child->iconAdded = now;
      return;
    }
    ++foreignRequests;
  }

  HWND window_ = nullptr;
  std::vector<Child*> children_;
};

// Handles the messages (the icon requests among them) until `done` or the time is up.
template <typename Done>
bool PumpUntil(Done done, Clock::time_point deadline) {
  while (!done()) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
    if (left.count() <= 0) return false;
    MsgWaitForMultipleObjects(
        0, nullptr, FALSE, static_cast<DWORD>(std::min<long long>(left.count(), 100)), QS_ALLINPUT);
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
  }
  return true;
}

Clock::time_point In(double seconds) {
  return Clock::now() + std::chrono::duration_cast<Clock::duration>(Seconds(seconds));
}

bool Start(Tray& tray, Child& child, const std::wstring& commandLine) {
  std::wstring line = commandLine;
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  tray.Watch(&child);
  child.started = Clock::now();
  if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                      &child.process)) {
    std::fprintf(stderr, "tray_bench: cannot start %ls (error %lu)\n", commandLine.c_str(),
                 GetLastError());
    tray.Forget(&child);
    return false;
  }
  return true;
}

bool WaitForIcon(Child& child) {
  if (PumpUntil([&] { return child.iconAdded.has_value(); }, In(kStartTimeout))) return true;
  std::fprintf(stderr, "tray_bench: no tray icon from %ls within %.0f s\n",
               child.windowClass.c_str(), kStartTimeout);
  return false;
}

struct WindowSearch {
  DWORD processId;
  const wchar_t* className;
  HWND found;
};

BOOL CALLBACK FindChildWindow(HWND window, LPARAM lParam) {
  auto* search = reinterpret_cast<WindowSearch*>(lParam);
  DWORD processId = 0;
  GetWindowThreadProcessId(window, &processId);
  wchar_t name[64];
  if (processId == search->processId && GetClassNameW(window, name, 64) &&
      lstrcmpW(name, search->className) == 0) {
    search->found = window;
    return FALSE;
  }
  return TRUE;
}

// Ends the program as Windows would, with WM_CLOSE to its main window, and waits until it has.
bool End(Tray& tray, Child& child) {
  bool ok = false;
  if (child.process.hProcess) {
    WindowSearch search{child.process.dwProcessId, child.windowClass.c_str(), nullptr};
    EnumWindows(&FindChildWindow, reinterpret_cast<LPARAM>(&search));
    if (search.found) PostMessageW(search.found, WM_CLOSE, 0, 0);
    ok = search.found &&
         PumpUntil([&] { return WaitForSingleObject(child.process.hProcess, 0) == WAIT_OBJECT_0; },
                   In(kEndTimeout));
    if (!ok) {
      std::fprintf(stderr, "tray_bench: %ls did not end on WM_CLOSE; terminated\n",
                   child.windowClass.c_str());
      TerminateProcess(child.process.hProcess, 1);
      WaitForSingleObject(child.process.hProcess, 5000);
    }
  }
  tray.Forget(&child);
  return ok;
}

std::wstring Quoted(const std::wstring& path) {
  return L"\"" + path + L"\"";
}

std::optional<std::wstring> FullPath(const char* path) {
  wchar_t full[MAX_PATH];
  const std::wstring wide = Wide(path);
  const DWORD length = GetFullPathNameW(wide.c_str(), MAX_PATH, full, nullptr);
  if (length == 0 || length >= MAX_PATH) return std::nullopt;
  if (GetFileAttributesW(full) == INVALID_FILE_ATTRIBUTES) return std::nullopt;
  return std::wstring(full);
}

const char* Verdict(double ratio, double goal) {
  return ratio <= goal ? "goal met" : "goal MISSED";
}

struct Memory {
  double privateKb = 0, workingSetKb = 0;
  bool privateFromProc = false;
};

// The first NUL-terminated string of a file (a /proc cmdline), or the whole text of it.
std::string ReadSmallFile(const std::wstring& path) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return {};
  std::string text(8192, '\0');
  DWORD read = 0;
  if (!ReadFile(file, text.data(), static_cast<DWORD>(text.size()), &read, nullptr)) read = 0;
  CloseHandle(file);
  text.resize(read);
  return text;
}

// Wine 8 fills no PrivateUsage (0, also for a process asking about itself; later versions count
// RssAnon + VmSwap of the process's /proc status for itself). The bench then reads those two
// lines of the child's status through the drive Z: (the Unix root): its private memory as the
// kernel counts it, resident anonymous pages and swapped ones. The child is found by the exe
// path its command line starts with; there must be exactly one such process.
std::optional<double> PrivateKbFromProc(const std::wstring& exePath) {
  const std::string wanted = quenora::win32::Narrow(exePath);
  WIN32_FIND_DATAW entry;
  HANDLE search = FindFirstFileW(L"Z:\\proc\\*", &entry);
  if (search == INVALID_HANDLE_VALUE) return std::nullopt;
  std::wstring found;
  int matches = 0;
  do {
    const std::wstring name = entry.cFileName;
    if (name.empty() || name.find_first_not_of(L"0123456789") != std::wstring::npos) continue;
    const std::wstring dir = L"Z:\\proc\\" + name + L"\\";
    const std::string commandLine = ReadSmallFile(dir + L"cmdline");
    const std::string argv0 = commandLine.substr(0, commandLine.find('\0'));
    if (argv0.size() == wanted.size() &&
        CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, argv0.data(),
                       static_cast<int>(argv0.size()), wanted.data(),
                       static_cast<int>(wanted.size())) == CSTR_EQUAL) {
      found = dir;
      ++matches;
    }
  } while (FindNextFileW(search, &entry));
  FindClose(search);
  if (matches != 1) return std::nullopt;
  const std::string status = ReadSmallFile(found + L"status");
  double kb = 0;
  int fields = 0;
  for (const char* field : {"RssAnon:", "VmSwap:"}) {
    const std::size_t at = status.find(field);
    if (at == std::string::npos) continue;
    kb += std::atof(status.c_str() + at + std::strlen(field));
    ++fields;
  }
  if (fields == 0) return std::nullopt;
  return kb;
}

std::optional<Memory> MemoryOf(const Child& child, const std::wstring& exePath) {
  PROCESS_MEMORY_COUNTERS_EX counters{};
  counters.cb = sizeof counters;
  if (!GetProcessMemoryInfo(child.process.hProcess,
                            reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                            sizeof counters)) {
    return std::nullopt;
  }
  Memory memory{static_cast<double>(counters.PrivateUsage) / 1024,
                static_cast<double>(counters.WorkingSetSize) / 1024};
  if (counters.PrivateUsage == 0) {
    const auto fromProc = PrivateKbFromProc(exePath);
    if (!fromProc) return std::nullopt;
    memory.privateKb = *fromProc;
    memory.privateFromProc = true;
  }
  return memory;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: tray_bench QUENORA_EXE MINIMAL_EXE [runs] [ticks]\n");
    return 2;
  }
  const auto quenoraPath = FullPath(argv[1]);
  const auto minimalPath = FullPath(argv[2]);
  if (!quenoraPath || !minimalPath) {
    std::fprintf(stderr, "tray_bench: %s not found\n", quenoraPath ? argv[2] : argv[1]);
    return 2;
  }
  const int runs = argc > 3 ? std::max(1, std::atoi(argv[3])) : 11;
  const int ticks = argc > 4 ? std::max(1, std::atoi(argv[4])) : 100;
  const int interval = quenora::kMinInterval;
  const std::wstring quenoraLine = Quoted(*quenoraPath) + L" /AUTOSTART";
  const std::wstring minimalLine = Quoted(*minimalPath) + L" " + std::to_wstring(interval);

  // Two benches in one session would take each other's icons and settings.
  if (FindWindowW(kTrayClass, kTrayTitle)) {
    std::fprintf(stderr, "tray_bench: another tray bench runs in this wine session\n");
    return 2;
  }
  Tray tray;
  if (!tray.Create(GetModuleHandleW(nullptr))) {
    std::fprintf(stderr, "tray_bench: cannot create the tray window (error %lu)\n", GetLastError());
    return 2;
  }
  if (!tray.IsTheShellsTray()) {
    std::fprintf(stderr,
                 "tray_bench: Shell_NotifyIcon would find another Shell_TrayWnd than the bench's; "
                 "run it where no taskbar or wine desktop tray comes first\n");
    return 2;
  }
  SettingsGuard settings;
  if (!settings.WriteBenchSettings(interval)) {
    std::fprintf(stderr, "tray_bench: cannot write Quenora's settings\n");
    return 2;
  }

  bool ok = true;
  // One run: start, wait for the first icon, end. Returns the seconds to the icon.
  auto startOnce = [&](const std::wstring& line,
                       const wchar_t* windowClass) -> std::optional<double> {
    if (!tray.IsTheShellsTray()) {
      std::fprintf(stderr, "tray_bench: another Shell_TrayWnd came first\n");
      return std::nullopt;
    }
    Child child{windowClass};
    if (!Start(tray, child, line)) return std::nullopt;
    const bool added = WaitForIcon(child);
    ok = End(tray, child) && ok;
    if (!added) return std::nullopt;
    return child.SecondsToIcon();
  };

  // Start time. One run of each first, not counted: the files come into the cache, wine's
  // services are up. Then both in turn, so that a load on the machine hits both alike.
  std::vector<double> quenoraTimes, minimalTimes;
  for (int run = -1; run < runs; ++run) {
    const auto q = startOnce(quenoraLine, kQuenoraWindowClass);
    const auto m = startOnce(minimalLine, kMinimalWindowClass);
    if (!q || !m) return 1;
    if (run < 0) continue;
    quenoraTimes.push_back(*q * 1000);
    minimalTimes.push_back(*m * 1000);
  }
  const double quenoraStart = Median(quenoraTimes), minimalStart = Median(minimalTimes);
  std::printf(
      "start to first tray icon (NIM_ADD reaching the shell), median of %d runs each;\n"
      "  Quenora as started by Windows every day: \"Quenora.exe /AUTOSTART\", settings present,\n"
      "  options applied before, start hint switched off, drive C: monitored\n",
      runs);
  auto printRuns = [](const char* name, std::vector<double> times) {
    std::sort(times.begin(), times.end());
    std::printf("  %-8s runs (ms):", name);
    for (double t : times) std::printf(" %.0f", t);
    std::printf("\n");
  };
  printRuns("Quenora", quenoraTimes);
  printRuns("minimal", minimalTimes);
  const double startRatio = quenoraStart / minimalStart;
  std::printf(
      "  median:  Quenora %.1f ms  minimal %.1f ms  (%+.1f ms)  ratio %.2f  (goal <= 1.2: %s)\n",
      quenoraStart, minimalStart, quenoraStart - minimalStart, startRatio,
      Verdict(startRatio, 1.2));
  // The fastest runs tell what the programs cost when nothing else on the machine gets in the
  // way; the goal is on the medians.
  const double quenoraBest = *std::min_element(quenoraTimes.begin(), quenoraTimes.end());
  const double minimalBest = *std::min_element(minimalTimes.begin(), minimalTimes.end());
  std::printf("  fastest: Quenora %.1f ms  minimal %.1f ms  (%+.1f ms)  ratio %.2f\n", quenoraBest,
              minimalBest, quenoraBest - minimalBest, quenoraBest / minimalBest);

  // Memory: both run side by side; each is read once its timer has ticked `ticks` times after
  // its icon came (half an interval more, so the last tick is surely done).
  Child quenora{kQuenoraWindowClass}, minimal{kMinimalWindowClass};
  if (!Start(tray, quenora, quenoraLine) || !WaitForIcon(quenora) ||
      !Start(tray, minimal, minimalLine) || !WaitForIcon(minimal)) {
    End(tray, quenora);
    End(tray, minimal);
    return 1;
  }
  const double wait = (ticks + 0.5) * interval;
  auto deadline = [&](const Child& child) {
    return *child.iconAdded + std::chrono::duration_cast<Clock::duration>(Seconds(wait));
  };
  std::optional<Memory> quenoraMemory, minimalMemory;
  PumpUntil([] { return false; }, deadline(quenora));
  quenoraMemory = MemoryOf(quenora, *quenoraPath);
  PumpUntil([] { return false; }, deadline(minimal));
  minimalMemory = MemoryOf(minimal, *minimalPath);
  ok = End(tray, quenora) && ok;
  ok = End(tray, minimal) && ok;
  if (!quenoraMemory || !minimalMemory) {
    std::fprintf(stderr, "tray_bench: no memory figures (GetProcessMemoryInfo, /proc)\n");
    return 1;
  }
  std::printf("memory after %d ticks of the check timer (interval %d s), both running:\n", ticks,
              interval);
  const double privateRatio = quenoraMemory->privateKb / minimalMemory->privateKb;
  const double workingSetRatio = quenoraMemory->workingSetKb / minimalMemory->workingSetKb;
  std::printf(
      "  private bytes  Quenora %8.0f KB  minimal %8.0f KB  ratio %.2f  (goal <= 1.3: %s)\n",
      quenoraMemory->privateKb, minimalMemory->privateKb, privateRatio, Verdict(privateRatio, 1.3));
  std::printf(
      "  working set    Quenora %8.0f KB  minimal %8.0f KB  ratio %.2f  (goal <= 1.3: %s)\n",
      quenoraMemory->workingSetKb, minimalMemory->workingSetKb, workingSetRatio,
      Verdict(workingSetRatio, 1.3));
  if (quenoraMemory->privateFromProc || minimalMemory->privateFromProc) {
    std::printf(
        "  (wine gives no PrivateUsage: private bytes here are RssAnon + VmSwap of the\n"
        "  process's /proc status, its private memory as the Linux kernel counts it)\n");
  }
  if (tray.foreignRequests) {
    std::printf("  (%d icon requests from other programs reached the bench's tray)\n",
                tray.foreignRequests);
  }
  return ok ? 0 : 1;
}
