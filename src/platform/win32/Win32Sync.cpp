#include <windows.h>

#include <process.h>

#include <algorithm>
#include <cstdint>

#include "platform/Sync.h"

namespace quenora {

static_assert(sizeof(SRWLOCK) == sizeof(void*), "an SRWLOCK is one pointer, zero at rest");
static_assert(sizeof(CONDITION_VARIABLE) == sizeof(void*), "so is a CONDITION_VARIABLE");

namespace {

PSRWLOCK Srw(void*& slot) {
  return reinterpret_cast<PSRWLOCK>(&slot);
}

PCONDITION_VARIABLE Cv(void*& slot) {
  return reinterpret_cast<PCONDITION_VARIABLE>(&slot);
}

}  // namespace

SteadyClock::time_point SteadyClock::now() noexcept {
  LARGE_INTEGER counter;
  LARGE_INTEGER frequency;
  QueryPerformanceCounter(&counter);
  QueryPerformanceFrequency(&frequency);
  // Whole seconds and the rest apart: counter times 10^9 would overflow after a few hours.
  constexpr long long kNanoseconds = 1'000'000'000;
  const long long seconds = counter.QuadPart / frequency.QuadPart;
  const long long rest = counter.QuadPart % frequency.QuadPart;
  return time_point(duration(seconds * kNanoseconds + rest * kNanoseconds / frequency.QuadPart));
}

void Lock::lock() {
  AcquireSRWLockExclusive(Srw(srwLock_));
}

void Lock::unlock() {
  ReleaseSRWLockExclusive(Srw(srwLock_));
}

void Condition::Wait(Lock& lock) {
  SleepConditionVariableSRW(Cv(conditionVariable_), Srw(lock.srwLock_), INFINITE, 0);
}

bool Condition::WaitUntil(Lock& lock, Clock::time_point deadline) {
  const auto now = Clock::now();
  if (now >= deadline) return false;
  // Whole milliseconds, rounded up so that a wait never ends before the deadline.
  const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - now).count();
  const DWORD milliseconds = static_cast<DWORD>(std::min<long long>(left, INFINITE - 1));
  if (SleepConditionVariableSRW(Cv(conditionVariable_), Srw(lock.srwLock_), milliseconds, 0)) {
    return true;
  }
  return Clock::now() < deadline;  // ERROR_TIMEOUT; the caller checks its condition again
}

void Condition::WakeAll() {
  WakeAllConditionVariable(Cv(conditionVariable_));
}

namespace {

constexpr unsigned kStackReserve = 256 * 1024;

struct ThreadStart {
  void (*run)(void*);
  void* argument;
};

unsigned __stdcall RunThread(void* start) {
  const ThreadStart what = *static_cast<ThreadStart*>(start);
  delete static_cast<ThreadStart*>(start);
  what.run(what.argument);
  return 0;
}

}  // namespace

bool Thread::Start(void (*run)(void*), void* argument) {
  auto* start = new ThreadStart{run, argument};
  // Through the C library, so that its own per-thread data is set up and freed with the
  // thread. A worker needs little stack: 256 KB reserved instead of the program's 2 MB (wine
  // commits a thread's whole stack at once).
  const std::uintptr_t handle = _beginthreadex(nullptr, kStackReserve, RunThread, start,
                                               STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr);
  if (!handle) {
    delete start;
    return false;
  }
  handle_ = reinterpret_cast<void*>(handle);
  return true;
}

bool Thread::Started() const {
  return handle_ != nullptr;
}

void Thread::Join() {
  WaitForSingleObject(handle_, INFINITE);
  CloseHandle(handle_);
  handle_ = nullptr;
}

void Thread::Detach() {
  CloseHandle(handle_);
  handle_ = nullptr;
}

// Background mode lowers the thread's I/O priority as well as its processor priority, so that a
// scan of a whole drive doesn't make the user's own programs wait for the disk. It works on
// the calling thread only, and fails where it isn't supported; nothing to undo then.
BackgroundWork::BackgroundWork()
    : begun_(SetThreadPriority(GetCurrentThread(), THREAD_MODE_BACKGROUND_BEGIN) != 0) {}

BackgroundWork::~BackgroundWork() {
  if (begun_) SetThreadPriority(GetCurrentThread(), THREAD_MODE_BACKGROUND_END);
}

}  // namespace quenora
