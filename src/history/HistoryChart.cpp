#include "history/HistoryChart.h"

#include <algorithm>
#include <cmath>

#include "util/ExactDecimal.h"
#include "util/SizeText.h"
#include "util/Text.h"

namespace quenora {

namespace {

constexpr std::int64_t kDay = 86400;
constexpr double kGB = 1073741824.0;
// A range drawn from fewer slots than this looks like a few dots: a finer ring tells more.
constexpr int kFewSlots = 12;

struct Civil {
  std::int64_t year;
  int month, day, weekday, hour, minute;  // weekday 0 is Monday
};

std::int64_t FloorDiv(std::int64_t value, std::int64_t by) {
  const std::int64_t q = value / by;
  return q * by > value ? q - 1 : q;
}
std::int64_t Mod(std::int64_t value, std::int64_t by) {
  return value - FloorDiv(value, by) * by;
}

// Days since 1970 of a date of the Gregorian calendar, and back (after H. Hinnant).
std::int64_t DaysOf(std::int64_t year, int month, int day) {
  year -= month <= 2;
  const std::int64_t era = FloorDiv(year, 400);
  const std::int64_t yoe = year - era * 400;
  const std::int64_t doy = (153 * (month > 2 ? month - 3 : month + 9) + 2) / 5 + day - 1;
  return era * 146097 + yoe * 365 + yoe / 4 - yoe / 100 + doy - 719468;
}

Civil CivilOf(std::int64_t seconds) {
  const std::int64_t days = FloorDiv(seconds, kDay);
  const std::int64_t rest = seconds - days * kDay;
  const std::int64_t z = days + 719468;
  const std::int64_t era = FloorDiv(z, 146097);
  const std::int64_t doe = z - era * 146097;
  const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const std::int64_t mp = (5 * doy + 2) / 153;
  const int month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  return {yoe + era * 400 + (month <= 2),
          month,
          static_cast<int>(doy - (153 * mp + 2) / 5 + 1),
          static_cast<int>(Mod(days + 3, 7))  // 1970-01-01 was a Thursday
          ,
          static_cast<int>(rest / 3600),
          static_cast<int>(rest / 60 % 60)};
}

std::string Two(int value) {
  return IntText(value % 100, 2);
}

std::string DateText(const Civil& c, bool weekday, bool year) {
  static constexpr const char* kWeekdays[] = {"Mo ", "Di ", "Mi ", "Do ", "Fr ", "Sa ", "So "};
  return Cat({weekday ? kWeekdays[c.weekday] : "", IntText(c.day), ".", IntText(c.month), ".",
              year ? IntText(c.year) : ""});
}

std::string ClockOf(const Civil& c) {
  return Cat({Two(c.hour), ":", Two(c.minute)});
}

std::string Decimal(double value, int decimals, std::string_view separator) {
  std::string text = FixedText(value, decimals);
  if (const auto point = text.find('.'); point != std::string::npos) {
    text.replace(point, 1, separator);
  }
  return text;
}

bool Within(const HistorySlot& slot, std::int64_t length, TimeSpan span) {
  return slot.readings > 0 && slot.start + length > span.from && slot.start <= span.to;
}

int CountWithin(const std::vector<HistorySlot>& slots, std::int64_t length, TimeSpan span) {
  return static_cast<int>(std::count_if(
      slots.begin(), slots.end(), [&](const HistorySlot& s) { return Within(s, length, span); }));
}

// The UTC moment of a local time, by the offset that holds around it.
std::int64_t UtcOf(std::int64_t localSeconds, const LocalClock& local) {
  std::int64_t utc = localSeconds - (local(localSeconds) - localSeconds);
  return localSeconds - (local(utc) - utc);
}

// A step between two time marks: so many hours, days, weeks (from Monday), months or years.
enum class Unit { kHour, kDay, kWeek, kMonth, kYear };
struct TimeStep {
  Unit unit;
  int count;
  std::int64_t seconds;  // about
};
constexpr TimeStep kTimeSteps[] = {
    {Unit::kHour, 1, 3600},        {Unit::kHour, 2, 7200},         {Unit::kHour, 3, 10800},
    {Unit::kHour, 6, 21600},       {Unit::kHour, 12, 43200},       {Unit::kDay, 1, kDay},
    {Unit::kDay, 2, 2 * kDay},     {Unit::kWeek, 1, 7 * kDay},     {Unit::kWeek, 2, 14 * kDay},
    {Unit::kMonth, 1, 30 * kDay},  {Unit::kMonth, 2, 61 * kDay},   {Unit::kMonth, 3, 91 * kDay},
    {Unit::kMonth, 6, 182 * kDay}, {Unit::kYear, 1, 365 * kDay},   {Unit::kYear, 2, 730 * kDay},
    {Unit::kYear, 5, 1826 * kDay}, {Unit::kYear, 10, 3652 * kDay}, {Unit::kYear, 100, 36524 * kDay},
};

const char* const kMonths[] = {"Jan.", "Feb.", "M\xC3\xA4rz", "Apr.", "Mai",  "Juni",
                               "Juli", "Aug.", "Sep.",        "Okt.", "Nov.", "Dez."};

}  // namespace

TimeSpan SpanOf(HistoryRange range, const HistoryRings& rings, std::int64_t now) {
  static constexpr std::int64_t kSeconds[] = {kDay, 7 * kDay, 30 * kDay, 365 * kDay};
  if (range != HistoryRange::kAlles) return {now - kSeconds[static_cast<int>(range)], now};
  std::int64_t from = now;
  for (const auto& ring : rings) {
    if (!ring.empty()) from = std::min(from, ring.front().start);
  }
  return {from, now};
}

HistoryResolution ResolutionFor(HistoryRange range, const HistoryRings& rings, std::int64_t now) {
  static constexpr int kPreferred[] = {0, 1, 1, 2, 2};
  const TimeSpan span = SpanOf(range, rings, now);
  const int preferred = kPreferred[static_cast<int>(range)];
  int best = preferred, bestCount = -1;
  for (int r = preferred; r >= 0; --r) {
    const int count =
        CountWithin(rings[static_cast<std::size_t>(r)], kHistoryShapes[r].seconds, span);
    if (count >= kFewSlots) return static_cast<HistoryResolution>(r);
    if (count > bestCount) best = r, bestCount = count;
  }
  return static_cast<HistoryResolution>(best);
}

std::vector<AxisTick> TimeTicks(TimeSpan span, const LocalClock& local, int most) {
  std::vector<AxisTick> ticks;
  if (span.to <= span.from || most < 1) return ticks;
  const std::int64_t length = span.to - span.from;
  const TimeStep* step = std::find_if(std::begin(kTimeSteps), std::end(kTimeSteps) - 1,
                                      [&](const TimeStep& s) { return length / s.seconds < most; });
  const Civil first = CivilOf(local(span.from));
  const std::int64_t firstDay = DaysOf(first.year, first.month, first.day);
  // Walks whole units from the local start, keeping those that fall on the step.
  std::int64_t mark = 0;
  for (std::int64_t n = 0; ticks.size() <= static_cast<std::size_t>(most); ++n) {
    std::int64_t localMark = 0;
    bool onStep = true;
    switch (step->unit) {
      case Unit::kHour:
        localMark = (firstDay * 24 + first.hour + n) * 3600;
        onStep = (first.hour + n) % step->count == 0;
        break;
      case Unit::kDay:
        localMark = (firstDay + n) * kDay;
        onStep = (firstDay + n) % step->count == 0;
        break;
      case Unit::kWeek: {
        const std::int64_t day = firstDay + n;
        localMark = day * kDay;
        // 1970-01-05 was a Monday.
        onStep = Mod(day - 4, 7 * step->count) == 0;
        break;
      }
      case Unit::kMonth: {
        const std::int64_t months = first.year * 12 + first.month - 1 + n;
        localMark = DaysOf(FloorDiv(months, 12), static_cast<int>(months % 12) + 1, 1) * kDay;
        onStep = months % step->count == 0;
        break;
      }
      case Unit::kYear:
        localMark = DaysOf(first.year + n, 1, 1) * kDay;
        onStep = (first.year + n) % step->count == 0;
        break;
    }
    mark = UtcOf(localMark, local);
    if (mark > span.to) break;
    if (!onStep || mark < span.from) continue;
    const Civil c = CivilOf(localMark);
    std::string text;
    if (step->unit == Unit::kYear) {
      text = IntText(c.year);
    } else if (step->unit == Unit::kMonth) {
      text = Cat({kMonths[c.month - 1], " ", IntText(c.year)});
    } else if (step->unit == Unit::kHour && c.hour != 0) {
      text = ClockOf(c);
    } else {
      text = DateText(c, true, false);
    }
    ticks.push_back({static_cast<double>(mark), std::move(text)});
  }
  if (ticks.size() > static_cast<std::size_t>(most)) ticks.resize(static_cast<std::size_t>(most));
  return ticks;
}

std::vector<AxisTick> SizeTicks(double high, int most, std::string_view decimalSeparator) {
  std::vector<AxisTick> ticks;
  if (most < 2) return ticks;
  high = std::max(high, 1.0);
  const SizeUnit unit = ChooseUnit(high);
  const double scale = std::ldexp(1.0, unit.exponent);
  const double raw = high / scale / (most - 1);
  const double magnitude = std::pow(10.0, std::floor(std::log10(raw)));
  double step = 10 * magnitude;
  for (const double nice : {1.0, 2.0, 5.0}) {
    if (nice * magnitude >= raw * (1 - 1e-9)) {
      step = nice * magnitude;
      break;
    }
  }
  const int decimals = step < 1 ? static_cast<int>(std::lround(-std::log10(magnitude))) : 0;
  for (int i = 0; ticks.empty() || ticks.back().at < high; ++i) {
    const double value = i * step;
    // "1 GB" beside "1,5 GB": a whole value needs no decimals.
    const int shown = value == std::floor(value) ? 0 : decimals;
    ticks.push_back({value * scale, Cat({Decimal(value, shown, decimalSeparator), unit.text})});
  }
  return ticks;
}

std::string DayText(std::int64_t localSeconds, bool withYear) {
  return DateText(CivilOf(localSeconds), true, withYear);
}

std::string DayClockText(std::int64_t localSeconds, bool withYear) {
  const Civil c = CivilOf(localSeconds);
  return Cat({DateText(c, true, withYear), " ", ClockOf(c)});
}

std::optional<std::size_t> SlotNear(const std::vector<HistorySlot>& slots, std::int64_t at) {
  if (slots.empty()) return std::nullopt;
  const auto after =
      std::lower_bound(slots.begin(), slots.end(), at,
                       [](const HistorySlot& s, std::int64_t t) { return s.start < t; });
  std::size_t index = static_cast<std::size_t>(after - slots.begin());
  if (index == slots.size() ||
      (index > 0 && at - slots[index - 1].start <= slots[index].start - at)) {
    --index;
  }
  return index;
}

std::string SlotText(const HistorySlot& slot, HistoryResolution resolution, const LocalClock& local,
                     std::string_view decimalSeparator) {
  // A day slot is a calendar day: its date says it, not the local hour it began at.
  const std::string when = resolution == HistoryResolution::kDay
                               ? DayText(slot.start, true)
                               : DayClockText(local(slot.start), false);
  return Cat({when, ": ", SizeText(static_cast<double>(slot.lastFree), decimalSeparator), " frei"});
}

std::optional<std::int64_t> FirstSlotStart(const HistoryRings& rings) {
  std::optional<std::int64_t> since;
  std::int64_t within = 0;
  for (std::size_t ring = rings.size(); ring-- > 0;) {
    if (rings[ring].empty()) continue;
    const std::int64_t start = rings[ring].front().start;
    // A ring whose first slot lies past the coarser one's has gone round since the start.
    if (since && start >= *since + within) break;
    since = start;
    within = kHistoryShapes[ring].seconds;
  }
  return since;
}

void FillWeekChange(HistorySummaryFacts& facts, const std::vector<HistorySlot>& hourly) {
  if (hourly.empty()) return;
  const HistorySlot& last = hourly.back();
  const auto weekAgo = std::find_if(hourly.rbegin(), hourly.rend(), [&](const HistorySlot& s) {
    return s.start <= last.start - 7 * kDay;
  });
  if (weekAgo == hourly.rend()) return;
  const double change = static_cast<double>(last.lastFree) - static_cast<double>(weekAgo->lastFree);
  facts.weekChange = change;
  facts.bytesPerDay = change * kDay / static_cast<double>(last.start - weekAgo->start);
}

std::string HistorySummaryText(const HistorySummaryFacts& facts, const LocalClock& local,
                               std::string_view decimalSeparator) {
  const auto size = [&](double bytes) { return SizeText(std::fabs(bytes), decimalSeparator); };
  std::string text;
  if (facts.recordedSince) {
    const Civil c = CivilOf(local(*facts.recordedSince));
    text = Cat({"Aufgezeichnet seit ", DateText(c, false, true), " ", ClockOf(c), "."});
  }
  const auto more = [](double bytes) { return bytes < 0 ? " weniger frei" : " mehr frei"; };
  std::string change;
  if (facts.weekChange) {
    change = Cat({"seit einer Woche ", size(*facts.weekChange), more(*facts.weekChange)});
  }
  if (facts.bytesPerDay) {
    const bool alone = change.empty();
    change += Cat({alone ? "etwa " : ", etwa ", size(*facts.bytesPerDay),
                   alone ? more(*facts.bytesPerDay) : "", " pro Tag"});
  }
  std::string limit = facts.limitText.empty() ? "" : Cat({"Alarmgrenze: ", facts.limitText});
  std::string sentence = change;
  if (!facts.timeLeftText.empty()) {
    sentence += Cat({sentence.empty() ? "" : "; ", "voraussichtlich voll ", facts.timeLeftText,
                     limit.empty() ? "" : " (", limit, limit.empty() ? "" : ")"});
    limit.clear();
  }
  for (std::string* part : {&sentence, &limit}) {
    if (part->empty()) continue;
    char& first = (*part)[0];
    if (first >= 'a' && first <= 'z') first = static_cast<char>(first - 'a' + 'A');
    text += Cat({text.empty() ? "" : " ", *part, "."});
  }
  return text;
}

std::string HistoryCsv(const std::vector<HistorySlot>& slots, TimeSpan span,
                       const LocalClock& local) {
  std::string text =
      "\xEF\xBB\xBFZeit;Frei (GB);Belegt (GB);Gr\xC3\xB6\xC3\x9F"
      "e (GB)\r\n";
  for (const HistorySlot& slot : slots) {
    if (slot.readings == 0 || slot.start < span.from || slot.start > span.to) continue;
    const Civil c = CivilOf(local(slot.start));
    const double free = static_cast<double>(slot.lastFree);
    const double total = static_cast<double>(slot.total);
    text += Cat({IntText(c.year), "-", Two(c.month), "-", Two(c.day), " ", ClockOf(c)});
    for (const double bytes : {free, std::max(total - free, 0.0), total}) {
      text += ';';
      text += Decimal(bytes / kGB, 3, ",");
    }
    text += "\r\n";
  }
  return text;
}

std::string HistoryTitle(char letter, std::string_view label) {
  const char drive[] = {letter, ':'};
  return label.empty() ? Cat({"Verlauf von ", {drive, 2}})
                       : Cat({"Verlauf von ", {drive, 2}, " \xC2\xBB", label, "\xC2\xAB"});
}

std::string HistoryFileName(char letter, std::int64_t localNow) {
  const Civil c = CivilOf(localNow);
  return Cat(
      {"Verlauf ", {&letter, 1}, " ", IntText(c.year), "-", Two(c.month), "-", Two(c.day), ".csv"});
}

}  // namespace quenora
