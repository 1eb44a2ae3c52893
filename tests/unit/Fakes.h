#pragma once
// Scriptable fakes of the platform interfaces; they record what the code under test asked.

#include <map>
#include <mutex>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/DiskSpace.h"
#include "platform/EventLog.h"
#include "platform/LogicalDrives.h"
#include "platform/NotifyArea.h"
#include "platform/Shell.h"
#include "platform/SystemServices.h"

namespace quenora::testing {

inline Int64Bytes BytesOf(std::uint64_t value) {
  Int64Bytes bytes{};
  for (std::size_t k = 0; k < 8; ++k) bytes[k] = static_cast<std::uint8_t>(value >> (8 * k));
  return bytes;
}

// Drives by letter, with the labels that were asked for.
class FakeLogicalDrives : public LogicalDrives {
 public:
  struct Drive {
    DriveType type = DriveType::Fixed;
    std::string label;
  };

  std::uint32_t LogicalDriveMask() override {
    if (throwOnList) throw std::runtime_error("drive list");
    std::uint32_t mask = extraBits;
    for (const auto& [letter, drive] : drives) mask |= 1u << (letter - 'A');
    return mask;
  }
  DriveType TypeOfDrive(std::string_view rootPath) override { return drives.at(rootPath[0]).type; }
  std::string VolumeLabel(std::string_view rootPath) override {
    labelsAsked.emplace_back(rootPath);
    return drives.at(rootPath[0]).label;
  }

  std::map<char, Drive> drives;
  std::uint32_t extraBits = 0;
  std::vector<std::string> labelsAsked;
  bool throwOnList = false;
};

// Drives by name ("C:"); a drive that isn't scripted fails like a letter without a drive.
// The check cycle asks its drives side by side, so the calls record under a lock.
class FakeDiskSpace : public DiskSpaceApi {
 public:
  struct Drive {
    bool ok = true;
    std::uint64_t freeBytes = 0;
    std::uint64_t totalBytes = 0;
    std::string label;
    DriveKind kind = DriveKind::LocalDisk;
  };

  void Set(const std::string& drive, std::uint64_t freeBytes, std::uint64_t totalBytes,
           std::string label = {}) {
    drives[drive] = {true, freeBytes, totalBytes, std::move(label)};
  }
  void Fail(const std::string& drive) { drives[drive].ok = false; }

  CallProbe ProbeDiskFreeSpaceEx(std::string_view directory) override {
    const std::lock_guard<std::mutex> hold(calls_);
    probedDirectories.emplace_back(directory);
    return probe;
  }
  DiskFreeSpaceExAnswer CallDiskFreeSpaceEx(std::string_view directory) override {
    const std::lock_guard<std::mutex> hold(calls_);
    exCalls.emplace_back(directory);
    DiskFreeSpaceExAnswer answer;
    const auto it = drives.find(std::string(directory));
    if (it == drives.end() || !it->second.ok) return answer;
    answer.ok = true;
    answer.availableToCaller = BytesOf(it->second.freeBytes);
    answer.totalBytes = BytesOf(it->second.totalBytes);
    answer.totalFreeBytes = BytesOf(it->second.freeBytes);
    return answer;
  }
  DiskFreeSpaceAnswer CallDiskFreeSpace(std::string_view rootPath) override {
    const std::lock_guard<std::mutex> hold(calls_);
    clusterCalls.emplace_back(rootPath);
    return clusterAnswer;
  }
  std::string VolumeLabel(std::string_view rootPath) override {
    const std::lock_guard<std::mutex> hold(calls_);
    labelReads.emplace_back(rootPath);
    const std::string drive(rootPath.substr(0, 2));
    const auto it = drives.find(drive);
    return it == drives.end() ? std::string() : it->second.label;
  }

