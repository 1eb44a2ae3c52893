#pragma once
// What the history window shows of a drive: its time ranges, the resolution each draws, the
// axes with their German labels, the value at a time, the summary above and the CSV text.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#include "history/HistorySlot.h"

namespace quenora {

enum class HistoryRange { kTag, kWoche, kMonat, kJahr, kAlles };
inline constexpr std::string_view kHistoryRangeNames[] = {"Tag", "Woche", "Monat", "Jahr", "Alles"};

// The local time of a moment, as seconds since 1970 on the local calendar: a function with the
// context it reads (a window, say), or a lambda without captures. A plain pair of pointers, far
// smaller in the program than a std::function.
class LocalClock {
 public:
  using Call = std::int64_t (*)(const void* context, std::int64_t utcSeconds);
  LocalClock(Call call, const void* context) : call_(call), context_(context) {}
  template <typename Plain>
  requires std::is_empty_v<Plain> && std::is_default_constructible_v<Plain> LocalClock(Plain)
      : call_([](const void*, std::int64_t utc) -> std::int64_t { return Plain{}(utc); }) {}
  std::int64_t operator()(std::int64_t utcSeconds) const { return call_(context_, utcSeconds); }

 private:
  Call call_;
  const void* context_ = nullptr;
};

// The slots of each resolution, finest first (indexed by HistoryResolution).
using HistoryRings = std::array<std::vector<HistorySlot>, 3>;

// The stretch of time a range shows, ending at `now`; "Alles" starts at the first slot known.
struct TimeSpan {
  std::int64_t from = 0, to = 0;
};
TimeSpan SpanOf(HistoryRange range, const HistoryRings& rings, std::int64_t now);
// The resolution the range draws, or a finer one where that has too few slots in the span.
HistoryResolution ResolutionFor(HistoryRange range, const HistoryRings& rings, std::int64_t now);

// A mark on an axis: where it is (UTC seconds or bytes) and its label.
struct AxisTick {
  double at;
  std::string text;
  bool operator==(const AxisTick&) const = default;
};
// At most `most` marks at whole local hours, days, weeks, months or years within the span.
std::vector<AxisTick> TimeTicks(TimeSpan span, const LocalClock& local, int most);
// Marks from 0 up to at least `high` bytes in steps of 1, 2 or 5 of a unit ("50 GB").
std::vector<AxisTick> SizeTicks(double high, int most, std::string_view decimalSeparator);

// "Di 8.12.", "14:00", "Di 8.12.2026 14:00" of local seconds.
std::string DayText(std::int64_t localSeconds, bool withYear);
std::string DayClockText(std::int64_t localSeconds, bool withYear);

// The slot that covers or lies nearest to `at`; nullopt without slots.
std::optional<std::size_t> SlotNear(const std::vector<HistorySlot>& slots, std::int64_t at);
// "Di 8.12. 14:00: 61,3 GB frei"; a day slot by its date.
std::string SlotText(const HistorySlot& slot, HistoryResolution resolution, const LocalClock& local,
                     std::string_view decimalSeparator);

// What the first line says; each part where it is known.
struct HistorySummaryFacts {
  std::optional<std::int64_t> recordedSince;  // UTC seconds of the first reading
  std::optional<double> weekChange;           // free bytes now less a week ago
  std::optional<double> bytesPerDay;          // the free space's change per day
  std::string timeLeftText;                   // "in etwa 3 Wochen": when free reaches the limit
  std::string limitText;                      // "10 % = 51,2 GB"
};
// When the record began, where the file doesn't say: the first slot's start, as finely as the
// rings still know it (a finer ring's first slot inside a coarser one's narrows it down).
std::optional<std::int64_t> FirstSlotStart(const HistoryRings& rings);
// The change of the last week from hourly slots: where they reach back a week.
void FillWeekChange(HistorySummaryFacts& facts, const std::vector<HistorySlot>& hourly);
std::string HistorySummaryText(const HistorySummaryFacts& facts, const LocalClock& local,
                               std::string_view decimalSeparator);

// The slots within the span as a spreadsheet reads them: UTF-8 with its byte order mark.
std::string HistoryCsv(const std::vector<HistorySlot>& slots, TimeSpan span,
                       const LocalClock& local);

// "Verlauf von D: »DATEN«"
std::string HistoryTitle(char letter, std::string_view label);
// "Verlauf D 2026-12-10.csv"
std::string HistoryFileName(char letter, std::int64_t localNow);

}  // namespace quenora
