// What Quenora's scan of a folder tree costs, against the least a program can do to add up the
// same tree: a plain walk with FindFirstFileExW (basic information, large fetch) that sums the
// file sizes and skips links. Both run in turn in the same process, several times; the medians
// are compared. Also prints the memory the kept tree of the scan takes, and the most memory a
// scan of a folder with a million subfolders takes on its way.
//
//   folder_scan_bench [ROOT [rounds]]   ROOT: "S:" or a folder ("Z:\tmp\tree"); without it,
//                                       only the scan of a million folders

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <new>
#include <string>
#include <vector>

#include "ProcessCounters.h"
#include "platform/Sync.h"
#include "platform/win32/WideText.h"
#include "platform/win32/Win32FolderListing.h"
#include "scan/FolderScanner.h"

// Every block of the program's heap counted as it comes and goes: the most a scan holds at once
// is then exact, also for a moment between two samples of the process's memory.
namespace {
constexpr std::size_t kHeader = alignof(std::max_align_t);
std::atomic<std::size_t> heapBytes{0};
std::atomic<std::size_t> heapPeak{0};
}  // namespace

void* operator new(std::size_t size) {
  void* block = std::malloc(size + kHeader);
  if (!block) throw std::bad_alloc();
  *static_cast<std::size_t*>(block) = size;
  const std::size_t now = heapBytes.fetch_add(size) + size;
  std::size_t peak = heapPeak.load();
  while (now > peak && !heapPeak.compare_exchange_weak(peak, now)) {
  }
  return static_cast<char*>(block) + kHeader;
}
void* operator new[](std::size_t size) {
  return operator new(size);
}
void operator delete(void* pointer) noexcept {
  if (!pointer) return;
  char* block = static_cast<char*>(pointer) - kHeader;
  heapBytes.fetch_sub(*reinterpret_cast<std::size_t*>(block));
  std::free(block);
}
void operator delete[](void* pointer) noexcept {
  operator delete(pointer);
}
void operator delete(void* pointer, std::size_t) noexcept {
  operator delete(pointer);
}
void operator delete[](void* pointer, std::size_t) noexcept {
  operator delete(pointer);
}

