// Every stored setting read back through the program's own routines: ReadSettings (interval,
// limit, sound, drive list), WriteSettings, and the options window's position.
// Input, fields separated by the byte 0xFF (a field of just 0xFE, or one past the last, is a
// value that isn't stored at all):
//   0 "TimerInterval"  1 "MemoryLimit"  2 "AlarmSoundEnabled"  3 "DriveList"  4 "_Top"
//   5 "_Left"  6 the letters of the drives the system has ("cde" when absent)
//   7 screen width, screen height, window width, window height in twips, as text
//     ("15360 11520 7000 5000" when absent; "nan", "inf", "-1e300" are allowed)
//   8 "_SID", the version for which the start hint was turned off.
//   9 "DriveLimits"  10 "DriveWarnings", each drive's own levels.
//
// Whatever is stored, the settings come out within the sliders' ranges, the drive list holds
// only drives that exist, at most 26 positions, each with its one tray icon, each drive's own
// levels are sound numbers, and what is then saved reads back as itself.

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "Fakes.h"
#include "FuzzInput.h"
#include "SettingsFakes.h"
#include "settings/MonitorSettings.h"
#include "ui/StartInfo.h"
#include "ui/TrayView.h"
#include "util/Numbers.h"
#include "util/ProgramIdentity.h"

namespace {

using namespace quenora;
using quenora::fuzz::Fields;

// The window and screen as fixed numbers; records every move.
class FakeGeometry : public FormGeometry {
 public:
  double Left() const override { return left; }
  double Top() const override { return top; }
  double Width() const override { return width; }
  double Height() const override { return height; }
  void SetLeft(double twips) override {
    left = twips;
    moves.push_back({'L', twips});
  }
  void SetTop(double twips) override {
    top = twips;
    moves.push_back({'T', twips});
  }
  double ScreenWidth() const override { return screenWidth; }
  double ScreenHeight() const override { return screenHeight; }

  struct Move {
    char edge;
    double twips;
  };
  double left = 0, top = 0, width = 7000, height = 5000;
  double screenWidth = 15360, screenHeight = 11520;
  std::vector<Move> moves;
};

// The start hint's dialog: counts how often it is shown, and is left with OK and the tick.
class FakeStartInfoView : public StartInfoView {
 public:
  StartInfoAnswer ShowModal(std::string_view) override {
    ++shown;
    return {true, true};
  }
  int shown = 0;
};

char Upper(char c) {
  return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}
bool IsLetter(char c) {
  return Upper(c) >= 'A' && Upper(c) <= 'Z';
}

// A stored number as the program reads it, or `fallback` when absent or no number.
double Stored(const std::optional<std::string>& text, double fallback) {
  if (!text) return fallback;
  return ParseNumber(*text).value_or(fallback);
}

// To the nearest whole number, halves to the even neighbour, as a 32-bit integer.
std::optional<std::int32_t> Int32(double value) {
  const double rounded = std::nearbyint(value);  // the default rounding mode: halves to even
  if (!(rounded >= -2147483648.0 && rounded <= 2147483647.0)) return std::nullopt;
  return static_cast<std::int32_t>(rounded);
}

bool IsInt32(double value) {
  return value == std::floor(value) && value >= -2147483648.0 && value <= 2147483647.0;
}

struct Program {
  explicit Program(const std::string& systemDrives) {
    for (std::size_t i = 0; i < icons.size(); ++i) icons[i] = 1000 + i;
    for (char letter = 'a'; letter <= 'z'; ++letter) {
      const bool exists = std::any_of(systemDrives.begin(), systemDrives.end(),
                                      [&](char c) { return Upper(c) == Upper(letter); });
      if (!exists) continue;
      // Local disks, some with a label: the list's entries are the letter, a colon and the
      // label in brackets.
      const std::string label = letter % 2 ? "DATEN" : "";
      logicalDrives.drives[Upper(letter)] = {DriveType::Fixed, label};
      driveList.push_back(std::string(1, Upper(letter)) + ":" + (label.empty() ? "" : " [DATEN]"));
      drivesThatExist.push_back(Upper(letter));
    }
  }
  bool Exists(char letter) const {
    return std::find(drivesThatExist.begin(), drivesThatExist.end(), letter) !=
           drivesThatExist.end();
  }
  std::string Monitored() const {
    std::string letters;
    for (std::int32_t p = 0; p < drives.DriveCount; ++p) {
      letters += DriveName(drives.DriveNumbers[static_cast<std::size_t>(p)])[0];
    }
    return letters;
  }

