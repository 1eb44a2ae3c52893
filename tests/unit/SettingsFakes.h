#pragma once
// Fakes of the registry and of the options window's controls; they record what was asked.

#include <algorithm>
#include <cctype>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Registry.h"
#include "settings/OptionsControls.h"
#include "settings/SettingsStore.h"

namespace quenora::testing {

// Events of several fakes in one sequence, where a test cares about their order.
using Journal = std::vector<std::string>;

inline std::string Joined(const std::vector<std::string>& events) {
  std::string text;
  for (const std::string& event : events) text += (text.empty() ? "" : " | ") + event;
  return text;
}

// Values by subkey and name, both case-insensitive as the registry's are.
class FakeRegistry : public Registry {
 public:
  std::optional<std::string> ReadUserText(std::string_view subkey, std::string_view name) override {
    ++reads;
    const auto it = values.find(Key(subkey, name));
    if (it == values.end()) return std::nullopt;
    return it->second;
  }
  bool WriteUserText(std::string_view subkey, std::string_view name,
                     std::string_view value) override {
    ++writes;
    if (throwOnWrite) throw std::runtime_error("registry write");
    if (failWrites) return false;
    values[Key(subkey, name)] = std::string(value);
    if (journal) journal->push_back("write " + std::string(name) + "=" + std::string(value));
    return true;
  }

  // The program's own values, set and read behind the store's back.
  void Set(std::string_view name, std::string value) {
    values[Key(kSettingsKey, name)] = std::move(value);
  }
  std::optional<std::string> Get(std::string_view name) const {
    const auto it = values.find(Key(kSettingsKey, name));
    if (it == values.end()) return std::nullopt;
    return it->second;
  }

  struct CaseInsensitiveLess {
    bool operator()(const std::string& a, const std::string& b) const {
      return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                          [](char x, char y) {
                                            return std::tolower(static_cast<unsigned char>(x)) <
                                                   std::tolower(static_cast<unsigned char>(y));
                                          });
    }
  };
  std::map<std::string, std::string, CaseInsensitiveLess> values;
  bool failWrites = false;
  bool throwOnWrite = false;
  int reads = 0, writes = 0;
  Journal* journal = nullptr;

 private:
  static std::string Key(std::string_view subkey, std::string_view name) {
    return std::string(subkey) + '\n' + std::string(name);
  }
};

// The options window's controls as plain values. The sliders keep whatever they are given,
// without the trackbar's clamping, so a test sees the value the code chose.
class FakeOptionsControls : public OptionsControls {
 public:
  struct Entry {
    std::string text;
    bool checked = false;
  };

  int TimerIntervalSliderValue() const override { return intervalSlider; }
  void SetTimerIntervalSliderValue(int seconds) override { intervalSlider = seconds; }
  int MemLimitSliderValue() const override { return limitSlider; }
  void SetMemLimitSliderValue(int megabytes) override { limitSlider = megabytes; }
  int Check1Value() const override { return check1; }
  void SetCheck1Value(int value) override { check1 = value; }
  void RefreshIntervalDisplay() override { intervalLabel = IntervalDisplayText(intervalSlider); }
  void RefreshLimitDisplay() override { limitLabel = LimitDisplayText(limitSlider); }

  void SetTimer1Interval(unsigned milliseconds) override {
    timerInterval = milliseconds;
    if (journal) journal->push_back("interval " + std::to_string(milliseconds));
  }
  void SetTimer1Enabled(bool enabled) override {
    timerEnabled = enabled;
    timerSwitches.push_back(enabled);
    if (journal) journal->push_back(enabled ? "timer on" : "timer off");
  }

  std::vector<std::string> RefreshDriveList() override {
    if (throwOnDriveList) throw std::runtime_error("drive list");
    return driveListBox;
  }

  void ClearLV() override { lv.clear(); }
  void AddLVEntry(std::string_view text) override { lv.push_back({std::string(text), false}); }
  int LVCount() const override { return static_cast<int>(lv.size()); }
  std::string LVText(int index) const override {
    return lv.at(static_cast<std::size_t>(index)).text;
  }
  bool LVChecked(int index) const override {
    return lv.at(static_cast<std::size_t>(index)).checked;
  }
  void SetLVChecked(int index, bool checked) override {
    lv.at(static_cast<std::size_t>(index)).checked = checked;
  }

  // The LV's checked entries by first letter, in list order ("CD").
  std::string CheckedLetters() const {
    std::string letters;
    for (const Entry& entry : lv) {
      if (entry.checked) letters.push_back(entry.text.empty() ? '?' : entry.text[0]);
    }
    return letters;
  }

  int intervalSlider = 0, limitSlider = 0, check1 = 0;
  std::string intervalLabel, limitLabel;
  unsigned timerInterval = 2000;
  bool timerEnabled = true;
  std::vector<bool> timerSwitches;  // every switching of Timer1, in order
  bool throwOnDriveList = false;
  std::vector<std::string> driveListBox = {"c: [SYSTEM]", "d:", "e: [DATEN]"};
  std::vector<Entry> lv;
  Journal* journal = nullptr;
};

}  // namespace quenora::testing
