#include "monitor/DriveLimits.h"

#include <cmath>

#include "util/ExactDecimal.h"
#include "util/Numbers.h"
#include "util/SizeText.h"

namespace quenora {

namespace {

constexpr double kBytesPerMegabyte = 1048576.0;

std::optional<DriveLevel> LevelOf(const DriveLevels* levels, std::int32_t driveNumber) {
  if (!levels || driveNumber < 1 || driveNumber > 26) return std::nullopt;
  return (*levels)[static_cast<std::size_t>(driveNumber - 1)];
}

}  // namespace

std::string AlarmLimitText(double megabytes, std::string_view decimalSeparator) {
  if (megabytes == std::floor(megabytes)) return FixedText(megabytes, 0);
  std::string text = FixedText(megabytes, 1);
  const std::size_t point = text.find('.');
  if (point != std::string::npos) text.replace(point, 1, decimalSeparator);
  return text;
}

std::string LevelText(const DriveLevel& level, std::string_view decimalSeparator) {
  std::string text = NumberText(level.number);
  const std::size_t point = text.find('.');
  if (point != std::string::npos) text.replace(point, 1, decimalSeparator);
  switch (level.unit) {
    case DriveLevel::Unit::Megabytes:
      return text + " MB";
    case DriveLevel::Unit::Gigabytes:
      return text + " GB";
    case DriveLevel::Unit::Percent:
      break;
  }
  return text + " %";
}

std::string LevelWithBytesText(const DriveLevel& level, double totalBytes,
                               std::string_view decimalSeparator) {
  std::string text = LevelText(level, decimalSeparator);
  if (level.unit == DriveLevel::Unit::Percent && totalBytes > 0) {
    text += " = " + SizeText(LevelBytes(level, totalBytes), decimalSeparator);
  }
  return text;
}

double DriveLimits::LimitBytes(std::int32_t driveNumber, double totalBytes) const {
  if (const std::optional<DriveLevel> own = LevelOf(own_, driveNumber)) {
    return LevelBytes(*own, totalBytes);
  }
  return memoryLimit_ * kBytesPerMegabyte;
}

std::optional<double> DriveLimits::EarlyBytes(std::int32_t driveNumber, double totalBytes) const {
  const std::optional<DriveLevel> early = LevelOf(early_, driveNumber);
  if (!early) return std::nullopt;
  const double bytes = LevelBytes(*early, totalBytes);
  if (!(bytes > LimitBytes(driveNumber, totalBytes))) return std::nullopt;
  return bytes;
}

std::string DriveLimits::LimitText(std::int32_t driveNumber, double totalBytes,
                                   std::string_view decimalSeparator) const {
  if (const std::optional<DriveLevel> own = LevelOf(own_, driveNumber)) {
    return LevelWithBytesText(*own, totalBytes, decimalSeparator);
  }
  return AlarmLimitText(memoryLimit_, decimalSeparator) + " MB";
}

std::string DriveLimits::EarlyText(std::int32_t driveNumber, double totalBytes,
                                   std::string_view decimalSeparator) const {
  const std::optional<DriveLevel> early = LevelOf(early_, driveNumber);
  return early ? LevelWithBytesText(*early, totalBytes, decimalSeparator) : std::string();
}

std::optional<DriveLevel> DriveLimits::OwnLimit(std::int32_t driveNumber) const {
  return LevelOf(own_, driveNumber);
}

std::optional<DriveLevel> DriveLimits::OwnEarly(std::int32_t driveNumber) const {
  return LevelOf(early_, driveNumber);
}

}  // namespace quenora
