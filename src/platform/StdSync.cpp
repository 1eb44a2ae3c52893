#include "platform/Sync.h"

#include <system_error>

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

bool Thread::Start(void (*run)(void*), void* argument) {
  try {
    thread_ = std::thread(run, argument);
  } catch (const std::system_error&) {
    return false;
  }
  return true;
}

bool Thread::Started() const {
  return thread_.joinable();
}

void Thread::Join() {
  thread_.join();
}

void Thread::Detach() {
  thread_.detach();
}

// The tests run natively and gain nothing from a lower priority.
BackgroundWork::BackgroundWork() = default;
BackgroundWork::~BackgroundWork() = default;

}  // namespace quenora
