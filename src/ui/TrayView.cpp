#include "ui/TrayView.h"

#include "util/AlarmLimit.h"
#include "util/Utf.h"

namespace quenora {

IconHandle IconImages::Picture(int index) {
  if (index < 0 || index >= kTrayPictureCount) return 0;
  IconHandle& handle = handles_[static_cast<std::size_t>(index)];
  if (handle == 0 && maker_) handle = maker_->MakeTrayPicture(index);
  return handle;
}

void TrayView::UpdateIcons() {
  Show(cycle_.UpdateIcons());
  // The crossings are followed also while notifications are off, so switching them on doesn't
  // bring up a notice for a drive that has long been low.
  std::vector<Notice> notices =
      notices_.Observe(cycle_.Drives(), cycle_.Readings(), cycle_.Limits(), system_);
  // The cycle's time from the monotonic clock: a clock put forward or back changes nothing, a
  // sleep shows as a gap.
  const std::vector<Notice> ahead =
      forecasts_->Observe(DriveForecasts::Clock::now(), checkInterval_, cycle_.Drives(),
                          cycle_.Readings(), cycle_.Limits(), system_);
  notices.insert(notices.end(), ahead.begin(), ahead.end());
  ShowNotices(std::move(notices));
}

void TrayView::ShowNotices(std::vector<Notice> notices) {
  for (Notice& notice : notices) {
    // An event the log refuses is lost: it changes nothing here and isn't tried again.
    if (Log && LogEnabled) Log->Report(LogEventOf(notice));
    if (!NotifyEnabled || !EventOf(notice.kind).notifies) continue;
    const bool early = notice.kind == Notice::Kind::Early || notice.kind == Notice::Kind::Approach;
    const std::optional<std::string> drive =
        DriveNameAtPosition(cycle_.Drives(), static_cast<std::int32_t>(notice.iconId));
    if (early && drive && Growth) {
      // Only a whole path helps: one that doesn't fit beside the text is left out.
      const std::string folder = Growth->GrowthFolderOf((*drive)[0] % 64);
      const std::string more = notice.text +
                               " W\xC3\xA4"
                               "chst vor allem in " +
                               folder + ".";
      if (!folder.empty() && Utf8ToUtf16(more).size() <= kNoticeTextLength) notice.text = more;
    }
    if (notice.iconId < lastNotice_.size()) lastNotice_[notice.iconId] = notice.kind;
    tray_.ShowNotice(notice.iconId, notice.title, notice.text);
  }
}

bool TrayView::LastNoticeForeseesFull(std::uint32_t iconId) const {
  return iconId < lastNotice_.size() && lastNotice_[iconId] == Notice::Kind::LongForecast;
}

bool TrayView::LastNoticeAboutSpace(std::uint32_t iconId) const {
  if (iconId >= lastNotice_.size() || !lastNotice_[iconId]) return false;
  return *lastNotice_[iconId] != Notice::Kind::Unreachable;
}

void TrayView::Show(const std::vector<IconUpdate>& updates) {
  for (const IconUpdate& update : updates) {
    if (update.send) {
      tray_.ModifyTrayIcon(update.iconId, icoImage_.Picture(update.picture), update.tip);
      if (update.iconId < shownPicture_.size()) shownPicture_[update.iconId] = update.picture;
    }
    if (update.beep) system_.Beep();
  }
}

void TrayView::ShowPicturesAgain(std::int32_t driveCount) {
  for (std::int32_t id = 1; id <= driveCount && id <= kMaxTrayIcons; ++id) {
    const std::size_t slot = static_cast<std::size_t>(id);
    tray_.ModifyTrayIconPicture(static_cast<std::uint32_t>(id),
                                icoImage_.Picture(shownPicture_[slot]));
  }
}

const DriveForecasts& TrayView::Forecasts() {
  return *forecasts_;
}

void TrayView::SetAlarm(double memoryLimit, bool soundEnabled, bool notifyEnabled) {
  NotifyEnabled = notifyEnabled;
  // The cycle acts on a limit within the slider's range, whoever hands it over.
  const double limit = AlarmLimitInRange(memoryLimit);
  // Another limit: every drive may notify again at its next crossing.
  if (limit != cycle_.MemoryLimit) notices_.Rearm();
  cycle_.MemoryLimit = limit;
  cycle_.AlarmSoundEnabled = soundEnabled ? 1 : 0;
}

void TrayView::SetDriveLevels(const DriveLevels& limits, const DriveLevels& early) {
  // Other levels: every drive may notify again at its next crossing.
  if (limits != cycle_.OwnLimits || early != cycle_.EarlyLevels) notices_.Rearm();
  cycle_.OwnLimits = limits;
  cycle_.EarlyLevels = early;
}

void TrayView::AddMonitoredDrive(std::int32_t driveNumber) {
  const std::uint32_t id = cycle_.AddDrive(driveNumber);
  if (id == 0) return;
  tray_.AddTrayIcon(id, icoImage_.Picture(kIconUnreadable), "");
  if (id < shownPicture_.size()) shownPicture_[id] = kIconUnreadable;
}

}  // namespace quenora
