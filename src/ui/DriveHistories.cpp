#include "ui/DriveHistories.h"

#include <algorithm>

#include "history/HistoryPlace.h"

namespace quenora {

namespace {
constexpr std::int64_t kForecastEvery = 60 * 60;
}

std::int64_t UtcNow() {
  return std::chrono::duration_cast<std::chrono::seconds>(
             std::chrono::system_clock::now().time_since_epoch())
      .count();
}

DriveHistories::Place& DriveHistories::PlaceOf(char letter, double totalBytes) {
  auto place = std::find_if(places_.begin(), places_.end(),
                            [&](const Place& p) { return p.letter == letter; });
  // Another size at the letter is another volume, or the same one grown: asked anew either way.
  if (place != places_.end() && place->totalBytes != totalBytes) {
    places_.erase(place);
    place = places_.end();
  }
  if (place != places_.end()) return *place;
  Place fresh;
  fresh.letter = letter;
  fresh.totalBytes = totalBytes;
  const std::string folder = HistoryFolder(files_.LocalAppData());
  const std::string root{letter, ':', '\\'};
  if (!folder.empty()) {
    if (const std::optional<VolumeIdentity> volume = disks_.IdentifyVolume(root)) {
      fresh.path = folder + HistoryFileName(*volume);
    }
  }
  places_.push_back(std::move(fresh));
  return places_.back();
}

DriveHistory* DriveHistories::RecorderOf(const std::string& path, std::int64_t utc) {
  for (auto& [recorded, recorder] : recorders_) {
    if (recorded == path) return recorder.get();
  }
  const std::string::size_type name = path.find_last_of('\\') + 1;
  if (!files_.MakeFolders(path.substr(0, name))) return nullptr;
  std::string volume = path.substr(name);
  volume.erase(volume.find_last_of('.'));
  recorders_.emplace_back(path, std::make_unique<DriveHistory>(files_, path, volume, utc));
  return recorders_.back().second.get();
}

void DriveHistories::Record(std::int64_t utc) {
  const DriveTable& drives = cycle_.Drives();
  for (int slot = 0; slot < drives.DriveCount && slot < kMaxDrives; ++slot) {
    const auto index = static_cast<std::size_t>(slot);
    const DriveReading& reading = cycle_.Readings()[index];
    if (ListedEarlier(drives, index) || reading.state != DriveReading::State::Readable ||
        reading.totalBytes <= 0) {
      continue;
    }
    const char letter = DriveName(drives.DriveNumbers[index])[0];
    Place& place = PlaceOf(letter, reading.totalBytes);
    if (place.path.empty()) continue;
    if (!place.recorder) place.recorder = RecorderOf(place.path, utc);
    if (DriveHistory* recorder = place.recorder) {
      recorder->Record(utc, static_cast<std::uint64_t>(reading.freeBytes),
                       static_cast<std::uint64_t>(reading.totalBytes));
    }
  }
}

void DriveHistories::VolumesChanged() {
  places_.clear();
}

void DriveHistories::Close() {
  for (auto& recorder : recorders_) recorder.second->Close();
}

HistoryRings DriveHistories::RingsOf(const std::string& path) {
  HistoryRings rings;
  if (path.empty()) return rings;
  for (auto& [recorded, recorder] : recorders_) {
    if (recorded != path) continue;
    for (int ring = 0; ring < 3; ++ring) {
      rings[static_cast<std::size_t>(ring)] = recorder->Slots(static_cast<HistoryResolution>(ring));
    }
    return rings;
  }
  for (int ring = 0; ring < 3; ++ring) {
    rings[static_cast<std::size_t>(ring)] =
        ReadHistory(files_, path, static_cast<HistoryResolution>(ring));
  }
  return rings;
}

std::optional<LongForecast> DriveHistories::LongForecastOf(char letter, std::int64_t utc) {
  const DriveReading reading = cycle_.ReadingOf(letter);
  if (reading.state != DriveReading::State::Readable || reading.totalBytes <= 0) return {};
  Place& place = PlaceOf(letter, reading.totalBytes);
  const double limit = cycle_.Limits().LimitBytes(letter % 64, reading.totalBytes);
  if (place.forecastAt == 0 || utc - place.forecastAt >= kForecastEvery || utc < place.forecastAt ||
      limit != place.forecastLimit) {
    place.forecastAt = utc;
    place.forecastLimit = limit;
    place.forecast.reset();
    if (!place.recorder && !place.path.empty()) place.recorder = RecorderOf(place.path, utc);
    if (place.recorder && limit >= 0) {
      const std::vector<HistorySlot> hourly = place.recorder->Slots(HistoryResolution::kHour);
      place.forecast = ForecastLong(hourly, utc, static_cast<std::uint64_t>(limit));
    }
  }
  return place.forecast;
}

std::vector<Notice> DriveHistories::LongForecastNotices(std::int64_t utc) {
  std::vector<Notice> notices;
  const DriveTable& drives = cycle_.Drives();
  const DriveLimits limits = cycle_.Limits();
  for (int slot = 0; slot < drives.DriveCount && slot < kMaxDrives; ++slot) {
    const auto index = static_cast<std::size_t>(slot);
    const DriveReading& reading = cycle_.Readings()[index];
    if (ListedEarlier(drives, index) || reading.state != DriveReading::State::Readable) continue;
    const std::int32_t number = drives.DriveNumbers[index];
    const std::string drive = DriveName(number);
    const std::optional<LongForecast> forecast = LongForecastOf(drive[0], utc);
    const std::string& path = PlaceOf(drive[0], reading.totalBytes).path;
    if (path.empty()) continue;
    auto watch = std::find_if(watches_.begin(), watches_.end(),
                              [&](const Watch& w) { return w.path == path; });
    if (watch == watches_.end()) watch = watches_.insert(watches_.end(), Watch{path, {}});
    const double limit = limits.LimitBytes(number, reading.totalBytes);
    const double early = limits.EarlyBytes(number, reading.totalBytes).value_or(0);
    if (!watch->watch.Observe(utc, forecast ? std::optional(forecast->untilLimit) : std::nullopt,
                              limit, early)) {
      continue;
    }
    const LongForecastNoticeText text =
        LongForecastNotice(drive, *forecast, reading.freeBytes,
                           limits.LimitText(number, reading.totalBytes, separator_), separator_);
    EventValues values = LimitEventValues(drive, reading, number, limits);
    values.untilLimit = forecast->untilLimit.count();
    notices.push_back({Notice::Kind::LongForecast, static_cast<std::uint32_t>(slot + 1), text.title,
                       LabelledNoticeText(reading.label, text.message), EventStrings(values)});
  }
  return notices;
}

HistoryData DriveHistories::HistoryOf(char letter) {
  HistoryData data;
  data.letter = letter;
  const DriveReading reading = cycle_.ReadingOf(letter);
  data.label = reading.label;
  if (reading.state != DriveReading::State::Readable || reading.totalBytes <= 0) return data;
  const std::int32_t number = letter % 64;
  const DriveLimits limits = cycle_.Limits();
  data.limitBytes = limits.LimitBytes(number, reading.totalBytes);
  data.limitText = limits.LimitText(number, reading.totalBytes, separator_);
  data.earlyBytes = limits.EarlyBytes(number, reading.totalBytes);
  const std::int64_t now = UtcNow();
  if (const std::optional<LongForecast> forecast = LongForecastOf(letter, now)) {
    data.fullAt = now + forecast->untilLimit.count();
    data.timeLeftText = LongTimeLeftText(forecast->untilLimit);
  }
  Place& place = PlaceOf(letter, reading.totalBytes);
  if (!place.recorder && !place.path.empty()) place.recorder = RecorderOf(place.path, now);
  if (place.recorder) data.recordedSince = place.recorder->RecordedSince();
  data.loadSlots = [this, path = place.path] { return RingsOf(path); };
  return data;
}

}  // namespace quenora
