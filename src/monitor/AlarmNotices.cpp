#include "monitor/AlarmNotices.h"

#include <algorithm>
#include <optional>

#include "util/Utf.h"

namespace quenora {

namespace {

constexpr double kBytesPerMegabyte = 1048576.0;
constexpr std::string_view kOpenQuote = "\xC2\xBB";     // »
constexpr std::string_view kCloseQuote = "\xC2\xAB";    // «
constexpr std::string_view kEllipsis = "\xE2\x80\xA6";  // …

std::size_t Utf16Units(std::string_view text) {
  return Utf8ToUtf16(text).size();
}

// "»label«" cut so that it leaves `room` UTF-16 units, with an ellipsis where it was cut.
std::string QuotedLabel(std::string_view label, std::size_t room) {
  const std::string whole = std::string(kOpenQuote) + std::string(label) + std::string(kCloseQuote);
  if (Utf16Units(whole) <= room) return whole;
  const std::size_t frame =
      Utf16Units(kOpenQuote) + Utf16Units(kCloseQuote) + Utf16Units(kEllipsis);
  if (room <= frame) return {};
  return std::string(kOpenQuote) + CutToUtf16Units(label, room - frame) + std::string(kEllipsis) +
         std::string(kCloseQuote);
}

// `before` + the quoted label + `after`, within `units`: the label gives way first.
std::string WithLabel(std::string_view before, std::string_view label, std::string_view after,
                      std::size_t units) {
  std::string text(before);
  const std::size_t fixed = Utf16Units(before) + Utf16Units(after);
  if (!label.empty() && fixed < units) text += QuotedLabel(label, units - fixed);
  text += after;
  return CutToUtf16Units(text, units);
}

}  // namespace

std::string LabelledNoticeText(std::string_view label, std::string_view message) {
  if (label.empty()) return CutToUtf16Units(message, kNoticeTextLength);
  return WithLabel("", label, ": " + std::string(message), kNoticeTextLength);
}

const NoticeEvent& EventOf(Notice::Kind kind) {
  for (const NoticeEvent& row : kNoticeEvents) {
    if (row.kind == kind) return row;
  }
  return kNoticeEvents[0];
}

LogEvent LogEventOf(const Notice& notice) {
  const NoticeEvent& row = EventOf(notice.kind);
  return {row.eventId, row.level, notice.eventStrings};
}

namespace {

std::string WholeNumberText(std::optional<double> value) {
  if (!value || !(*value >= 0) || *value >= 1.8e19) return {};
  return std::to_string(static_cast<std::uint64_t>(*value));
}

}  // namespace

std::vector<std::string> EventStrings(const EventValues& values) {
  return {values.drive,
          values.label,
          WholeNumberText(values.freeBytes),
          WholeNumberText(values.totalBytes),
          values.levelAsSet,
          WholeNumberText(values.levelBytes),
          values.untilLimit ? std::to_string(std::max<std::int64_t>(*values.untilLimit, 0))
                            : std::string()};
}

EventValues LimitEventValues(std::string_view drive, const DriveReading& reading,
                             std::int32_t driveNumber, const DriveLimits& limits) {
  EventValues values;
  values.drive = drive;
  values.label = reading.label;
  // A limit in percent names no bytes without the drive's size.
  values.levelAsSet = limits.LimitText(driveNumber, 0, ".");
  if (reading.state == DriveReading::State::Readable) {
    values.freeBytes = reading.freeBytes;
    values.totalBytes = reading.totalBytes;
    values.levelBytes = limits.LimitBytes(driveNumber, reading.totalBytes);
  } else if (!limits.OwnLimit(driveNumber)) {
    values.levelBytes = limits.LimitBytes(driveNumber, 0);
  }
  return values;
}

double RearmMarginBytes(double limitBytes) {
  return std::max(limitBytes / 10, 50 * kBytesPerMegabyte);
}

namespace {

// "Nur noch 812,0 MB frei (Alarmgrenze: 1000 MB).": the free space as the tooltip says it,
// without its leading blank, and the level it is measured against.
Notice FreeSpaceNotice(Notice::Kind kind, std::uint32_t iconId, std::string title,
                       std::string_view label, double freeBytes, std::string_view level,
                       std::string_view decimalSeparator) {
  Notice notice;
  notice.kind = kind;
  notice.iconId = iconId;
  notice.title = CutToUtf16Units(title, kNoticeTitleLength);
  notice.text = LabelledNoticeText(label, "Nur noch " + SizeText(freeBytes, decimalSeparator) +
                                              " frei (" + std::string(level) + ").");
  return notice;
}

}  // namespace

Notice LowSpaceNotice(std::uint32_t iconId, std::string_view drive, std::string_view label,
                      double freeBytes, std::string_view limitText,
                      std::string_view decimalSeparator) {
  return FreeSpaceNotice(Notice::Kind::LowSpace, iconId,
                         "Laufwerk " + std::string(drive) + " ist fast voll", label, freeBytes,
                         "Alarmgrenze: " + std::string(limitText), decimalSeparator);
}

Notice EarlyNotice(std::uint32_t iconId, std::string_view drive, std::string_view label,
                   double freeBytes, std::string_view earlyText,
                   std::string_view decimalSeparator) {
  return FreeSpaceNotice(Notice::Kind::Early, iconId,
                         "Laufwerk " + std::string(drive) + " wird knapp", label, freeBytes,
                         "Vorwarnung: " + std::string(earlyText), decimalSeparator);
}

Notice UnreachableNotice(std::uint32_t iconId, std::string_view drive, std::string_view label) {
  Notice notice;
  notice.kind = Notice::Kind::Unreachable;
  notice.iconId = iconId;
  notice.title = CutToUtf16Units("Laufwerk " + std::string(drive) + " ist nicht erreichbar",
                                 kNoticeTitleLength);
  notice.text = WithLabel("Von " + std::string(drive) + (label.empty() ? "" : " "), label,
                          " kann nicht gelesen werden.", kNoticeTextLength);
  return notice;
}

std::vector<Notice> AlarmNotices::Observe(const DriveTable& drives,
                                          const std::array<DriveReading, kMaxDrives>& readings,
                                          const DriveLimits& limits, SystemServices& system) {
  std::vector<Notice> notices;
  const int count = std::clamp<int>(drives.DriveCount, 0, kMaxDrives);
  for (int p = 1; p <= count; ++p) {
    const std::size_t slot = static_cast<std::size_t>(p - 1);
    const std::int32_t number = drives.DriveNumbers[slot];
    if (number < 1 || number > 26 || ListedEarlier(drives, slot)) continue;
    Watch& watch = watches_[static_cast<std::size_t>(number - 1)];
    const DriveReading& reading = readings[slot];
    const std::string drive = DriveName(number);
    const auto id = static_cast<std::uint32_t>(p);
    switch (reading.state) {
      case DriveReading::State::Waiting:
        break;
      case DriveReading::State::Readable: {
        watch.readSinceStart = true;
        if (watch.unreachableNoticed) {
          notices.push_back({Notice::Kind::ReadableAgain,
                             id,
                             {},
                             {},
                             EventStrings(LimitEventValues(drive, reading, number, limits))});
        }
        watch.unreachableNoticed = false;
        const double free = reading.freeBytes;
        const double limitBytes = limits.LimitBytes(number, reading.totalBytes);
        const std::optional<double> earlyBytes = limits.EarlyBytes(number, reading.totalBytes);
        if (free < limitBytes) {
          if (watch.lowNoticeDue) {
            notices.push_back(LowSpaceNotice(
                id, drive, reading.label, free,
                limits.LimitText(number, reading.totalBytes, system.DecimalSeparator()),
                system.DecimalSeparator()));
            notices.back().eventStrings =
                EventStrings(LimitEventValues(drive, reading, number, limits));
            watch.lowNoticeDue = false;
          }
          // A drive that fell straight below the limit has crossed its early level as well.
          watch.earlyNoticeDue = false;
        } else if (free >= limitBytes + RearmMarginBytes(limitBytes)) {
          // Hovering just above the limit doesn't count: only a drive clearly back notifies again.
          // Where the alarm re-arms, the log hears that the drive is back.
          if (!watch.lowNoticeDue) {
            notices.push_back({Notice::Kind::BackAboveLimit,
                               id,
                               {},
                               {},
                               EventStrings(LimitEventValues(drive, reading, number, limits))});
          }
          watch.lowNoticeDue = true;
        }
        if (!earlyBytes) {
          watch.earlyNoticeDue = true;
        } else if (free < *earlyBytes) {
          if (watch.earlyNoticeDue && free >= limitBytes) {
            notices.push_back(
                EarlyNotice(id, drive, reading.label, free,
                            limits.EarlyText(number, reading.totalBytes, system.DecimalSeparator()),
                            system.DecimalSeparator()));
            // The early event names the early level where the others name the alarm limit.
            EventValues values = LimitEventValues(drive, reading, number, limits);
            values.levelAsSet = limits.EarlyText(number, 0, ".");
            values.levelBytes = *earlyBytes;
            notices.back().eventStrings = EventStrings(values);
          }
          watch.earlyNoticeDue = false;
        } else if (free >= *earlyBytes + RearmMarginBytes(*earlyBytes)) {
          watch.earlyNoticeDue = true;
        }
        break;
      }
      case DriveReading::State::Unreadable:
        if (watch.readSinceStart && !watch.unreachableNoticed) {
          notices.push_back(UnreachableNotice(id, drive, reading.label));
          notices.back().eventStrings =
              EventStrings(LimitEventValues(drive, reading, number, limits));
          watch.unreachableNoticed = true;
        }
        break;
    }
  }
  return notices;
}

void AlarmNotices::Rearm() {
  for (Watch& watch : watches_) {
    watch.lowNoticeDue = true;
    watch.earlyNoticeDue = true;
  }
}

}  // namespace quenora
