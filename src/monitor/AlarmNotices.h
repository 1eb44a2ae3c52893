#pragma once
// When a drive's alarm is worth a notification, and what it says: once when a drive falls
// below the limit, again only after it has been back above it by a margin, and once when a
// drive that could be read can no longer be. Each comes with its event for the event log.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "monitor/CheckCycle.h"
#include "monitor/DriveLimits.h"
#include "monitor/DriveTable.h"
#include "platform/EventLog.h"
#include "platform/SystemServices.h"

namespace quenora {

// The shell's notification holds a title of 63 and a text of 255 UTF-16 units.
inline constexpr std::size_t kNoticeTitleLength = 63;
inline constexpr std::size_t kNoticeTextLength = 255;

struct Notice {
  // What it is about: the drive is below its limit, below its early level, on its way below
  // its limit, or no longer readable; or its recorded history foresees it full within days.
  // Back above the limit and readable again are only written to the event log.
  enum class Kind {
    LowSpace,
    Early,
    Approach,
    Unreachable,
    LongForecast,
    BackAboveLimit,
    ReadableAgain
  };
  Kind kind = Kind::LowSpace;
  std::uint32_t iconId = 0;  // the tray icon it comes from: the drive's list position
  std::string title;
  std::string text;
  // The values of its event, as EventStrings orders them.
  std::vector<std::string> eventStrings;
};

// Each kind of notice with its event: the number in the message table, the level, and whether
// the user sees a notification of it (where notifications are on); every one goes to the log.
struct NoticeEvent {
  Notice::Kind kind;
  std::uint32_t eventId;
  EventLevel level;
  bool notifies;
};
inline constexpr std::array<NoticeEvent, 7> kNoticeEvents = {{
    {Notice::Kind::LowSpace, 1000, EventLevel::Warning, true},
    {Notice::Kind::BackAboveLimit, 1001, EventLevel::Information, false},
    {Notice::Kind::Early, 1002, EventLevel::Information, true},
    {Notice::Kind::Approach, 1003, EventLevel::Warning, true},
    {Notice::Kind::LongForecast, 1004, EventLevel::Information, true},
    {Notice::Kind::Unreachable, 1005, EventLevel::Error, true},
    {Notice::Kind::ReadableAgain, 1006, EventLevel::Information, false},
}};
// The row of `kind`.
const NoticeEvent& EventOf(Notice::Kind kind);
// The notice's event as the log gets it.
LogEvent LogEventOf(const Notice& notice);

// A drive's values for its event, in the order the message texts insert them.
struct EventValues {
  std::string drive;                       // %1 "C:"
  std::string label;                       // %2 the volume label, maybe empty
  std::optional<double> freeBytes;         // %3 free bytes, a whole number
  std::optional<double> totalBytes;        // %4 the drive's size in bytes
  std::string levelAsSet;                  // %5 the level as the user set it: "10 %", "1000 MB"
  std::optional<double> levelBytes;        // %6 the level in bytes
  std::optional<std::int64_t> untilLimit;  // %7 forecasts: seconds until the limit
};
// The seven insertion strings; a value not known is an empty string, numbers are plain digits
// and the level's decimal point a point, whatever the user's separator, so that a query across
// machines reads them alike.
std::vector<std::string> EventStrings(const EventValues& values);
// A drive's values against its alarm limit; its numbers only where it could be read.
EventValues LimitEventValues(std::string_view drive, const DriveReading& reading,
                             std::int32_t driveNumber, const DriveLimits& limits);

// "Laufwerk C: ist fast voll" / "»SYSTEM«: Nur noch 812,0 MB frei (Alarmgrenze: 1000 MB)."
// `limitText` names the drive's limit as DriveLimits::LimitText says it.
Notice LowSpaceNotice(std::uint32_t iconId, std::string_view drive, std::string_view label,
                      double freeBytes, std::string_view limitText,
                      std::string_view decimalSeparator);
// "Laufwerk D: wird knapp" / "»DATEN«: Nur noch 20,1 GB frei (Vorwarnung: 5 % = 25,6 GB)."
Notice EarlyNotice(std::uint32_t iconId, std::string_view drive, std::string_view label,
                   double freeBytes, std::string_view earlyText, std::string_view decimalSeparator);
// "Laufwerk N: ist nicht erreichbar" / "Von N: »NAS« kann nicht gelesen werden."
Notice UnreachableNotice(std::uint32_t iconId, std::string_view drive, std::string_view label);

// A notice's text about a drive: "»label«: " and then `message`, or the message alone without
// a label, within the shell's field; a long label is cut first, so the message stays whole.
std::string LabelledNoticeText(std::string_view label, std::string_view message);

// The margin above the limit a drive must climb back to before it notifies again: the larger of
// a tenth of the limit and 50 MB.
double RearmMarginBytes(double limitBytes);

class AlarmNotices {
 public:
  // The notices the last cycle calls for (with those only logged), given the monitored drives by
  // list position, how each of them stood and their levels. The system is asked for the decimal
  // separator only when a notice tells a number.
  std::vector<Notice> Observe(const DriveTable& drives,
                              const std::array<DriveReading, kMaxDrives>& readings,
                              const DriveLimits& limits, SystemServices& system);
  // Every drive may notify again at its next crossing (the limits were changed).
  void Rearm();

 private:
  // By drive letter, A to Z: what a drive keeps between cycles, also across a new drive list.
  struct Watch {
    bool lowNoticeDue = true;     // the next alarm cycle notifies
    bool earlyNoticeDue = true;   // the next cycle below the early level notifies
    bool readSinceStart = false;  // only a drive seen readable notifies when it goes away
    bool unreachableNoticed = false;
  };
  std::array<Watch, 26> watches_{};
};

}  // namespace quenora
