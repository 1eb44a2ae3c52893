#pragma once
// What the window "Was belegt Platz auf D:?" shows of a drive's scans: its list rows and
// texts, and what its buttons start.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/SystemServices.h"
#include "scan/DriveScan.h"

namespace quenora {

// One line of the list.
struct ScanRow {
  // A folder (the drive's root too), the files right in a folder ("(Dateien)"), a folder's
  // folders not listed ("(übrige Ordner)"), the count of folders that couldn't be read.
  enum class Kind { Folder, Files, Other, Unreadable };
  Kind kind = Kind::Folder;
  std::string path;  // the folder to open, for "(Dateien)" and "(übrige Ordner)" theirs
  int depth = 1;     // 0 for the root, 1 for a folder in it, down to kScanDepth
  std::string name, size, share, growth;
  std::uint64_t bytes = 0;
  friend bool operator==(const ScanRow&, const ScanRow&) = default;
};

// At most this many rows of folders below the root; the root's, the lines for the rest of a
// folder and the one for unreadable folders come on top.
inline constexpr std::size_t kMaxScanRows = 40;

// The rows of `latest`: the root with the scan's total first, then siblings ordered by their
// growth since `previous` when a folder grew, by size otherwise, each folder under its parent
// and followed by the rest of what it holds, so that the rows below a folder add up to it.
// Growth is shown where both scans kept a folder, "neu" where it wasn't there before.
// `previousTime` is when `previous` ended ("14:05"); `totalBytes` gives the shares of the drive.
std::vector<ScanRow> BuildScanRows(const DriveScan& latest, const DriveScan* previous,
                                   std::optional<double> totalBytes,
                                   std::string_view decimalSeparator,
                                   std::string_view previousTime);

// A size's share of the drive, "20 %" ("<1 %" for a little); empty without the drive's size.
std::string ShareText(std::uint64_t bytes, std::optional<double> totalBytes);
// "+10,0 GB seit 14:05", "−2,0 GB seit 14:05"; empty for no change.
std::string GrowthText(std::int64_t growth, std::string_view decimalSeparator,
                       std::string_view since);
// "14:05".
std::string ClockText(int hour, int minute);
// "Was belegt Platz auf D:?"
std::string ScanWindowTitle(char letter);
// "D: »DATEN« – 512,0 GB, davon 51,2 GB frei"
std::string ScanDriveText(char letter, std::string_view label, std::optional<double> totalBytes,
                          std::optional<double> freeBytes, std::string_view decimalSeparator);
// Below the drive: what the list shows, "Stand 14:20 · 5,2 GB mehr belegt als um 14:05".
std::string ScanStateText(const DriveScan* latest, const DriveScan* previous, bool running,
                          std::string_view latestTime, std::string_view previousTime,
                          std::string_view decimalSeparator);
// "12 345 Ordner, 81,2 GB bisher"
std::string ScanProgressText(std::uint64_t folders, std::uint64_t bytes,
                             std::string_view decimalSeparator);

// A program to start through the shell: its full path and its command line.
struct ProcessStart {
  std::string application, commandLine;
  friend bool operator==(const ProcessStart&, const ProcessStart&) = default;
};

// The file manager showing `folder`.
ProcessStart OpenFolderStart(std::string_view windowsDirectory, std::string_view folder);

// The system's own clean-up for a drive: a settings page to open, or else the first of these
// programs that starts.
struct CleanUpStart {
  std::string settingsPage;
  std::vector<ProcessStart> processes;
  friend bool operator==(const CleanUpStart&, const CleanUpStart&) = default;
};
CleanUpStart CleanUpFor(char letter, const WindowsVersionRecord& version,
                        std::string_view windowsDirectory);

}  // namespace quenora
