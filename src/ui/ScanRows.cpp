#include "ui/ScanRows.h"

#include <algorithm>
#include <cstdlib>

#include "util/Rounding.h"
#include "util/SizeText.h"
#include "util/Text.h"

namespace quenora {

namespace {

constexpr char kMinus[] = "\xE2\x88\x92";     // −, wider than a hyphen, as a sign should be
constexpr char kDash[] = " \xE2\x80\x93 ";    // –
constexpr char kEllipsis[] = "\xE2\x80\xA6";  // …
constexpr char kNoBreakSpace[] = "\xC2\xA0";

// The folders of the root are all offered, the first of them; below them only those that
// matter: a folder that holds a small part of the drive tells the user nothing about where
// the space went, and a long list hides the few rows that do.
constexpr std::size_t kFirstLevelRows = 12;
constexpr std::size_t kDeeperRowsPerFolder = 5;
// A deeper folder is shown when it holds this share of what the scan found (in percent) ...
constexpr double kDeeperMinPercent = 1;
// ... or carries this share of its parent's growth, so the way to where the drive grows stays
// visible even through small folders.
constexpr double kDeeperMinGrowthShare = 0.1;
// The files right in a folder, and its folders not shown, get a line below it when they hold
// this share of it (in percent): less is within what the eye rounds off the sizes anyway,
// and nearly every folder has a few small files of its own.
constexpr double kRestMinPercent = 1;

std::string GroupedNumber(std::uint64_t value) {
  // Groups of three for the eye, held together so that a label never breaks a number.
  const std::string digits = IntText(static_cast<std::int64_t>(value));
  std::string text;
  for (std::size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0) text += kNoBreakSpace;
    text += digits[i];
  }
  return text;
}

std::string NameOf(const std::string& path) {
  const std::size_t slash = path.find_last_of('\\');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

std::string ShareText(std::uint64_t bytes, std::optional<double> totalBytes) {
  if (!totalBytes || !(*totalBytes > 0)) return "";
  const double percent = RoundHalfAwayFromZero(static_cast<double>(bytes) / *totalBytes * 100);
  // A folder that holds anything is never "0 %": it does take space.
  if (percent < 1) return bytes > 0 ? "<1 %" : "0 %";
  return Cat({IntText(static_cast<std::int64_t>(percent)), " %"});
}

std::string GrowthText(std::int64_t growth, std::string_view decimalSeparator,
                       std::string_view since) {
  if (growth == 0) return "";
  const double amount = std::abs(static_cast<double>(growth));
  return Cat({growth > 0 ? "+" : kMinus, SizeText(amount, decimalSeparator), " seit ", since});
}

std::vector<ScanRow> BuildScanRows(const DriveScan& latest, const DriveScan* previous,
                                   std::optional<double> totalBytes,
                                   std::string_view decimalSeparator,
                                   std::string_view previousTime) {
  std::vector<ScanRow> rows;
  const std::vector<ScannedFolder>& folders = latest.folders;
  if (folders.empty()) return rows;
  const std::size_t count = folders.size();

  // Growth only where both scans kept the folder: a folder that only the newer scan kept (the
  // cap may keep other folders each time) didn't grow by its whole size.
  const std::vector<FolderGrowth> changes =
      previous ? GrowthSince(*previous, latest) : std::vector<FolderGrowth>(count);
  std::vector<std::int64_t> growth(count, 0);
  for (std::size_t i = 0; i < count; ++i) {
    if (changes[i].compared) growth[i] = changes[i].bytes;
  }
  const bool anyGrew = std::any_of(growth.begin() + 1, growth.end(), [](auto g) { return g > 0; });

  // Children in the order the list shows them. The scan lists every folder after its parent;
  // a parent index that breaks that is skipped rather than trusted.
  std::vector<std::vector<std::size_t>> children(count);
  for (std::size_t i = 1; i < count; ++i) {
    const int parent = folders[i].parent;
    if (parent >= 0 && static_cast<std::size_t>(parent) < i) {
      children[static_cast<std::size_t>(parent)].push_back(i);
    }
  }
  // What grows is what the user came for; without growth, what is big.
  const auto before = [&](std::size_t a, std::size_t b) {
    if (anyGrew && growth[a] != growth[b]) return growth[a] > growth[b];
    if (folders[a].bytes != folders[b].bytes) return folders[a].bytes > folders[b].bytes;
    return folders[a].path < folders[b].path;
  };
  // Paths are unique, so the order is total and a plain sort is stable enough.
  for (auto& list : children) std::sort(list.begin(), list.end(), before);

  // Admitted level by level, so the cap cuts the deepest rows first and never a folder of the
  // root in favour of one inside another.
  const double scanned = static_cast<double>(folders[0].bytes);
  std::vector<bool> shown(count, false);
  std::vector<std::size_t> level{0};
  std::size_t admitted = 0;
  for (int depth = 1; depth <= kScanDepth && admitted < kMaxScanRows; ++depth) {
    std::vector<std::size_t> next;
    for (const std::size_t parent : level) {
      std::size_t taken = 0;
      const std::size_t limit = depth == 1 ? kFirstLevelRows : kDeeperRowsPerFolder;
      for (const std::size_t child : children[parent]) {
        if (taken == limit || admitted == kMaxScanRows) break;
        const double bytes = static_cast<double>(folders[child].bytes);
        const bool matters =
            depth == 1 ? bytes > 0 || growth[child] != 0
                       : bytes * 100 >= scanned * kDeeperMinPercent ||
                             (growth[parent] > 0 && growth[child] > 0 &&
                              static_cast<double>(growth[child]) >=
                                  static_cast<double>(growth[parent]) * kDeeperMinGrowthShare);
        if (!matters) continue;
        shown[child] = true;
        next.push_back(child);
        ++taken;
        ++admitted;
      }
    }
    level = std::move(next);
  }

  const auto sized = [&](ScanRow::Kind kind, std::size_t folder, int depth, std::string name,
                         std::uint64_t bytes) {
    ScanRow row;
    row.kind = kind;
    row.path = folders[folder].path;
    row.depth = depth;
    row.name = std::move(name);
    row.size = SizeText(static_cast<double>(bytes), decimalSeparator);
    row.share = ShareText(bytes, totalBytes);
    row.bytes = bytes;
    return row;
  };
  const auto folderRow = [&](std::size_t i) {
    ScanRow row = sized(ScanRow::Kind::Folder, i, folders[i].depth,
                        i == 0 ? folders[i].path : NameOf(folders[i].path), folders[i].bytes);
    if (changes[i].added) {
      row.growth = "neu";
    } else if (changes[i].compared) {
      row.growth = GrowthText(changes[i].bytes, decimalSeparator, previousTime);
    }
    return row;
  };
  // After a folder's rows, what else it holds, so that the rows below it add up to it: the
  // files right in it, and its folders the list doesn't show (too small, or left out by the
  // cap on kept folders). Each only where it matters beside the folder's own size.
  const auto rest = [&](std::size_t i) {
    std::uint64_t listed = 0;
    for (const std::size_t child : children[i]) {
      if (shown[child]) listed += folders[child].bytes;
    }
    if (listed == 0) return;  // the folder's own row says it all
    const ScannedFolder& folder = folders[i];
    const auto matters = [&](std::uint64_t bytes) {
      return bytes > 0 && static_cast<double>(bytes) * 100 >=
                              static_cast<double>(folder.bytes) * kRestMinPercent;
    };
    const std::uint64_t own =
        std::min(folder.ownBytes, folder.bytes - std::min(folder.bytes, listed));
    if (matters(own)) {
      ScanRow row = sized(ScanRow::Kind::Files, i, folder.depth + 1, "(Dateien)", own);
      if (changes[i].compared) {
        row.growth = GrowthText(changes[i].ownBytes, decimalSeparator, previousTime);
      }
      rows.push_back(std::move(row));
    }
    const std::uint64_t others = folder.bytes - std::min(folder.bytes, listed + own);
    if (matters(others)) {
      rows.push_back(sized(ScanRow::Kind::Other, i, folder.depth + 1,
                           "(\xC3\xBC"
                           "brige Ordner)",
                           others));
    }
  };

  // The drive's scanned total first, then each shown folder under its parent, in the
  // siblings' order, each one's rest after its folders.
  shown[0] = true;
  std::vector<std::pair<std::size_t, bool>> stack{{0, false}};  // a folder; whether it ends
  while (!stack.empty()) {
    const auto [i, ends] = stack.back();
    stack.pop_back();
    if (ends) {
      rest(i);
      continue;
    }
    if (!shown[i]) continue;
    rows.push_back(folderRow(i));
    stack.push_back({i, true});
    for (auto it = children[i].rbegin(); it != children[i].rend(); ++it) {
      stack.push_back({*it, false});
    }
  }

  if (const std::uint64_t unreadable = folders[0].unreadableFolders; unreadable > 0) {
    ScanRow line;
    line.kind = ScanRow::Kind::Unreadable;
    line.depth = 0;
    line.name = Cat({GroupedNumber(unreadable), " Ordner nicht lesbar"});
    rows.push_back(std::move(line));
  }
  return rows;
}

std::string ClockText(int hour, int minute) {
  return Cat({IntText(hour % 100, 2), ":", IntText(minute % 100, 2)});
}

std::string ScanWindowTitle(char letter) {
  return Cat({"Was belegt Platz auf ", {&letter, 1}, ":?"});
}

std::string ScanDriveText(char letter, std::string_view label, std::optional<double> totalBytes,
                          std::optional<double> freeBytes, std::string_view decimalSeparator) {
  std::string text{letter, ':'};
  if (!label.empty()) {
    text += " \xC2\xBB";  // »
    text += label;
    text += "\xC2\xAB";  // «
  }
  if (totalBytes) {
    text += kDash;
    text += SizeText(*totalBytes, decimalSeparator);
    if (freeBytes) text += Cat({", davon ", SizeText(*freeBytes, decimalSeparator), " frei"});
  }
  return text;
}

std::string ScanStateText(const DriveScan* latest, const DriveScan* previous, bool running,
                          std::string_view latestTime, std::string_view previousTime,
                          std::string_view decimalSeparator) {
  if (running) {
    // The list meanwhile keeps the last scan's rows; the user should know how old they are.
    return latest ? Cat({"Wird durchsucht ", kEllipsis, " Die Liste zeigt den Stand von ",
                         latestTime, "."})
                  : Cat({"Wird durchsucht ", kEllipsis});
  }
  if (!latest) return "Noch nicht durchsucht.";
  std::string text = Cat({"Stand ", latestTime});
  if (!latest->complete) return Cat({text, " (unvollst\xC3\xA4ndig)"});
  if (!previous || latest->folders.empty() || previous->folders.empty()) return text;
  const std::int64_t growth = static_cast<std::int64_t>(latest->folders[0].bytes) -
                              static_cast<std::int64_t>(previous->folders[0].bytes);
  text += kDash;
  if (growth == 0) return Cat({text, "unver\xC3\xA4ndert seit ", previousTime});
  return Cat({text, SizeText(std::abs(static_cast<double>(growth)), decimalSeparator),
              growth > 0 ? " mehr" : " weniger", " belegt als um ", previousTime});
}

std::string ScanProgressText(std::uint64_t folders, std::uint64_t bytes,
                             std::string_view decimalSeparator) {
  return Cat({GroupedNumber(folders), " Ordner, ",
              SizeText(static_cast<double>(bytes), decimalSeparator), " bisher"});
}

ProcessStart OpenFolderStart(std::string_view windowsDirectory, std::string_view folder) {
  // The file manager by its full path, as a drive is opened from the tray; the folder quoted,
  // since folder names have blanks. A root ("D:\") has none, and its backslash would escape
  // the closing quote.
  const bool root = !folder.empty() && folder.back() == '\\';
  return {Cat({windowsDirectory, "\\explorer.exe"}),
          root ? Cat({"explorer ", folder}) : Cat({"explorer \"", folder, "\""})};
}

CleanUpStart CleanUpFor(char letter, const WindowsVersionRecord& version,
                        std::string_view windowsDirectory) {
  // Windows 10 and 11 (both report 10) clean up through Storage Sense, whose settings page
  // also reaches temporary files, the recycle bin and old updates; the disk clean-up program
  // is deprecated there. Older systems have only the disk clean-up, which takes the drive.
  if (version.majorVersion >= 10) return {"ms-settings:storagesense", {}};
  // The 32-bit program on a 64-bit system sees System32 as SysWOW64, which may lack the
  // clean-up; Sysnative is the real System32 for it, and exists for nothing else.
  const std::string commandLine = Cat({"cleanmgr.exe /d ", {&letter, 1}, ":"});
  return {"",
          {{Cat({windowsDirectory, "\\System32\\cleanmgr.exe"}), commandLine},
           {Cat({windowsDirectory, "\\Sysnative\\cleanmgr.exe"}), commandLine}}};
}

}  // namespace quenora
