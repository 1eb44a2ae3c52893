#include "history/LongForecast.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <vector>

#include "util/SizeText.h"

namespace quenora {
namespace {

// How the long forecast works, and when it keeps quiet.
//
// Points. The hourly slots of the last two weeks, each its last reading at the slot's end (the
// newest at now), at their real times: an evening or a weekend with the computer off is a gap
// in time, not a missing hour, so the rate comes out per day of the calendar, as the forecast
// is counted. Only the slots since the drive's size last changed count (another drive, a
// partition made larger), and the newest must be less than a day old.
//
// Trend. The Theil-Sen slope: the median of the slopes between every two points. A single
// install or a folder copied in moves a least-squares line a lot; the median of the pairs
// hardly moves. Of the up to 336 points, 90 spread evenly over them make the pairs (4,005
// rather than 56,000): the slope comes out the same to within a few percent on every trace
// tried, and a replay of months in a test build stays quick.
//
// Clear. A wrong forecast is worse than none, so one is given only when all of these hold:
// - At least three days of points: a day or two is a mood, not a trend.
// - No clean-up in the way: a rise of free space by far more than the drive's hourly scatter
//   (and half a percent of it) is a clean-up. The points before it say nothing about the drive
//   as it is now, so only those since count (and must again span three days). Two clean-ups in
//   two weeks are a rhythm of filling and emptying that no straight line describes: none.
// - The slope falls.
// - The newest third of the span (a day at least) falls as well, at least 40 % as fast: a drive
//   that stopped filling is not going to fill at the old rate, and a weekly rhythm of working
//   days and quiet weekends still passes.
// - The scatter of the points around the line (1.4826 x the median absolute deviation, robust
//   against a few odd hours) is at most a quarter of what the line falls over the span: noise
//   around a flat level makes a slope of its own, but never one that stands out of the noise.
// The last two also keep a single install from making a trend: a drive that was level, got one
// big install and is level again has a newest third that doesn't fall, or, where the install
// is in it, points far off any line through them. (Taking the largest hourly drop out and
// asking the slope to stay was tried as well: it caught no install these two let through, and
// on a fill with a lot of scatter it took the scatter's largest drop for a jump and gave none.
// So was asking most pairs to fall: whatever it stopped, the scatter stopped as well.)
//
// Time left. The line's level now is taken from the newest day's points (a median, so a
// passing file doesn't move it); from there at the slope down to the limit. Under a day the
// short forecast speaks; beyond a year nobody plans.

constexpr double kDay = 24 * 3600.0;
constexpr double kHour = 3600.0;
constexpr double kWindow = 14 * kDay;
constexpr double kMinSpan = 3 * kDay;
constexpr double kStale = kDay;
constexpr double kTotalTolerance = 0.01;
constexpr double kJumpScatters = 6;
constexpr double kJumpShare = 0.005;
constexpr double kJumpFloor = 256 * 1048576.0;
constexpr std::size_t kFitPoints = 90;
constexpr double kRecentKeeps = 0.4;
constexpr double kMaxScatter = 0.25;
constexpr double kMinAhead = kDay;
constexpr double kMaxAhead = 365 * kDay;

struct Point {
  double t;  // seconds from now (0 or less)
  double y;  // free bytes
};

double Median(std::vector<double>& v) {
  const auto mid = v.begin() + static_cast<std::ptrdiff_t>(v.size() / 2);
  std::nth_element(v.begin(), mid, v.end());
  if (v.size() % 2 != 0) return *mid;
  return (*mid + *std::max_element(v.begin(), mid)) / 2;
}

// The median deviation from their median, as a standard deviation of normal noise.
double Scatter(std::vector<double>& v) {
  const double m = Median(v);
  for (double& x : v) x = std::abs(x - m);
  return 1.4826 * Median(v);
}

// Over at most kFitPoints of the points from `from` on, spread evenly over them.
double TheilSen(const std::vector<Point>& p, std::size_t from, std::vector<double>& slopes) {
  const std::size_t n = p.size() - from;
  const std::size_t m = std::min(n, kFitPoints);
  const auto at = [&](std::size_t k) -> const Point& {
    return p[from + (m == n ? k : (k * (n - 1) + (m - 1) / 2) / (m - 1))];
  };
  slopes.clear();
  slopes.reserve(m * (m - 1) / 2);
  for (std::size_t i = 0; i < m; ++i) {
    for (std::size_t j = i + 1; j < m; ++j) {
      slopes.push_back((at(j).y - at(i).y) / (at(j).t - at(i).t));
    }
  }
  return slopes.empty() ? 0 : Median(slopes);
}

// The points of the forecast, oldest first (see above), and the drive's size.
struct Points {
  std::vector<Point> p;
  double total = 0;
};

Points RecentPoints(HistorySlots hourly, std::int64_t nowUtc) {
  Points points;
  std::size_t end = hourly.size();
  while (end > 0 && (hourly[end - 1].start > nowUtc || hourly[end - 1].readings == 0)) --end;
  if (end == 0) return points;
  const double now = static_cast<double>(nowUtc);
  points.total = static_cast<double>(hourly[end - 1].total);
  for (std::size_t i = end; i-- > 0;) {
    const HistorySlot& slot = hourly[i];
    const double start = static_cast<double>(slot.start);
    if (now - start > kWindow ||
        std::abs(static_cast<double>(slot.total) - points.total) > points.total * kTotalTolerance) {
      break;
    }
    if (slot.readings > 0) {
      points.p.push_back({std::min(start + kHour, now) - now, static_cast<double>(slot.lastFree)});
    }
  }
  std::reverse(points.p.begin(), points.p.end());
  if (points.p.empty() || points.p.back().t < -kStale) points.p.clear();
  return points;
}

}  // namespace

std::optional<LongForecast> ForecastLong(HistorySlots hourly, std::int64_t nowUtc,
                                         std::uint64_t limitBytes) {
  auto [p, total] = RecentPoints(hourly, nowUtc);
  if (p.size() < 3) return std::nullopt;
  std::vector<double> scratch;

  // Clean-ups: rises far beyond the hourly scatter of neighbouring slots.
  for (std::size_t i = 1; i < p.size(); ++i) {
    if (p[i].t - p[i - 1].t <= kHour) scratch.push_back(p[i].y - p[i - 1].y);
  }
  const double hourlyScatter = scratch.empty() ? 0 : Scatter(scratch);
  const double jump = std::max({kJumpScatters * hourlyScatter, kJumpShare * total, kJumpFloor});
  std::size_t cleanUps = 0, since = 0;
  for (std::size_t i = 1; i < p.size(); ++i) {
    if (p[i].y - p[i - 1].y > jump) {
      ++cleanUps;
      since = i;
    }
  }
  if (cleanUps > 1) return std::nullopt;
  p.erase(p.begin(), p.begin() + static_cast<std::ptrdiff_t>(since));
  const double span = p.size() < 3 ? 0 : p.back().t - p.front().t;
  if (span < kMinSpan) return std::nullopt;

  const double slope = TheilSen(p, 0, scratch);
  if (!(slope < 0)) return std::nullopt;

  const double recentFrom = std::min(p.back().t - span / 3, p.back().t - kDay);
  std::size_t recent = 0;
  while (p[recent].t < recentFrom) ++recent;
  if (TheilSen(p, recent, scratch) > kRecentKeeps * slope) return std::nullopt;

  scratch.clear();
  for (const Point& q : p) scratch.push_back(q.y - slope * q.t);
  if (Scatter(scratch) > kMaxScatter * -slope * span) return std::nullopt;

  // The level now, from the newest day's points.
  scratch.clear();
  for (const Point& q : p) {
    if (q.t >= p.back().t - kDay) scratch.push_back(q.y - slope * q.t);
  }
  const double ahead = (Median(scratch) - static_cast<double>(limitBytes)) / -slope;
  if (!(ahead >= kMinAhead && ahead <= kMaxAhead)) return std::nullopt;
  return LongForecast{-slope * kDay, std::chrono::seconds(std::llround(ahead))};
}

std::optional<double> WeekChange(HistorySlots hourly, std::int64_t nowUtc) {
  std::size_t end = hourly.size();
  while (end > 0 && (hourly[end - 1].start > nowUtc || hourly[end - 1].readings == 0)) --end;
  if (end == 0) return std::nullopt;
  const HistorySlot& newest = hourly[end - 1];
  const std::int64_t weekAgo = newest.start - 7 * 24 * 3600;
  const HistorySlot* before = nullptr;  // the slot nearest a week before, within half a day
  for (std::size_t i = 0; i < end; ++i) {
    const HistorySlot& slot = hourly[i];
    const std::int64_t off = slot.start > weekAgo ? slot.start - weekAgo : weekAgo - slot.start;
    if (slot.readings > 0 && slot.total == newest.total && off <= 12 * 3600 &&
        (!before || off < std::abs(before->start - weekAgo))) {
      before = &slot;
    }
  }
  if (!before) return std::nullopt;
  return static_cast<double>(newest.lastFree) - static_cast<double>(before->lastFree);
}

std::string LongTimeLeftText(std::chrono::seconds left) {
  // Days up to 13, weeks up to 8, then months; each rounded to the nearest whole.
  struct Unit {
    double days;
    const char* one;
    const char* many;
  };
  static constexpr Unit kUnits[] = {{1, "einem Tag", " Tagen"},
                                    {7, "einer Woche", " Wochen"},
                                    {365.25 / 12, "einem Monat", " Monaten"}};
  const double days = std::clamp(static_cast<double>(left.count()) / kDay, 0.0, 36525.0);
  const Unit& unit = kUnits[days < 13.5 ? 0 : days < 59.5 ? 1 : 2];
  const long count = std::max(1L, std::lround(days / unit.days));
  return "in etwa " + (count == 1 ? std::string(unit.one) : std::to_string(count) + unit.many);
}

std::string LongTimeLeftShortText(std::chrono::seconds left) {
  return "voll " + LongTimeLeftText(left);
}

LongForecastNoticeText LongForecastNotice(std::string_view drive, const LongForecast& forecast,
                                          double freeBytes, std::string_view limitText,
                                          std::string_view decimalSeparator) {
  return {"Laufwerk " + std::string(drive) + " ist voraussichtlich " +
              LongTimeLeftText(forecast.untilLimit) + " voll",
          "Noch " + SizeText(freeBytes, decimalSeparator) + " frei, es werden etwa " +
              SizeText(forecast.bytesPerDay, decimalSeparator) +
              " weniger pro Tag (Alarmgrenze: " + std::string(limitText) + ")."};
}

bool LongForecastWatch::Observe(std::int64_t nowUtc, std::optional<std::chrono::seconds> untilLimit,
                                double limitBytes, double earlyBytes) {
  // A percent of a drive whose size wobbles a little is still the same level.
  const auto moved = [](double was, double is) { return std::abs(is - was) > is / 1000; };
  if (moved(limitBytes_, limitBytes) || moved(earlyBytes_, earlyBytes)) due_ = true;
  limitBytes_ = limitBytes;
  earlyBytes_ = earlyBytes;
  if (!untilLimit) {
    // A forecast that drops out for an hour or two is the same forecast when it comes back.
    if (!goneSince_) goneSince_ = nowUtc;
    if (nowUtc - *goneSince_ >= std::chrono::seconds(kRearmGoneFor).count()) due_ = true;
    return false;
  }
  goneSince_.reset();
  if (*untilLimit > kRearmOver) due_ = true;
  if (*untilLimit >= kNoticeUnder || !due_) return false;
  due_ = false;
  return true;
}

}  // namespace quenora
