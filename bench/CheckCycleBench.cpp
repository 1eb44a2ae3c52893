// What one check cycle over N quiet drives costs, against the bare free-space calls for the
// same drives: the cycle's own work (comparisons, no tooltip, no shell) should be noise.
//
//   check_cycle_bench [rounds]      prints one line per N and the ratio cycle / bare calls
//
// With 26 drives the cycle is measured once more with every drive's history recorded after it,
// into files of their own in a temporary folder, the world's clock played ten seconds further
// at each tick: the open slots reach their files once a minute and new slots begin as often as
// they would in a day of ticks, not as seldom as the bench's few real seconds would let them.
//
// A drive played as a network drive has each query handed to its worker thread. Its line is
// measured against the same query asked through the drive queries alone, so that both sides
// pay the two thread wake-ups, and with the process held to one processor: spread over two,
// where each thread lands beside wine's server or not changed the cost of a call by up to half
// for a whole run, and the ratio went from 0.6 to 1.7 between runs (against a call made
// without a thread, from 0.5 to 11).

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "GeneratedScans.h"
#include "monitor/CheckCycle.h"
#include "monitor/DriveQueries.h"
#include "platform/Sync.h"
#include "platform/win32/Win32DiskSpace.h"
#include "platform/win32/Win32FolderListing.h"
#include "platform/win32/Win32HistoryFiles.h"
#include "platform/win32/Win32Shell.h"
#include "platform/win32/Win32System.h"
#include "scan/FolderScanner.h"
#include "ui/DriveHistories.h"
#include "ui/ScanWindow.h"
#include "ui/TrayView.h"

namespace {

using Clock = std::chrono::steady_clock;

// Counts what a quiet tick must not do: ask the shell.
class CountingNotifyArea : public quenora::NotifyArea {
 public:
  bool ShellNotifyIcon(std::uint32_t, const quenora::NotifyIconRecord&) override {
    ++requests;
    return true;
  }
  bool ShowNotice(const quenora::NoticeRecord&) override {
    ++requests;
    return true;
  }
  long requests = 0;
};

// Counts volume-label reads on top of the real disk service.
class CountingDisks : public quenora::win32::Win32DiskSpace {
 public:
  std::string VolumeLabel(std::string_view rootPath) override {
    ++labelReads;
    return Win32DiskSpace::VolumeLabel(rootPath);
  }
  // The drives are local disks on a tmpfs, played as such: wine's mount manager doesn't list
  // letters mapped while it runs as volumes, and would send them to worker threads, asked all
  // at once. Played as network drives, every query goes through its drive's worker.
  quenora::DriveKind KindOfDrive(std::string_view) override {
    return asNetworkDrives ? quenora::DriveKind::MayKeepWaiting : quenora::DriveKind::LocalDisk;
  }
  // Every letter a volume of its own (the bench maps them all to one folder), so that each
  // drive records into a history file of its own.
  std::optional<quenora::VolumeIdentity> IdentifyVolume(std::string_view rootPath) override {
    // Wine may not tell the serial number of a folder mapped as a drive: one made up then.
    auto volume = Win32DiskSpace::IdentifyVolume(rootPath);
    if (!volume) volume = quenora::VolumeIdentity{"", 0x51000000, "BENCH"};
    if (!rootPath.empty()) volume->serialNumber += static_cast<std::uint8_t>(rootPath[0]);
    return volume;
  }
  long labelReads = 0;
  bool asNetworkDrives = false;
};

// The history files in a folder of their own, removed with the bench's files at its end.
class BenchHistoryFiles : public quenora::HistoryFiles {
 public:
  BenchHistoryFiles() {
    char temp[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, temp);
    folder_ = std::string(temp) + "quenora-bench-" + std::to_string(GetCurrentProcessId());
  }
  ~BenchHistoryFiles() override {
    // The history files, their folder and the folders above it, up to the temporary one.
    const std::string history = folder_ + "\\Tarnwick Software\\Quenora\\Verlauf";
    int removed = 0;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((history + "\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
      do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
          removed += DeleteFileA((history + "\\" + found.cFileName).c_str()) ? 1 : 0;
        }
      } while (FindNextFileA(search, &found));
      FindClose(search);
    }
    if (removed > 0) std::printf("      (%d history files were written)\n", removed);
    for (const char* end : {"\\Tarnwick Software\\Quenora\\Verlauf", "\\Tarnwick Software\\Quenora",
                            "\\Tarnwick Software", ""}) {
      RemoveDirectoryA((folder_ + end).c_str());
    }
  }
  std::string LocalAppData() override { return folder_; }
  bool MakeFolders(std::string_view folder) override { return files_.MakeFolders(folder); }
  quenora::OpenedHistoryFile Open(std::string_view path) override { return files_.Open(path); }
  quenora::OpenedHistoryFile Create(std::string_view path, std::uint64_t size) override {
    return files_.Create(path, size);
  }
  bool SetAside(std::string_view path) override { return files_.SetAside(path); }

