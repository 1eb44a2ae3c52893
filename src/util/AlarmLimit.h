#pragma once
// The alarm limit's range in megabytes: the memory-limit slider's, and every limit the program
// acts on or tells.

#include <algorithm>
#include <cmath>

namespace quenora {

inline constexpr int kMinLimit = 1, kMaxLimit = 1000, kDefaultLimit = 10;

// `megabytes` held within the range; what is no number at all gets the default.
inline double AlarmLimitInRange(double megabytes) {
  if (std::isnan(megabytes)) return kDefaultLimit;
  return std::clamp(megabytes, static_cast<double>(kMinLimit), static_cast<double>(kMaxLimit));
}

}  // namespace quenora
