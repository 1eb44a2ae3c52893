#include "monitor/FillForecast.h"

#include <algorithm>
#include <cmath>

namespace quenora {
namespace {

// How the forecast works, and why so.
//
// History. Every reading of a check cycle goes into the running mean of its minute; each
// minute's mean becomes one sample, and two hours of samples are kept (at most 120). The mean
// rather than the minute's last reading: with a short check interval it takes most of the
// jitter out of a sample (twelve readings at five seconds cut the noise the fit sees to under a
// third), and a passing file counts only for the seconds it lived.
//
// The rate is the Theil-Sen slope: the median of the slopes between every two samples (for a
// long history, between forty samples spread evenly over it, which keeps a refit to about 800
// pairs). Least squares over the same samples and an exponentially weighted rate (Holt's level
// and trend) were tried on the same series. Least squares does as well on a clean fill and on
// even noise, but not where a temporary file sits in some samples: a 45 MB cache that is there
// three minutes in seven, or a 200 MB file seen by two one-minute readings, pull its line off
// by 15%, and with 200 MB files of 40 seconds at random every five minutes one check in 18 is
// off by more than 10% (with the median one in 360). The weighted rate lags behind a fill that
// stops and misses the time left of a fill of 10 MB a minute under 50 MB of noise by 80%. The
// pairs also give Kendall's count of pairs in falling order, which is what tells a steady fill
// from noise or from a single step.
//
// Steady. A forecast is given only when at least six samples over five minutes fall in order
// (Mann-Kendall: three standard deviations; at least 60% of the pairs falling) and the line
// slopes down; once given, it stays on looser bounds, so that it does not come and go. A step
// between two flat stretches never puts much more than half the pairs in falling order, and
// noise around a flat line does not put them in order for long.
//
// Afresh. The history is dropped, and a forecast with it, on another total size (another
// drive), on a silence longer than a few check intervals (sleep and resume: what happened
// meanwhile is unknown), on free space that jumps by 256 MB or more, and on readings that stay
// off the line by more than five times its noise for a minute (the fill stopped, slowed or sped
// up, files were deleted): the old line no longer says anything about the new course.

constexpr double kMegabyte = 1024.0 * 1024.0;

// A sample for each minute (a second less, so that a one-minute timer that fires a little
// early still gives one sample per tick); two hours of them.
constexpr double kSpacing = 60.0 - 1.0;
constexpr double kKeptSpan = 2 * 3600.0;

// Starting afresh.
constexpr double kTotalTolerance = 0.01;
constexpr double kGapIntervals = 4;   // a silence longer than this many check intervals...
constexpr double kMinGap = 2 * 60.0;  // ...and than two samples
constexpr double kJump = 256 * kMegabyte;
constexpr double kOffLineFloor = 32 * kMegabyte;
constexpr double kOffLineNoise = 5;
constexpr double kOffLineFor = 60;  // seconds, and three readings at least
constexpr int kOffLineReadings = 3;

// A steady fill.
constexpr int kMinSamples = 6;
constexpr double kMinSpan = 5 * 60.0;
constexpr int kFitPoints = 40;
constexpr double kEnterTrend = 3;  // Mann-Kendall z, to give a forecast and to keep it
constexpr double kStayTrend = 2;
constexpr double kEnterOrder = 0.6;  // share of pairs in falling order (Kendall's tau)
constexpr double kStayOrder = 0.45;

// Two hours of history say nothing about next week.
constexpr double kHorizon = 24 * 3600.0;

static_assert(26 * sizeof(FillForecast) < 64 * 1024, "the histories of 26 drives fit in 64 KB");

double Seconds(FillForecast::Clock::time_point t) {
  return std::chrono::duration<double>(t.time_since_epoch()).count();
}

double Median(double* first, double* last) {
  const auto n = last - first;
  double* mid = first + n / 2;
  std::nth_element(first, mid, last);
  if (n % 2 != 0) return *mid;
  return (*mid + *std::max_element(first, mid)) / 2;
}

}  // namespace

void FillForecast::Clear() {
  count_ = 0;
  minute_ = {};
  fit_ = {};
  offSide_ = 0;
}

const FillForecast::Sample& FillForecast::At(int age) const {
  return samples_[static_cast<std::size_t>((newest_ - age + kCapacity) % kCapacity)];
}

std::chrono::seconds FillForecast::HistorySpan() const {
  if (count_ == 0) return std::chrono::seconds(0);
  return std::chrono::seconds(std::llround(At(0).time - At(count_ - 1).time));
}

void FillForecast::Observe(Clock::time_point now, double freeBytes, double totalBytes,
                           std::chrono::seconds interval) {
  const double time = Seconds(now);
  if (!std::isfinite(freeBytes) || !std::isfinite(totalBytes) || totalBytes <= 0) {
    Clear();
    return;
  }
  const bool started = count_ > 0 || minute_.readings > 0;
  if (started && StartsAfresh(time, freeBytes, totalBytes, static_cast<double>(interval.count())))
    Clear();
  last_ = {time, freeBytes};
  total_ = totalBytes;

  if (minute_.readings > 0 && time - minute_.start >= kSpacing) {
    Store({minute_.start + minute_.sumTime / minute_.readings, minute_.sumFree / minute_.readings});
    Refit();
    minute_ = {};
  }
  if (minute_.readings == 0) minute_.start = time;
  minute_.sumTime += time - minute_.start;
  minute_.sumFree += freeBytes;
  ++minute_.readings;
}

bool FillForecast::StartsAfresh(double time, double freeBytes, double totalBytes, double interval) {
  if (std::abs(totalBytes - total_) > total_ * kTotalTolerance) return true;
  const double silence = time - last_.time;
  if (silence < 0 || silence > std::max(kGapIntervals * interval, kMinGap)) return true;
  if (!fit_.judged) return freeBytes - last_.free > kJump;

  const double offLine = freeBytes - (fit_.level + fit_.slope * (time - fit_.time));
  const double allowed = std::max(kOffLineFloor, kOffLineNoise * fit_.noise);
  if (std::abs(offLine) > std::max(allowed, kJump)) return true;
  const int side = (offLine > allowed) - (offLine < -allowed);
  if (side != offSide_) {
    offSide_ = side;
    offSince_ = time;
    offReadings_ = 0;
  }
  ++offReadings_;
  return side != 0 && time - offSince_ >= kOffLineFor && offReadings_ >= kOffLineReadings;
}

void FillForecast::Store(Sample sample) {
  newest_ = (newest_ + 1) % kCapacity;
  samples_[static_cast<std::size_t>(newest_)] = sample;
  count_ = std::min(count_ + 1, kCapacity);
  while (count_ > 1 && sample.time - At(count_ - 1).time > kKeptSpan) --count_;
}

void FillForecast::Refit() {
  const bool wasSteady = fit_.steady;
  fit_ = {};
  const int n = count_;
  if (n < kMinSamples) return;

  // Time counts back from the newest sample, so the line's level is the level now.
  const auto timeOf = [this, n](int i) { return At(n - 1 - i).time - At(0).time; };
  const auto freeOf = [this, n](int i) { return At(n - 1 - i).free; };

  // The points of the fit, oldest first: all samples, or kFitPoints spread evenly over them.
  const int p = std::min(n, kFitPoints);
  std::array<double, kFitPoints> t{};
  std::array<double, kFitPoints> y{};
  for (int k = 0; k < p; ++k) {
    const int i = p == n ? k : static_cast<int>(std::lround(k * (n - 1.0) / (p - 1)));
    t[static_cast<std::size_t>(k)] = timeOf(i);
    y[static_cast<std::size_t>(k)] = freeOf(i);
  }

  std::array<double, kFitPoints*(kFitPoints - 1) / 2> slopes{};
  std::size_t pairs = 0;
  int falling = 0;  // pairs in falling order minus pairs in rising order (Mann-Kendall S)
  for (std::size_t i = 0; i < static_cast<std::size_t>(p); ++i) {
    for (std::size_t j = i + 1; j < static_cast<std::size_t>(p); ++j) {
      const double dy = y[j] - y[i];
      slopes[pairs++] = dy / (t[j] - t[i]);
      falling += (dy < 0) - (dy > 0);
    }
  }
  const double slope = Median(slopes.data(), slopes.data() + pairs);

  std::array<double, kCapacity> r{};
  for (int i = 0; i < n; ++i) r[static_cast<std::size_t>(i)] = freeOf(i) - slope * timeOf(i);
  const double level = Median(r.data(), r.data() + n);

  // The spread of the samples around the line: the larger of two robust measures, since the
  // median deviation alone comes out far too small now and then from a few samples.
  double meanDeviation = 0;
  for (int i = 0; i < n; ++i) {
    r[static_cast<std::size_t>(i)] = std::abs(freeOf(i) - level - slope * timeOf(i));
    meanDeviation += r[static_cast<std::size_t>(i)] / n;
  }
  const double noise = std::max(1.4826 * Median(r.data(), r.data() + n), 1.2533 * meanDeviation);

  const double span = -timeOf(0);
  const double trend = (falling - 1) / std::sqrt(p * (p - 1) * (2.0 * p + 5) / 18);
  const double order = falling / static_cast<double>(pairs);
  fit_ = {slope, level, At(0).time, noise, true, false};
  fit_.steady = slope < 0 && span >= kMinSpan && trend >= (wasSteady ? kStayTrend : kEnterTrend) &&
                order >= (wasSteady ? kStayOrder : kEnterOrder);
}

std::optional<double> FillForecast::ShrinkRate() const {
  if (!fit_.steady) return std::nullopt;
  return -fit_.slope;
}

std::optional<std::chrono::seconds> FillForecast::TimeUntilBelow(double limitBytes) const {
  if (!fit_.steady || last_.free < limitBytes) return std::nullopt;
  const double onLine = fit_.level + fit_.slope * (last_.time - fit_.time);
  const double left = std::max(0.0, (onLine - limitBytes) / -fit_.slope);
  if (left > kHorizon) return std::nullopt;
  return std::chrono::seconds(std::llround(left));
}

namespace {

// The time left as a person rounds it, in minutes: 0 for under a minute, whole minutes up to
// ten, fives up to the hour, half hours up to three hours, whole hours after that.
int SpokenMinutes(std::chrono::seconds left) {
  const double m = std::min(static_cast<double>(left.count()) / 60, 1e6);  // two years at most
  const auto roundTo = [m](double step) {
    return static_cast<int>(step * std::floor(m / step + 0.5));
  };
  if (m < 0.5) return 0;
  if (m < 10.5) return roundTo(1);
  if (m < 57.5) return roundTo(5);
  if (m < 75) return 60;
  if (m < 165) return roundTo(30);
  return roundTo(60);
}

}  // namespace

std::string TimeLeftText(std::chrono::seconds left) {
  const int m = SpokenMinutes(left);
  if (m == 0) return "in weniger als einer Minute";
  if (m == 1) return "in etwa einer Minute";
  if (m < 60) return "in etwa " + std::to_string(m) + " Minuten";
  if (m == 60) return "in etwa einer Stunde";
  if (m == 90) return "in etwa eineinhalb Stunden";
  if (m == 150) return "in etwa zweieinhalb Stunden";
  return "in etwa " + std::to_string(m / 60) + " Stunden";
}

std::string TimeLeftShortText(std::chrono::seconds left) {
  const int m = SpokenMinutes(left);
  if (m == 0) return "voll in unter 1 Min.";
  if (m < 60) return "voll in etwa " + std::to_string(m) + " Min.";
  // A half hour as the fraction one half (U+00BD, in UTF-8 C2 BD): "1½ Std.".
  const std::string half = m % 60 != 0 ? "\xC2\xBD" : "";
  return "voll in etwa " + std::to_string(m / 60) + half + " Std.";
}

}  // namespace quenora
