#pragma once
// The tray icons as the window shows them: the thirty pictures it owns, and what a check cycle
// decided, carried out on the tray icon set and the beep.

#include <array>
#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "monitor/AlarmNotices.h"
#include "monitor/CheckCycle.h"
#include "monitor/DriveForecasts.h"
#include "monitor/TrayPictures.h"
#include "platform/EventLog.h"
#include "platform/NotifyArea.h"
#include "platform/SystemServices.h"
#include "settings/MonitorSettings.h"
#include "tray/TrayIconSet.h"
#include "tray/TrayRouting.h"

namespace quenora {

// Makes tray picture IcoImage(index) as an icon; the icon belongs to the maker.
class TrayPictureMaker {
 public:
  virtual ~TrayPictureMaker() = default;
  virtual IconHandle MakeTrayPicture(int index) = 0;
};

// Handles of the thirty tray pictures IcoImage(0)..IcoImage(29). A handle set from outside is
// used as it is; a picture not set is asked of the maker, if there is one, when it is first
// wanted, so a program in the tray makes only the pictures it shows, and only at the size it
// shows them.
class IconImages {
 public:
  IconImages() = default;
  explicit IconImages(TrayPictureMaker& maker) : maker_(&maker) {}

  IconHandle& operator[](std::size_t index) { return handles_[index]; }
  // The picture's icon, made now if it hasn't been yet.
  IconHandle Picture(int index);
  static constexpr std::size_t size() { return kTrayPictureCount; }
  // Forgets every handle: each picture is asked of the maker anew when next wanted (at
  // another size or in another look). The handles' owner keeps them until the icons have
  // the new ones.
  void Forget() { handles_.fill(0); }

 private:
  std::array<IconHandle, kTrayPictureCount> handles_{};
  TrayPictureMaker* maker_ = nullptr;
};

// Where a drive grows most, as the last two scans of it say.
class GrowthFolders {
 public:
  virtual ~GrowthFolders() = default;
  // "D:\Export" for drive 4 (D:); empty when unknown.
  virtual std::string GrowthFolderOf(std::int32_t driveNumber) = 0;
};

class TrayView final : public MonitoredDrives, public TrayIconDrives {
 public:
  TrayView(CheckCycle& cycle, TrayIconSet& tray, SystemServices& system, IconImages& icoImage,
           GrowthFolders* growth = nullptr, EventLog* log = nullptr)
      : Growth(growth),
        Log(log),
        cycle_(cycle),
        tray_(tray),
        system_(system),
        icoImage_(icoImage) {}

  // One check cycle, its decisions carried out drive by drive: the icon sent, then the beep;
  // then the notifications it calls for, when they are wanted.
  void UpdateIcons();
  // Sends the decisions of a check cycle.
  void Show(const std::vector<IconUpdate>& updates);
  // Sends icons 1..driveCount again after the pictures were forgotten: each with the picture
  // the check cycle last chose for it, made anew, and its tooltip.
  void ShowPicturesAgain(std::int32_t driveCount);

  // MonitoredDrives: the drives go to the check cycle, each with a tray icon that shows the
  // question mark and no tooltip until the first cycle.
  void SetAlarm(double memoryLimit, bool soundEnabled, bool notifyEnabled) override;
  void SetDriveLevels(const DriveLevels& limits, const DriveLevels& early) override;
  void SetCheckInterval(int seconds) override { checkInterval_ = std::chrono::seconds(seconds); }
  void RemoveMonitoredDrives() override {
    cycle_.RemoveAllDrives();
    lastNotice_.fill(std::nullopt);  // the icons get other drives
  }
  void AddMonitoredDrive(std::int32_t driveNumber) override;
  // TrayIconDrives: the drive at the icon's list position.
  std::optional<std::string> DriveOfIcon(std::int32_t iconId) const override {
    return DriveNameAtPosition(cycle_.Drives(), iconId);
  }

  // Whether a drive's alarm is also told by a notification.
  bool NotifyEnabled = true;
  // Where the drives grow most: early and forecast notices name it. None: they don't.
  GrowthFolders* Growth;
  // Whether the last notification shown from icon `iconId` was about the drive's space (below
  // its limit or early level, or on its way there), not about its being gone.
  bool LastNoticeAboutSpace(std::uint32_t iconId) const;
  // Whether the last notice of the icon was the long forecast's.
  bool LastNoticeForeseesFull(std::uint32_t iconId) const;
  // Where the alarms are written for the administrator; none: nowhere.
  EventLog* Log;
  // Whether they are written there (a policy may say no); the user's NotifyEnabled doesn't
  // silence them.
  bool LogEnabled = true;
  // Writes `notices` to the event log, shows those that notify where notifications are wanted,
  // and remembers their kinds.
  void ShowNotices(std::vector<Notice> notices);

  // The monitored drives' histories and forecasts, fed by every cycle.
  const DriveForecasts& Forecasts();

 private:
  CheckCycle& cycle_;
  TrayIconSet& tray_;
  SystemServices& system_;
  IconImages& icoImage_;
  AlarmNotices notices_;
  // 53 KB of history: kept apart from the window object.
  std::unique_ptr<DriveForecasts> forecasts_ = std::make_unique<DriveForecasts>();
  std::chrono::seconds checkInterval_{10};
  // By icon identifier: the picture it was last sent with.
  std::array<int, kMaxTrayIcons + 1> shownPicture_{};
  // By icon identifier: the kind of the last notification shown from it.
  std::array<std::optional<Notice::Kind>, kMaxDrives + 1> lastNotice_{};
};

}  // namespace quenora
