#pragma once
// The controls of the options window that hold the settings between two applies, and its
// check timer, as the portable code reads and sets them.

#include <string>
#include <string_view>
#include <vector>

namespace quenora {

class OptionsControls {
 public:
  virtual ~OptionsControls() = default;

  virtual int TimerIntervalSliderValue() const = 0;
  virtual void SetTimerIntervalSliderValue(int seconds) = 0;
  virtual int MemLimitSliderValue() const = 0;
  virtual void SetMemLimitSliderValue(int megabytes) = 0;
  // Check1(0), the acoustic warning: 1 checked, 0 not.
  virtual int Check1Value() const = 0;
  virtual void SetCheck1Value(int value) = 0;
  // Writes the sliders' values into their labels.
  virtual void RefreshIntervalDisplay() = 0;
  virtual void RefreshLimitDisplay() = 0;

  virtual void SetTimer1Interval(unsigned milliseconds) = 0;
  virtual void SetTimer1Enabled(bool enabled) = 0;

  // Refreshes the hidden drive list box and returns its entries: the system's drives in
  // ascending letter order, each beginning with the letter and a colon.
  virtual std::vector<std::string> RefreshDriveList() = 0;

  // The drive list LV: entries with a text and a check mark.
  virtual void ClearLV() = 0;
  virtual void AddLVEntry(std::string_view text) = 0;
  virtual int LVCount() const = 0;
  virtual std::string LVText(int index) const = 0;
  virtual bool LVChecked(int index) const = 0;
  virtual void SetLVChecked(int index, bool checked) = 0;
};

// The texts of the sliders' value labels: "10 Sekunden", "10 Mbyte".
std::string IntervalDisplayText(int seconds);
std::string LimitDisplayText(int megabytes);

}  // namespace quenora
