// What Quenora's scan of a folder tree costs, against the least a program can do to add up the
// same tree: a plain walk with FindFirstFileExW (basic information, large fetch) that sums the
// file sizes and skips links. Both run in turn in the same process, several times; the medians
// are compared. Also prints the memory the kept tree of the scan takes.
//
//   folder_scan_bench ROOT [rounds]     ROOT: "S:" or a folder ("Z:\tmp\tree")

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/win32/WideText.h"
#include "platform/win32/Win32FolderListing.h"
#include "scan/FolderScanner.h"

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

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: folder_scan_bench ROOT [rounds]\n");
    return 2;
  }
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
  return top.files == walked.files && top.bytes == walked.bytes ? 0 : 1;
}