namespace {

using Clock = std::chrono::steady_clock;

struct Walked {
  std::uint64_t bytes = 0;
  std::uint64_t files = 0;
};

// The yardstick, as plainly as it can be written.
Walked PlainWalk(const std::wstring& root) {
  Walked walked;
  std::vector<std::wstring> stack{root};
  WIN32_FIND_DATAW data;
  while (!stack.empty()) {
    const std::wstring folder = std::move(stack.back());
    stack.pop_back();
    const HANDLE find = FindFirstFileExW((folder + L"\\*").c_str(), FindExInfoBasic, &data,
                                         FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH);
    if (find == INVALID_HANDLE_VALUE) continue;
    do {
      const wchar_t* name = data.cFileName;
      if (name[0] == L'.' && (name[1] == 0 || (name[1] == L'.' && name[2] == 0))) continue;
      if (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) continue;
      if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        stack.push_back(folder + L"\\" + name);
      } else {
        walked.bytes += (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
        ++walked.files;
      }
    } while (FindNextFileW(find, &data));
    FindClose(find);
  }
  return walked;
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

// The heap a kept scan holds: the folders' array and the paths too long to live inside their
// string objects.
std::size_t KeptBytes(const quenora::DriveScan& scan) {
  std::size_t bytes = sizeof scan + scan.drive.capacity() + 1 +
                      scan.folders.capacity() * sizeof(quenora::ScannedFolder);
  const std::size_t inPlace = std::string().capacity();
  for (const quenora::ScannedFolder& folder : scan.folders) {
    if (folder.path.capacity() > inPlace) bytes += folder.path.capacity() + 1;
  }
  return bytes;
}

// A drive that holds one folder with a million subfolders, each with a file of 1,000 bytes, made
// up as it is listed: no disk makes a million folders quickly, and what is measured is the
// scanner. Every 1,024th listing takes a sample of the process's private bytes.
class MillionFolders : public quenora::FolderListing {
 public:
  static constexpr std::uint64_t kFolders = 1000000;
  static constexpr std::uint64_t kFileBytes = 1000;

  quenora::ListingOutcome List(std::string_view path, const EntrySink& sink) override {
    if (++listings % 1024 == 0) {
      peakPrivate = std::max(peakPrivate, quenora::win32::PrivateBytes());
    }
    if (path == "Q:\\") {
      sink({"Riesig", 0, true, false});
    } else if (path == "Q:\\Riesig") {
      char name[16];
      for (std::uint64_t i = 0; i < kFolders; ++i) {
        const int length =
            std::snprintf(name, sizeof name, "d%07llu", static_cast<unsigned long long>(i));
        if (!sink({std::string_view(name, static_cast<std::size_t>(length)), 0, true, false})) {
          break;
        }
      }
    } else {
      sink({"f.dat", kFileBytes, false, false});
    }
    return quenora::ListingOutcome::Ok;
  }

  std::uint64_t listings = 0;
  std::uint64_t peakPrivate = 0;
};

struct MillionScan {
  MillionFolders listing;
  quenora::DriveScan scan;
};

// On a worker thread with the stack Quenora gives its scans.
void RunMillionScan(void* argument) {
  auto& run = *static_cast<MillionScan*>(argument);
  const std::atomic<bool> cancel{false};
  quenora::ScanProgress progress;
  run.scan = quenora::ScanDrive(run.listing, "Q:", cancel, progress);
  run.listing.peakPrivate = std::max(run.listing.peakPrivate, quenora::win32::PrivateBytes());
}

// The most the scan of a million folders holds above what the process held before it, as the
// heap counts it and as the system counts the process's private bytes.
bool MeasureMillionFolders() {
  constexpr double kMB = 1048576.0;
  constexpr double kGoalMB = 8;
  auto* run = new MillionScan;
  const std::uint64_t idlePrivate = quenora::win32::PrivateBytes();
  const std::size_t idleHeap = heapBytes.load();
  heapPeak.store(idleHeap);
  quenora::Thread worker;
  if (!worker.Start(RunMillionScan, run)) return false;
  worker.Join();
  const double heapMB = static_cast<double>(heapPeak.load() - idleHeap) / kMB;
  const double privateMB =
      static_cast<double>(std::max(run->listing.peakPrivate, idlePrivate) - idlePrivate) / kMB;
  const quenora::ScannedFolder& top = run->scan.folders[0];
  const bool right =
      run->scan.complete && top.bytes == MillionFolders::kFolders * MillionFolders::kFileBytes &&
      top.files == MillionFolders::kFolders && run->scan.folders.size() == quenora::kMaxKeptFolders;
  std::printf("a folder of %llu subfolders (%llu listings, %zu folders kept%s):\n",
              static_cast<unsigned long long>(MillionFolders::kFolders),
              static_cast<unsigned long long>(run->listing.listings), run->scan.folders.size(),
              right ? "" : ", WRONG totals");
  // Only the memory's source counts here.
  const std::string sources = quenora::win32::CounterSources();
  std::printf(
      "  peak heap of the scan %.1f MB (every block counted), peak private bytes %.1f MB\n"
      "  (%s, every 1,024th listing), above the process before it: %s %.0f MB\n",
      heapMB, privateMB, sources.substr(sources.find("memory: ") + 8).c_str(),
      std::max(heapMB, privateMB) <= kGoalMB ? "within" : "NOT within", kGoalMB);
  delete run;
  return right;
}

}  // namespace

int main(int argc, char** argv) {
  // First, while the process is as it started.
  const bool million = MeasureMillionFolders();
  if (argc < 2) return million ? 0 : 1;
  const std::string root = argv[1];
  const int rounds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 3;

  quenora::win32::Win32FolderListing listing;
  const std::atomic<bool> cancel{false};
  std::vector<double> scanTimes;
  std::vector<double> walkTimes;
  quenora::DriveScan scan;
  Walked walked;
  // One of each first, unmeasured: the file system's caches are then as warm for both.
  PlainWalk(quenora::win32::Widen(root));
  for (int round = 0; round < rounds; ++round) {
    quenora::ScanProgress progress;
    auto began = Clock::now();
    scan = quenora::ScanDrive(listing, root, cancel, progress);
    scanTimes.push_back(std::chrono::duration<double>(Clock::now() - began).count());
    began = Clock::now();
    walked = PlainWalk(quenora::win32::Widen(root));
    walkTimes.push_back(std::chrono::duration<double>(Clock::now() - began).count());
  }

  const quenora::ScannedFolder& top = scan.folders[0];
  const double scanTime = Median(scanTimes);
  const double walkTime = Median(walkTimes);
  std::printf(
      "tree: %llu files, %llu bytes (plain walk: %llu files, %llu bytes)\n",
      static_cast<unsigned long long>(top.files), static_cast<unsigned long long>(top.bytes),
      static_cast<unsigned long long>(walked.files), static_cast<unsigned long long>(walked.bytes));
  std::printf("scan %.3f s, plain walk %.3f s (medians of %d): ratio %.3f  %s\n", scanTime,
              walkTime, rounds, scanTime / walkTime,
              scanTime / walkTime <= 1.15 ? "within 1.15" : "NOT within 1.15");
  const std::size_t kept = KeptBytes(scan);
  std::printf("kept tree: %zu folders, %zu bytes (%.1f KB, %zu bytes a folder)\n",
              scan.folders.size(), kept, static_cast<double>(kept) / 1024.0,
              kept / std::max<std::size_t>(1, scan.folders.size()));
  std::printf("at the cap of %zu folders, about %.0f KB a scan (two kept per drive)\n",
              quenora::kMaxKeptFolders,
              static_cast<double>(kept) / static_cast<double>(scan.folders.size()) *
                  static_cast<double>(quenora::kMaxKeptFolders) / 1024.0);
  return top.files == walked.files && top.bytes == walked.bytes && million ? 0 : 1;
}
