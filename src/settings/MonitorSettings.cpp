#include "settings/MonitorSettings.h"

#include <algorithm>
#include <array>
#include <optional>
#include <string>

#include "util/Numbers.h"
#include "util/Rounding.h"

namespace quenora {

namespace {

// A stored number, or `fallback` where the text is no number (edited by hand).
double StoredNumber(const std::string& text, double fallback) {
  return ParseNumber(text).value_or(fallback);
}

// Whole number within the slider's range; the rounding sends halves to the even neighbour.
int SliderValue(double value, int minimum, int maximum) {
  return static_cast<int>(
      std::clamp(RoundHalfEven(value), static_cast<double>(minimum), static_cast<double>(maximum)));
}

// A drive letter for each of A to Z.
constexpr int kDriveLetters = 26;

char ToUpper(char c) {
  return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}
bool IsDriveLetter(char c) {
  return c >= 'A' && c <= 'Z';
}
int DriveNumberOf(char letter) {
  return letter % 64;
}

}  // namespace

std::string IntervalDisplayText(int seconds) {
  return std::to_string(seconds) + " Sekunden";
}
std::string LimitDisplayText(int megabytes) {
  return std::to_string(megabytes) + " Mbyte";
}

void MonitorSettings::ReadSettings() {
  // 1. The check interval.
  const int interval = SliderValue(
      StoredNumber(store_.LoadValue(kTimerIntervalKey, kDefaultInterval), kDefaultInterval),
      kMinInterval, kMaxInterval);
  controls_.SetTimerIntervalSliderValue(interval);
  controls_.SetTimer1Interval(static_cast<unsigned>(controls_.TimerIntervalSliderValue()) * 1000);
  controls_.RefreshIntervalDisplay();

  // 2. The alarm limit: the cycle keeps the stored megabytes (10.4 stays 10.4 until the next
  // apply writes the slider's 10), held within the slider's range.
  const double limit =
      std::clamp(StoredNumber(store_.LoadValue(kMemoryLimitKey, kDefaultLimit), kDefaultLimit),
                 static_cast<double>(kMinLimit), static_cast<double>(kMaxLimit));
  controls_.SetMemLimitSliderValue(SliderValue(limit, kMinLimit, kMaxLimit));
  controls_.RefreshLimitDisplay();

  // 3. The acoustic warning: any number but 0 switches it on.
  const double sound = StoredNumber(store_.LoadValue(kAlarmSoundEnabledKey, 1), 1);
  monitored_.SetAlarm(limit, sound != 0);
  controls_.SetCheck1Value(sound != 0 ? 1 : 0);

  // 4. The drive list: one entry per drive the system has now, unchecked.
  std::array<std::optional<int>, kDriveLetters + 1> entryOfDrive{};
  const std::vector<std::string> entries = controls_.RefreshDriveList();
  controls_.ClearLV();
  for (std::size_t i = 0; i < entries.size(); ++i) {
    std::string text = entries[i];
    if (text.empty()) continue;
    text[0] = ToUpper(text[0]);
    controls_.AddLVEntry(text);
    if (IsDriveLetter(text[0])) {
      entryOfDrive[static_cast<std::size_t>(DriveNumberOf(text[0]))] = controls_.LVCount() - 1;
    }
  }

  // 5. The monitored drives, in the stored order. Characters that are no drive letters
  // (edited by hand) are passed over as if they weren't there.
  std::string letters;
  for (const char c : store_.LoadValue(kDriveListKey, "C")) {
    if (IsDriveLetter(ToUpper(c))) letters.push_back(ToUpper(c));
  }
  if (letters.empty()) letters = "C";
  monitored_.RemoveMonitoredDrives();
  int monitoredCount = 0;

  // 6. One position and one tray icon per letter of a drive that exists, at most 26.
  for (const char letter : letters) {
    const int number = DriveNumberOf(letter);
    const std::optional<int> entry = entryOfDrive[static_cast<std::size_t>(number)];
    if (!entry) continue;
    if (monitoredCount >= kDriveLetters) break;
    ++monitoredCount;
    monitored_.AddMonitoredDrive(number);
    controls_.SetLVChecked(*entry, true);
  }
}

void MonitorSettings::WriteSettings() {
  store_.SaveValue(kDoneBeforeKey, 1);
  store_.SaveValue(kMemoryLimitKey, controls_.MemLimitSliderValue());
  store_.SaveValue(kTimerIntervalKey, controls_.TimerIntervalSliderValue());
  store_.SaveValue(kAlarmSoundEnabledKey, controls_.Check1Value());
  std::string letters;
  for (int i = 0; i < controls_.LVCount(); ++i) {
    const std::string text = controls_.LVText(i);
    if (controls_.LVChecked(i) && !text.empty()) letters.push_back(text[0]);
  }
  store_.SaveValue(kDriveListKey, letters);
}

}  // namespace quenora
