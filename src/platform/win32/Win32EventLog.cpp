#include "platform/win32/Win32EventLog.h"

#include <vector>

#include "platform/win32/WideText.h"

namespace quenora::win32 {

namespace {

WORD EventType(EventLevel level) {
  switch (level) {
    case EventLevel::Error:
      return EVENTLOG_ERROR_TYPE;
    case EventLevel::Warning:
      return EVENTLOG_WARNING_TYPE;
    case EventLevel::Information:
      break;
  }
  return EVENTLOG_INFORMATION_TYPE;
}

}  // namespace

bool Win32EventLog::Report(const LogEvent& event) {
  // The source is opened with the first event, so a program that never alarms never touches
  // the log. Without the installer's registration the log still takes the events under the
  // source's name; the viewer then shows the inserted values without their text.
  if (!source_) source_.reset(RegisterEventSourceW(nullptr, L"Quenora"));
  if (!source_) return false;
  std::vector<std::wstring> wide;
  wide.reserve(event.strings.size());
  for (const std::string& text : event.strings) wide.push_back(Widen(text));
  std::vector<LPCWSTR> strings;
  strings.reserve(wide.size());
  for (const std::wstring& text : wide) strings.push_back(text.c_str());
  // A full log or a stopped service refuses the event; it is not tried again.
  return ReportEventW(source_.get(), EventType(event.level), 0, event.id, nullptr,
                      static_cast<WORD>(strings.size()), 0,
                      strings.empty() ? nullptr : strings.data(), nullptr) != FALSE;
}

}  // namespace quenora::win32
