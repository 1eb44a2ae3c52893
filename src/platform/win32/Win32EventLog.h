#pragma once
// The Application log through the event source "Quenora", opened with the first event.

#include <windows.h>

#include "platform/EventLog.h"
#include "platform/win32/Handles.h"

namespace quenora::win32 {

class Win32EventLog final : public EventLog {
 public:
  bool Report(const LogEvent& event) override;

 private:
  UniqueEventSource source_;
};

}  // namespace quenora::win32
