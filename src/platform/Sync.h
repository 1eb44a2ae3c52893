#pragma once
// Worker threads, and the lock and the wake-up that a caller and its workers share.
//
// On Windows these are the slim reader/writer lock and the condition variable: no kernel
// object to create or close, and wine maps them onto futexes, so handing a drive's query to a
// worker and taking its answer back costs next to nothing against the query itself. Elsewhere
// they are the standard library's.

#include <chrono>

#include "platform/SteadyClock.h"

#ifndef _WIN32
#include <condition_variable>
#include <mutex>
#include <thread>
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

// Holds a lock from construction to destruction, except between Release and Retake. (The
// standard holders throw system errors on misuse and bring all of their machinery along.)
class Hold {
 public:
  explicit Hold(Lock& lock) : lock_(lock) { lock_.lock(); }
  ~Hold() {
    if (held_) lock_.unlock();
  }
  Hold(const Hold&) = delete;
  Hold& operator=(const Hold&) = delete;

  void Release() {
    lock_.unlock();
    held_ = false;
  }
  void Retake() {
    lock_.lock();
    held_ = true;
  }

 private:
  quenora::Lock& lock_;
  bool held_ = true;
};

class Condition {
 public:
  using Clock = SteadyClock;

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

// A thread that runs one function. On Windows a plain system thread: the standard thread
// brings the whole error-category machinery into the program for nothing.
class Thread {
 public:
  Thread() = default;
  // A thread still running must have been joined or detached before.
  ~Thread() = default;
  Thread(const Thread&) = delete;
  Thread& operator=(const Thread&) = delete;

  // Runs `run(argument)` on a new thread; false when the system has no thread to give.
  bool Start(void (*run)(void*), void* argument);
  bool Started() const;
  void Join();
  // Lets it run on alone; nothing waits for it any more.
  void Detach();

 private:
#ifdef _WIN32
  void* handle_ = nullptr;
#else
  std::thread thread_;
#endif
};

// While one lives, the thread that made it runs at background priority: its disk reads and its
// processor time come after everyone else's. Elsewhere than on Windows it changes nothing.
class BackgroundWork {
 public:
  BackgroundWork();
  ~BackgroundWork();
  BackgroundWork(const BackgroundWork&) = delete;
  BackgroundWork& operator=(const BackgroundWork&) = delete;

#ifdef _WIN32
 private:
  bool begun_ = false;  // whether the system took the thread into background mode
#endif
};

}  // namespace quenora
