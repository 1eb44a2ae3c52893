// The program's own monotonic clock keeps time with the C++ library's steady clock (here, in
// the tests' runtime, the performance counter too): same unit, same rate, never backwards.

#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>

#include "platform/SteadyClock.h"

namespace quenora {
namespace {

TEST(SteadyClockTest, KeepsTimeWithTheLibrarysSteadyClock) {
  const auto ours = SteadyClock::now();
  const auto theirs = std::chrono::steady_clock::now();
  auto last = ours;
  for (int i = 0; i < 20; ++i) {
    Sleep(10);
    const auto now = SteadyClock::now();
    ASSERT_GE(now, last);
    last = now;
  }
  const auto ourSpan = SteadyClock::now() - ours;
  const auto theirSpan = std::chrono::steady_clock::now() - theirs;
  EXPECT_GE(ourSpan, std::chrono::milliseconds(190));
  // Both are read back to back at either end: apart only by a preemption between the reads.
  EXPECT_LT(std::chrono::abs(ourSpan - theirSpan), std::chrono::milliseconds(20));
}

}  // namespace
}  // namespace quenora