 private:
  quenora::win32::Win32HistoryFiles files_;
  std::string folder_;
};

// Scans a tree over and over on a thread of its own at background priority, as the program's
// scans run, until it is destroyed.
class ScanLoop {
 public:
  ScanLoop() = default;
  ScanLoop(const ScanLoop&) = delete;
  ScanLoop& operator=(const ScanLoop&) = delete;
  ~ScanLoop() {
    if (!thread_.Started()) return;
    stop_ = true;
    thread_.Join();
    std::printf("      (%d scans of %llu folders each ran meanwhile)\n", scans_.load(),
                static_cast<unsigned long long>(folders_.load()));
  }
  bool Start(const char* root) {
    root_ = root;
    return thread_.Start(&ScanLoop::Run, this);
  }

 private:
  static void Run(void* self) {
    auto& loop = *static_cast<ScanLoop*>(self);
    const quenora::BackgroundWork background;
    quenora::win32::Win32FolderListing listing;
    while (!loop.stop_) {
      quenora::ScanProgress progress;
      quenora::ScanDrive(listing, loop.root_, loop.stop_, progress);
      loop.folders_ = progress.folders.load();
      ++loop.scans_;
    }
  }

  std::string root_;
  std::atomic<bool> stop_{false};
  std::atomic<int> scans_{0};
  std::atomic<std::uint64_t> folders_{0};
  quenora::Thread thread_;
};

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
  quenora::win32::FailDriveErrorsQuietly();
  const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 2000;
  constexpr int kBlock = 20;

  const auto diskService = std::make_shared<CountingDisks>();
  CountingDisks& disks = *diskService;
  CountingNotifyArea shell;
  quenora::win32::Win32System system;
  quenora::DriveTable drives;
  quenora::IconImages icons{};
  quenora::FreeSpace freeSpace(disks, system);
  freeSpace.OSFat32Support = freeSpace.GetDiskFreeSpaceExSupported() ? -1 : 0;
  quenora::TrayIconSet tray(shell, system);

  std::printf("check cycle over N quiet drives against the bare free-space calls (%d rounds)\n",
              rounds);
  // Distinct drives that answer (tools/bench.sh maps all 26 letters), C: first: a drive listed
  // twice would be asked once per cycle and flatter the cycle.
  std::vector<int> answering{3};
  for (int number = 1; number <= 26; ++number) {
    ULARGE_INTEGER a, t, f;
    const char name[] = {static_cast<char>('@' + number), ':', '\0'};
    if (number != 3 && GetDiskFreeSpaceExA(name, &a, &t, &f)) answering.push_back(number);
  }
  struct Case {
    int count;
    bool network;
    bool whileScanning = false;
    bool recording = false;
    bool scanWindowOpen = false;  // with its map of a full tree, painted between the blocks
  };
  // A tree to scan meanwhile (QUENORA_BENCH_SCAN_ROOT, "Z:\...\scan"): the cycle over local
  // disks while the scanner walks another drive at background priority, as it does on its own.
  const char* scanRoot = std::getenv("QUENORA_BENCH_SCAN_ROOT");
  // The last case is for information: what the cycle costs a drive that may keep the caller
  // waiting, whose query goes to a worker, beyond the hand-over itself; local disks are asked
  // directly.
  for (const Case run :
       {Case{1, false}, Case{4, false}, Case{26, false}, Case{26, false, false, true},
        Case{26, false, false, false, true}, Case{1, true}, Case{4, false, true}}) {
    const int count = run.count;
    if (run.whileScanning && !scanRoot) continue;
    ScanLoop scanning;
    if (run.whileScanning && !scanning.Start(scanRoot)) {
      std::printf("N=%2d  skipped: no thread for the scan\n", count);
      continue;
    }
    disks.asNetworkDrives = run.network;
    quenora::CheckCycle cycle(drives, freeSpace, diskService, system);
    quenora::TrayView view(cycle, tray, system, icons);
    std::optional<quenora::bench::Scans> scans;
    quenora::win32::Win32Shell windowShell;
    std::optional<quenora::win32::ScanWindow> scanWindow;
    if (run.scanWindowOpen) {
      scans.emplace();
      scanWindow.emplace(GetModuleHandleW(nullptr), nullptr, *scans, windowShell, system);
      scanWindow->ShowDrive('D', 2000.0 * 1073741824.0, 400.0 * 1073741824.0, "DATEN");
    }
    const auto paint = [] {
      MSG message;
      while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
    };
    BenchHistoryFiles historyFiles;
    quenora::DriveHistories histories(historyFiles, disks, cycle, ",");
    std::int64_t utc = quenora::UtcNow();
    const auto tick = [&] {
      view.UpdateIcons();
      if (!run.recording) return;
      histories.Record(utc);
      utc += 10;
    };
    cycle.MemoryLimit = 1;
    // Every drive with levels of its own in percent, far below what it has free: each cycle
    // works each drive's levels out on its size, as for a user who set them.
    quenora::DriveLevels own{}, early{};
    own.fill(quenora::DriveLevel{0.001, quenora::DriveLevel::Unit::Percent});
    early.fill(quenora::DriveLevel{0.002, quenora::DriveLevel::Unit::Percent});
    view.SetDriveLevels(own, early);
    if (static_cast<int>(answering.size()) < count) {
      std::printf("N=%2d  skipped: only %zu drives answer\n", count, answering.size());
      continue;
    }
    drives.DriveCount = count;
    std::vector<std::string> names;
    for (int p = 0; p < count; ++p) {
      drives.DriveNumbers[static_cast<std::size_t>(p)] = answering[static_cast<std::size_t>(p)];
      names.push_back(quenora::DriveName(answering[static_cast<std::size_t>(p)]));
    }
    cycle.ClearVorigerFreierSpeicher();
    tick();  // the first cycle sends everything (and makes the history files); the ones measured
    tick();  // are quiet
    shell.requests = 0;
    disks.labelReads = 0;

    // Seconds per tick, cycle and bare calls in turn so that a load on the machine hits both
    // alike: local disks in blocks of ticks; a network drive tick by tick, since a thread's
    // wake-up now and then takes far longer than the call and a block would carry it along.
    std::vector<double> cycleTimes, bareTimes;
    const auto seconds = [](Clock::time_point since) {
      return std::chrono::duration<double>(Clock::now() - since).count();
    };
    double ticks = 0;
    bool pinned = false;
    if (!run.network) {
      ULARGE_INTEGER available, total, totalFree;
      for (int r = 0; r < rounds / kBlock; ++r) {
        if (run.scanWindowOpen) paint();
        auto start = Clock::now();
        for (int i = 0; i < kBlock; ++i) tick();
        cycleTimes.push_back(seconds(start) / kBlock);
        start = Clock::now();
        for (int i = 0; i < kBlock; ++i) {
          for (const std::string& name : names) {
            GetDiskFreeSpaceExA(name.c_str(), &available, &total, &totalFree);
          }
        }
        bareTimes.push_back(seconds(start) / kBlock);
      }
      ticks = static_cast<double>(rounds / kBlock * kBlock);
    } else {
      // One processor for the threads of this case, the lowest the process may use: every
      // hand-over is then a switch on that processor, for the cycle as for the bare call.
      DWORD_PTR processMask = 0, systemMask = 0;
      GetProcessAffinityMask(GetCurrentProcess(), &processMask, &systemMask);
      pinned = processMask != 0 &&
               SetProcessAffinityMask(GetCurrentProcess(), processMask & (~processMask + 1));
      // The bare call as the cycle's worker makes it: handed to a worker of its own and waited
      // for, without the cycle's work around it.
      quenora::DriveQueries bare(freeSpace, diskService);
      const auto ask = [&] {
        for (const std::string& name : names) bare.StartSpaceQuery(name);
        const auto deadline = quenora::DriveQueries::Clock::now() + std::chrono::seconds(10);
        for (const std::string& name : names) bare.TakeSpaceAnswer(name, deadline);
      };
      ask();  // the worker is up and has made the call once, as the cycle's worker has
      for (int r = 0; r < rounds; ++r) {
        auto start = Clock::now();
        view.UpdateIcons();
        cycleTimes.push_back(seconds(start));
        start = Clock::now();
        ask();
        bareTimes.push_back(seconds(start));
      }
      ticks = rounds;
      if (pinned) SetProcessAffinityMask(GetCurrentProcess(), processMask);
    }
    const double cycleUs = Median(cycleTimes) * 1e6;
    const double bareUs = Median(bareTimes) * 1e6;
    std::printf(
        "N=%2d  cycle %8.1f us  bare calls %8.1f us  ratio %.3f  "
        "shell requests/tick %.3f  label reads/tick %.3f%s\n",
        count, cycleUs, bareUs, cycleUs / bareUs, static_cast<double>(shell.requests) / ticks,
        static_cast<double>(disks.labelReads) / ticks,
        run.recording ? "  (each drive's history recorded after the cycle, ten seconds a tick)"
        : run.scanWindowOpen ? "  (while the scan window is open with its map of a full tree)"
        : run.whileScanning
            ? "  (while a scan of another drive runs at background priority, one after another)"
        : !run.network ? ""
        : pinned       ? "  (as network drives: each query through its worker, against the query "
                         "alone through its worker; single ticks, one processor)"
                       : "  (as network drives: each query through its worker, against the query "
                         "alone through its worker; single ticks, NOT held to one processor)");
  }
  return 0;
}
