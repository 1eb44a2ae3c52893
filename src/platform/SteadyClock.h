#pragma once
// The program's monotonic clock: deadlines, answer times and the forecasts' time line.
//
// On Windows it reads the performance counter itself. The program links the C++ runtime
// without its POSIX thread library (about 30 KB of the exe), and that runtime's steady_clock
// is the wall clock, which jumps when the user or the time service sets the time. Elsewhere it
// is the standard library's steady clock.

#include <chrono>

namespace quenora {

#ifdef _WIN32
struct SteadyClock {
  using duration = std::chrono::nanoseconds;
  using rep = duration::rep;
  using period = duration::period;
  using time_point = std::chrono::time_point<SteadyClock>;
  static constexpr bool is_steady = true;

  static time_point now() noexcept;
};
#else
using SteadyClock = std::chrono::steady_clock;
#endif

}  // namespace quenora
