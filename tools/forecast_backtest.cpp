// forecast_backtest: replays traces of a drive's free space through the hourly history and the
// long forecast as the program runs them, and tells how the forecasts held up.
//
//   forecast_backtest [--limit 10%|5000MB|20GB] [--each] TRACE.csv...
//
// A trace has a line `time;free;total` per reading (seconds since 1970 UTC, bytes). Each reading
// goes to the drive's recorder (its file kept in memory); once an hour the forecast is asked
// of the recorded hourly slots, as the check would ask it.
// Per trace it prints the hours asked, the hours that could have had a forecast (three days
// recorded, the trace crossing the limit between a day and a year later), how many of those got
// one, the median error of all forecasts against the time the trace really crossed, and the
// forecasts of a crossing before the trace's end that never came. With --each it prints a line
// `time;seconds` for every hour instead (`time;` where none was given).

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "FakeHistoryFiles.h"
#include "history/DriveHistory.h"
#include "history/LongForecast.h"
#include "util/DriveLevels.h"

namespace {

struct Reading {
  std::int64_t time;
  std::uint64_t free;
  std::uint64_t total;
};

std::vector<Reading> ReadTrace(const std::string& path) {
  std::vector<Reading> readings;
  std::ifstream in(path);
  std::string line;
  while (std::getline(in, line)) {
    long long time = 0;
    unsigned long long free = 0, total = 0;
    if (std::sscanf(line.c_str(), "%lld;%llu;%llu", &time, &free, &total) == 3 && total > 0) {
      readings.push_back({time, free, total});
    }
  }
  return readings;
}

double Median(std::vector<double> v) {
  if (v.empty()) return 0;
  std::sort(v.begin(), v.end());
  const std::size_t n = v.size();
  return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

int Replay(const std::string& path, const quenora::DriveLevel& limit, bool each) {
  const std::vector<Reading> trace = ReadTrace(path);
  if (trace.empty()) {
    std::cerr << path << ": no readings\n";
    return 1;
  }
  const auto limitOf = [&limit](const Reading& r) {
    return static_cast<std::uint64_t>(quenora::LevelBytes(limit, static_cast<double>(r.total)));
  };
  // The time each reading's drive first fell below the limit from there on, if it ever did.
  std::vector<std::optional<std::int64_t>> crossing(trace.size());
  for (std::size_t i = trace.size(); i-- > 0;) {
    if (trace[i].free < limitOf(trace[i])) {
      crossing[i] = trace[i].time;
    } else if (i + 1 < trace.size()) {
      crossing[i] = crossing[i + 1];
    }
  }

  constexpr std::int64_t kDay = 86400;
  const std::int64_t first = trace.front().time, last = trace.back().time;
  // The drive's recorder, as the check runs it, over a history file in memory.
  quenora::testing::FakeHistoryFiles files;
  quenora::DriveHistory recorder(files, "trace", path, first);
  std::int64_t askedHour = 0;
  int hours = 0, eligible = 0, givenEligible = 0, given = 0, wrong = 0;
  std::vector<double> errors;
  for (std::size_t i = 0; i < trace.size(); ++i) {
    const Reading& r = trace[i];
    recorder.Record(r.time, r.free, r.total);
    if (r.time / 3600 == askedHour) continue;
    askedHour = r.time / 3600;
    ++hours;
    const std::optional<quenora::LongForecast> forecast = quenora::ForecastLong(
        recorder.Slots(quenora::HistoryResolution::kHour), r.time, limitOf(r));
    if (each) {
      std::cout << r.time << ';';
      if (forecast) std::cout << forecast->untilLimit.count();
      std::cout << '\n';
      continue;
    }
    const std::optional<std::int64_t> truth =
        crossing[i] ? std::optional<std::int64_t>(*crossing[i] - r.time) : std::nullopt;
    const bool couldHave =
        r.time - first >= 3 * kDay && truth && *truth >= kDay && *truth <= 365 * kDay;
    eligible += couldHave;
    if (!forecast) continue;
    ++given;
    givenEligible += couldHave;
    const auto seconds = static_cast<double>(forecast->untilLimit.count());
    if (truth && *truth > 0) {
      errors.push_back(std::abs(seconds - static_cast<double>(*truth)) /
                       static_cast<double>(*truth));
    } else if (!truth && r.time + forecast->untilLimit.count() <= last) {
      ++wrong;
    }
  }
  if (!each) {
    std::printf("%s hours=%d eligible=%d given=%d coverage=%.3f median_error=%.3f wrong=%d\n",
                path.c_str(), hours, eligible, given,
                eligible ? static_cast<double>(givenEligible) / eligible : 0.0, Median(errors),
                wrong);
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  quenora::DriveLevel limit{10, quenora::DriveLevel::Unit::Percent};
  bool each = false;
  std::vector<std::string> traces;
  for (int a = 1; a < argc; ++a) {
    const std::string arg = argv[a];
    if (arg == "--each") {
      each = true;
    } else if (arg == "--limit" && a + 1 < argc) {
      // A limit as the program stores a drive's own: "10%", "5000MB", "20GB".
      const std::optional<quenora::DriveLevel> level =
          quenora::ParseDriveLevels("A=" + std::string(argv[++a]))[0];
      if (!level) {
        std::cerr << "forecast_backtest: not a limit: " << argv[a] << '\n';
        return 2;
      }
      limit = *level;
    } else {
      traces.push_back(arg);
    }
  }
  if (traces.empty()) {
    std::cerr << "usage: forecast_backtest [--limit 10%|5000MB|20GB] [--each] TRACE.csv...\n";
    return 2;
  }
  int failed = 0;
  for (const std::string& trace : traces) failed |= Replay(trace, limit, each);
  return failed;
}
