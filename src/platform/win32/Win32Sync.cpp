#include <windows.h>

#include <algorithm>

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

}  // namespace quenora