  std::string drivesThatExist;
  std::vector<std::string> driveList;  // the entries the drive list should show, in order
  testing::FakeRegistry registry;
  SettingsStore store{registry};
  OptionsValues options;
  testing::FakeLogicalDrives logicalDrives;
  const std::shared_ptr<testing::FakeDiskSpace> diskService =
      std::make_shared<testing::FakeDiskSpace>();
  testing::FakeDiskSpace& disks = *diskService;
  testing::FakeNotifyArea shell;
  testing::FakeSystem system;
  DriveTable drives;
  IconImages icons{};
  FreeSpace freeSpace{disks, system};
  TrayIconSet tray{shell, system};
  CheckCycle cycle{drives, freeSpace, diskService, system};
  TrayView view{cycle, tray, system, icons};
  MonitorSettings settings{store, logicalDrives, view};
};

// The drives ReadSettings should monitor for a stored list: its letters in its order, upper
// case, other characters passed over, "C" for an empty list, absent drives left out, at most
// 26 positions.
std::string ExpectedMonitored(const Program& program, const std::optional<std::string>& stored) {
  std::string letters;
  for (const char c : stored.value_or("C")) {
    if (IsLetter(c)) letters.push_back(Upper(c));
  }
  if (letters.empty()) letters = "C";
  std::string monitored;
  for (const char letter : letters) {
    if (program.Exists(letter) && monitored.size() < kMaxDrives) monitored.push_back(letter);
  }
  return monitored;
}

// Checks everything ReadSettings leaves behind against the stored texts.
void CheckRead(Program& program, const std::optional<std::string>& interval,
               const std::optional<std::string>& limit, const std::optional<std::string>& sound,
               const std::optional<std::string>& driveList) {
  const OptionsValues& options = program.options;

  const double expectedInterval = std::clamp(std::nearbyint(Stored(interval, 10)), 1.0, 60.0);
  CHECK(options.timerInterval == expectedInterval);

  const double expectedLimit = std::clamp(Stored(limit, 10), 1.0, 1000.0);
  CHECK(program.cycle.MemoryLimit == expectedLimit);
  CHECK(options.memLimit == std::nearbyint(expectedLimit));
  CHECK(options.memLimit >= 1 && options.memLimit <= 1000);

  const int expectedSound = Stored(sound, 1) != 0 ? 1 : 0;
  CHECK(program.cycle.AlarmSoundEnabled == expectedSound);
  CHECK(options.alarmSound == (expectedSound == 1));

  // Positions: dense, 1..26 each, only drives that exist, in the stored order.
  const std::string monitored = ExpectedMonitored(program, driveList);
  CHECK(program.drives.DriveCount >= 0 && program.drives.DriveCount <= kMaxDrives);
  for (std::int32_t p = 0; p < program.drives.DriveCount; ++p) {
    const std::int32_t number = program.drives.DriveNumbers[static_cast<std::size_t>(p)];
    CHECK(number >= 1 && number <= 26);
  }
  CHECK(program.Monitored() == monitored);

  // One new icon per position, numbered by position, with the unreadable picture and no tip.
  CHECK(program.shell.requests.size() == monitored.size());
  for (std::size_t i = 0; i < program.shell.requests.size(); ++i) {
    const auto& request = program.shell.requests[i];
    CHECK(request.message == kNimAdd);
    CHECK(request.record.uID == i + 1);
    CHECK(request.record.hIcon == program.icons[kIconUnreadable]);
    CHECK(request.Tip().empty());
  }

  // The LV: the system's drives in their order, letter in upper case, the monitored checked.
  CHECK(options.drives.size() == program.driveList.size());
  for (std::size_t i = 0; i < options.drives.size(); ++i) {
    const std::string& text = program.driveList[i];
    CHECK(options.drives[i].text == text);
    CHECK(options.drives[i].checked == (monitored.find(text[0]) != std::string::npos));
  }
}

void CheckPosition(Program& program, const std::optional<std::string>& topText,
                   const std::optional<std::string>& leftText, FakeGeometry& window) {
  const std::optional<std::int32_t> top = Int32(Stored(topText, -1));
  const std::optional<std::int32_t> left = Int32(Stored(leftText, -1));
  // A stored text that is no number may count as missing or as anything off the screen; a
  // number decides by itself.
  const bool topIsNumber = !topText || ParseNumber(*topText);
  const bool leftIsNumber = !leftText || ParseNumber(*leftText);

  program.store.RestoreFormPosition(window);
  CHECK(window.moves.size() == 2);
  for (const FakeGeometry::Move& move : window.moves) CHECK(IsInt32(move.twips));

  const bool onScreen = top && left && *top >= 0 && *left >= 0 && window.screenHeight > *top &&
                        window.screenWidth > *left;
  if (window.moves[0].edge == 'T') {
    // Placed where it was: only a usable corner on the screen gets here.
    CHECK(topIsNumber && leftIsNumber && onScreen);
    CHECK(window.moves[0].twips == *top);
    CHECK(window.moves[1].edge == 'L' && window.moves[1].twips == *left);
    return;
  }
  // Centred, left first, each half of the difference, cut toward zero.
  CHECK(!(topIsNumber && leftIsNumber && onScreen));
  CHECK(window.moves[0].edge == 'L' && window.moves[1].edge == 'T');
  const std::optional<std::int32_t> dx = Int32(window.screenWidth - window.width);
  const std::optional<std::int32_t> dy = Int32(window.screenHeight - window.height);
  if (dx) CHECK(window.moves[0].twips == *dx / 2);
  if (dy) CHECK(window.moves[1].twips == *dy / 2);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const Fields fields(data, size);
  const std::optional<std::string> interval = fields.Value(0), limit = fields.Value(1),
                                   sound = fields.Value(2), driveList = fields.Value(3),
                                   top = fields.Value(4), left = fields.Value(5);
  Program program(fields.Value(6).value_or("cde"));
  if (interval) program.registry.Set(kTimerIntervalKey, *interval);
  if (limit) program.registry.Set(kMemoryLimitKey, *limit);
  if (sound) program.registry.Set(kAlarmSoundEnabledKey, *sound);
  if (driveList) program.registry.Set(kDriveListKey, *driveList);
  if (top) program.registry.Set("_Top", *top);
  if (left) program.registry.Set("_Left", *left);
  const std::optional<std::string> ownLimits = fields.Value(9), earlyLevels = fields.Value(10);
  if (ownLimits) program.registry.Set(kDriveLimitsKey, *ownLimits);
  if (earlyLevels) program.registry.Set(kDriveWarningsKey, *earlyLevels);

  // 1. Reading what is stored.
  program.settings.ReadSettings(program.options);
  CheckRead(program, interval, limit, sound, driveList);
  CHECK(program.registry.writes == 0);
  // Every level read is a number above 0, a percent at most 100, and the cycle holds them all.
  for (const DriveLevels* levels : {&program.options.driveLimits, &program.options.driveWarnings}) {
    for (const std::optional<DriveLevel>& level : *levels) {
      if (!level) continue;
      CHECK(std::isfinite(level->number) && level->number > 0);
      CHECK(level->unit != DriveLevel::Unit::Percent || level->number <= 100);
      CHECK(LevelBytes(*level, 1e15) >= 0 && LevelBytes(*level, 1e15) <= 1e15);
    }
  }
  CHECK(program.cycle.OwnLimits == program.options.driveLimits);
  CHECK(program.cycle.EarlyLevels == program.options.driveWarnings);

  // 2. Saving: the sliders' whole numbers, "1"/"0", and the monitored drives once each in
  // ascending order.
  const std::string monitored = program.Monitored();
  program.settings.WriteSettings(program.options);
  const auto saved = [&](std::string_view key) { return program.registry.Get(key); };
  CHECK(saved(kDoneBeforeKey) == "1");
  CHECK(saved(kTimerIntervalKey) == std::to_string(program.options.timerInterval));
  CHECK(saved(kMemoryLimitKey) == std::to_string(program.options.memLimit));
  CHECK(saved(kAlarmSoundEnabledKey) == (program.options.alarmSound ? "1" : "0"));
  std::string ascending;
  for (const char letter : program.drivesThatExist) {
    if (monitored.find(letter) != std::string::npos) ascending.push_back(letter);
  }
  CHECK(saved(kDriveListKey) == ascending);

  // 3. What was saved reads back as itself.
  const int savedInterval = program.options.timerInterval;
  const int savedLimit = program.options.memLimit;
  const bool savedSound = program.options.alarmSound;
  const DriveLevels savedLimits = program.options.driveLimits;
  const DriveLevels savedEarly = program.options.driveWarnings;
  program.shell.requests.clear();
  program.settings.ReadSettings(program.options);
  CheckRead(program, saved(kTimerIntervalKey), saved(kMemoryLimitKey), saved(kAlarmSoundEnabledKey),
            saved(kDriveListKey));
  CHECK(program.options.timerInterval == savedInterval);
  CHECK(program.cycle.MemoryLimit == savedLimit);
  CHECK(program.options.alarmSound == savedSound);
  CHECK(program.options.driveLimits == savedLimits);
  CHECK(program.options.driveWarnings == savedEarly);
  CHECK(DriveLevelsText(savedLimits) == saved(kDriveLimitsKey));
  if (!ascending.empty()) CHECK(program.Monitored() == ascending);

  // 4. The window's position.
  FakeGeometry window;
  const std::string geometry = fields.Value(7).value_or("");
  const char* cursor = geometry.c_str();
  for (double* value : {&window.screenWidth, &window.screenHeight, &window.width, &window.height}) {
    char* end = nullptr;
    const double number = std::strtod(cursor, &end);
    if (end == cursor) break;
    *value = number;
    cursor = end;
  }
  CheckPosition(program, top, left, window);

  // Saved and restored on the same screen, a window stays where it is (while its edges are
  // whole numbers a float holds exactly, as the toolkit's twips are).
  const double placedTop = window.top, placedLeft = window.left;
  program.store.SaveFormPosition(window);
  FakeGeometry again = window;
  again.moves.clear();
  CheckPosition(program, program.registry.Get("_Top"), program.registry.Get("_Left"), again);
  if (std::fabs(placedTop) < 16777216 && std::fabs(placedLeft) < 16777216) {
    CHECK(again.top == placedTop && again.left == placedLeft);
  }

  // 5. The start hint comes unless it was turned off for exactly this version; turned off
  // once, it stays away.
  const std::optional<std::string> hintOff = fields.Value(8);
  if (hintOff) program.registry.Set("_SID", *hintOff);
  FakeStartInfoView dialog;
  StartInfoDialogModule hint(program.store, dialog);
  hint.ShowStartInfo(kTrayStartHint, "");
  CHECK(dialog.shown == (hintOff == VersionText(VersionBare) ? 0 : 1));
  CHECK(program.registry.Get("_SID") == VersionText(VersionBare));
  hint.ShowStartInfo(kTrayStartHint, "");
  CHECK(dialog.shown <= 1);
  return 0;
}