  DriveKind KindOfDrive(std::string_view rootPath) override {
    const std::lock_guard<std::mutex> hold(calls_);
    kindReads.emplace_back(rootPath);
    const auto it = drives.find(std::string(rootPath.substr(0, 2)));
    return it == drives.end() ? DriveKind::MayKeepWaiting : it->second.kind;
  }
  std::optional<VolumeIdentity> IdentifyVolume(std::string_view rootPath) override {
    const auto it = volumes.find(std::string(rootPath.substr(0, 2)));
    return it == volumes.end() ? std::nullopt : std::optional<VolumeIdentity>(it->second);
  }

  std::map<std::string, Drive> drives;
  std::map<std::string, VolumeIdentity> volumes;  // by drive ("G:")
  CallProbe probe;
  DiskFreeSpaceAnswer clusterAnswer;
  std::vector<std::string> probedDirectories, exCalls, clusterCalls, labelReads, kindReads;

 private:
  std::mutex calls_;
};

class FakeNotifyArea : public NotifyArea {
 public:
  struct Request {
    std::uint32_t message;
    NotifyIconRecord record;
    std::string Tip() const { return record.szTip; }
  };
  bool ShellNotifyIcon(std::uint32_t message, const NotifyIconRecord& record) override {
    requests.push_back({message, record});
    return accept;
  }
  bool ShowNotice(const NoticeRecord& notice) override {
    notices.push_back(notice);
    return accept;
  }
  bool accept = true;
  std::vector<Request> requests;
  std::vector<NoticeRecord> notices;
};

// Records the events written.
class FakeEventLog : public EventLog {
 public:
  bool Report(const LogEvent& event) override {
    events.push_back(event);
    return true;
  }
  std::vector<LogEvent> events;
};

class FakeSystem : public SystemServices {
 public:
  void Beep() override { ++beeps; }
  void ShowMessage(std::string_view text, std::string_view title) override {
    messages.push_back({std::string(text), std::string(title)});
  }
  std::string DecimalSeparator() override { return decimalSeparator; }
  // Latin-1 as the code page: one byte per character, '?' for what it can't hold; with
  // doubleByte, characters above U+00FF take two bytes, as in an East Asian code page.
  std::string ToAnsiCodePage(std::u16string_view text) override {
    std::string out;
    for (const char16_t unit : text) {
      if (unit < 0x100) {
        out.push_back(static_cast<char>(unit));
      } else if (doubleByte && (unit < 0xD800 || unit > 0xDFFF)) {
        out.push_back(static_cast<char>(0x80 | (unit >> 8)));
        out.push_back(static_cast<char>(unit & 0xFF));
      } else {
        out.push_back('?');
      }
    }
    return out;
  }

  std::string ExecutablePath() override { return executablePath; }
  bool AnotherInstanceRuns() override { return anotherInstance; }
  void EndProcessNow() override { ++processEnds; }
  WindowsVersionRecord WindowsVersion() override { return windowsVersion; }
  int TrayIconSize() override { return trayIconSize; }
  std::optional<std::uint32_t> HighContrastText() override { return highContrastText; }

  struct Message {
    std::string text, title;
  };
  int beeps = 0;
  std::vector<Message> messages;
  std::string decimalSeparator = ",";
  bool doubleByte = false;
  std::string executablePath = "C:\\Programme\\Quenora\\Quenora.exe";
  bool anotherInstance = false;
  WindowsVersionRecord windowsVersion{5, 1, 2600, 2};
  int processEnds = 0;
  int trayIconSize = 16;
  std::optional<std::uint32_t> highContrastText;
};

// Records the programs it is asked to start.
class FakeShell : public Shell {
 public:
  struct Start {
    std::string application, commandLine;
  };
  bool StartProcess(std::string_view application, std::string_view commandLine) override {
    starts.push_back({std::string(application), std::string(commandLine)});
    return true;
  }
  std::string WindowsDirectory() override { return "C:\\Windows"; }
  void OpenWithShell(std::string_view target, int showMode) override {
    opened.push_back({std::string(target), showMode});
  }
  struct Opened {
    std::string target;
    int showMode;
    friend bool operator==(const Opened&, const Opened&) = default;
  };
  std::vector<Start> starts;
  std::vector<Opened> opened;
};

}  // namespace quenora::testing
