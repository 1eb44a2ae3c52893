#include "platform/Sync.h"

namespace quenora {

void Lock::lock() {
  mutex_.lock();
}

void Lock::unlock() {
  mutex_.unlock();
}

void Condition::Wait(Lock& lock) {
  condition_.wait(lock.mutex_);
}

bool Condition::WaitUntil(Lock& lock, Clock::time_point deadline) {
  return condition_.wait_until(lock.mutex_, deadline) == std::cv_status::no_timeout;
}

void Condition::WakeAll() {
  condition_.notify_all();
}

}  // namespace quenora
