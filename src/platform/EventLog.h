#pragma once
// The system's event log, where administrators collect what happens on their machines: events
// of the program's source in the Application log.

#include <cstdint>
#include <string>
#include <vector>

namespace quenora {

enum class EventLevel { Error, Warning, Information };

// One event: its number in the program's message table, its level, and the values its text
// inserts, %1 first.
struct LogEvent {
  std::uint32_t id = 0;
  EventLevel level = EventLevel::Information;
  std::vector<std::string> strings;
};

class EventLog {
 public:
  virtual ~EventLog() = default;
  // Writes one event; false where it couldn't be written (nothing else changes then).
  virtual bool Report(const LogEvent& event) = 0;
};

}  // namespace quenora
