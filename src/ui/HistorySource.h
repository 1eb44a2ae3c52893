#pragma once
// What a history window shows of a drive, and where the program gets it from.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "history/HistoryChart.h"

namespace quenora {

// What the window shows of a drive, as the program knows it when the window opens.
struct HistoryData {
  char letter = 'C';
  std::string label;
  std::optional<double> limitBytes;  // the alarm limit in free bytes
  std::string limitText;             // "10 % = 51,2 GB"
  std::optional<double> earlyBytes;  // the early level in free bytes
  // Reads the drive's slots, finest ring first; called as the window opens.
  std::function<HistoryRings()> loadSlots;
  // The long forecast: when the free space reaches the limit (UTC seconds), and how long until
  // then in words ("in etwa 3 Wochen").
  std::optional<std::int64_t> fullAt;
  std::string timeLeftText;
  // When recording began (UTC seconds); unknown: the first slot's start.
  std::optional<std::int64_t> recordedSince;
};

// Where the program gets a drive's history from.
class HistorySource {
 public:
  virtual HistoryData HistoryOf(char letter) = 0;

 protected:
  ~HistorySource() = default;
};

}  // namespace quenora
