#pragma once
// A drive's history as a recorder would leave it after years: every ring full up to `now`, the
// free space falling in a weekly wave, and half a day without readings two days ago.

#include <cmath>

#include "history/HistoryChart.h"

namespace quenora::testing {

inline HistoryRings GeneratedHistory(std::int64_t now) {
  HistoryRings rings;
  for (int r = 0; r < 3; ++r) {
    const HistorySlotShape shape = kHistoryShapes[r];
    const std::int64_t last = now / shape.seconds * shape.seconds;
    for (int i = shape.count - 1; i >= 0; --i) {
      const std::int64_t start = last - i * shape.seconds;
      const std::int64_t ago = now - start;
      if (ago > 2 * 86400 && ago < 2 * 86400 + 43200 && r < 2) continue;
      const double days = static_cast<double>(ago) / 86400;
      const double free = (120 + days * 0.05 + 8 * std::sin(days * 0.9)) * 1073741824.0;
      const auto spread = static_cast<std::uint64_t>(shape.seconds * 20000.0);
      const auto f = static_cast<std::uint64_t>(free);
      rings[static_cast<std::size_t>(r)].push_back(
          {start, f - spread, f + spread, f, 512ull << 30, r == 0 ? 1u : 12u});
    }
  }
  return rings;
}

}  // namespace quenora::testing
