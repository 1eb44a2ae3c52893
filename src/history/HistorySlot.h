#pragma once
// One slot of a drive's recorded history: a stretch of time and what its readings said.

#include <cstdint>
#include <span>

namespace quenora {

// The three resolutions a drive's history is kept in, each a ring of fixed size: 5-minute slots
// for 2 days, hourly slots for 90 days, daily slots for 10 years.
enum class HistoryResolution { kFiveMinutes, kHour, kDay };

struct HistorySlotShape {
  std::int64_t seconds;  // the length of one slot
  int count;             // how many slots the ring holds
};
inline constexpr HistorySlotShape kHistoryShapes[] = {
    {5 * 60, 2 * 24 * 12},  // 576 slots: two days
    {60 * 60, 90 * 24},     // 2160 slots: 90 days
    {24 * 60 * 60, 3653},   // ten years, leap days included
};
inline constexpr HistorySlotShape ShapeOf(HistoryResolution resolution) {
  return kHistoryShapes[static_cast<int>(resolution)];
}

// Times are seconds since 1970-01-01 00:00 UTC; a slot starts at a whole multiple of its
// length (days at midnight UTC).
struct HistorySlot {
  std::int64_t start = 0;
  std::uint64_t leastFree = 0;
  std::uint64_t mostFree = 0;
  std::uint64_t lastFree = 0;
  std::uint64_t total = 0;     // the drive's size at the slot's last reading
  std::uint32_t readings = 0;  // how many readings the slot stands for (a band where more than 1)

  bool operator==(const HistorySlot&) const = default;
};

// Slots oldest first, each start later than the one before; time between two slots that are
// not neighbours is a gap (no readings).
using HistorySlots = std::span<const HistorySlot>;

}  // namespace quenora
