#pragma once
// The lock and the wake-up that a caller and its worker threads share.
//
// On Windows these are the slim reader/writer lock and the condition variable: no kernel
// object to create or close, and wine maps them onto futexes, so handing a drive's query to a
// worker and taking its answer back costs next to nothing against the query itself. Elsewhere
// they are the standard library's.

#include <chrono>

#ifndef _WIN32
#include <condition_variable>
#include <mutex>
#endif

namespace quenora {

class Condition;

class Lock {
 public:
  Lock() = default;
  Lock(const Lock&) = delete;
  Lock& operator=(const Lock&) = delete;

  void lock();
  void unlock();

 private:
  friend class Condition;
#ifdef _WIN32
  void* srwLock_ = nullptr;  // an SRWLOCK: one pointer, null while free
#else
  std::mutex mutex_;
#endif
};

class Condition {
 public:
  using Clock = std::chrono::steady_clock;

  Condition() = default;
  Condition(const Condition&) = delete;
  Condition& operator=(const Condition&) = delete;

  // Waits, with `lock` held on entry and on return, until woken (or spuriously).
  void Wait(Lock& lock);
  // The same, but returns false without waiting further once `deadline` has passed.
  bool WaitUntil(Lock& lock, Clock::time_point deadline);
  void WakeAll();

 private:
#ifdef _WIN32
  void* conditionVariable_ = nullptr;  // a CONDITION_VARIABLE: one pointer, null at rest
#else
  std::condition_variable_any condition_;
#endif
};

}  // namespace quenora
