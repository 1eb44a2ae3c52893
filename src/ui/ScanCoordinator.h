#pragma once
// The scans of the drives as the program uses them: the workers and their wake-up message,
// the automatic scans after each check, the window of scans, and what the scans tell a notice.

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>

#include "monitor/CheckCycle.h"
#include "monitor/DriveForecasts.h"
#include "platform/DiskSpace.h"
#include "platform/FolderListing.h"
#include "platform/Shell.h"
#include "platform/SystemServices.h"
#include "scan/DriveScans.h"
#include "ui/HistoryWindow.h"
#include "ui/ScanPolicy.h"
#include "ui/ScanWindow.h"
#include "ui/TrayView.h"
#include "ui/Window.h"

namespace quenora::win32 {

class ScanCoordinator final : public GrowthFolders {
 public:
  // Posted to the window by a worker whose scan ended.
  static constexpr UINT kScansChangedMessage = WM_APP + 1;

  // `owner` is the options window, which hears the workers' message and owns the window of
  // scans; `folders` lists the drives' folders (none: the system's own). The scans follow the
  // drives as `cycle` read them last.
  ScanCoordinator(Window& owner, std::shared_ptr<FolderListing> folders, DiskSpaceApi& disks,
                  Shell& shell, SystemServices& system, const CheckCycle& cycle,
                  HistoryOpener* history = nullptr);
  ScanCoordinator(const ScanCoordinator&) = delete;
  ScanCoordinator& operator=(const ScanCoordinator&) = delete;

  // From Start on a worker whose scan ended wakes the owner's window; after Stop none does.
  void Start();
  void Stop();
  // A message of the owner's window: true when it was the scans' own and is done.
  bool HandleMessage(UINT message);
  bool PreTranslateMessage(MSG& message);

  // "&Was belegt Platz auf D:?": what fills the drive, in the window of scans; a scan starts
  // where none is known.
  void ShowDrive(char letter);
  // A click on a notification of the icon `iconId`, about its drive's space or not: where a
  // scan of a drive short of space is known it is shown, and true returned; otherwise a scan
  // starts for the next time, and the drive is left to open.
  bool NoticeClicked(std::int32_t iconId, bool aboutSpace);
  // A check cycle ended: the window of scans says the shown drive's free space as the icon
  // does, and a drive that fills or is low is scanned on its own now and then, so that a look
  // at it can say what grew.
  void CheckDone(const DriveForecasts& forecasts);

  // GrowthFolders: where the drive grew most between its last two scans.
  std::string GrowthFolderOf(std::int32_t driveNumber) override;

 private:
  Window& owner_;
  Shell& shell_;
  SystemServices& system_;
  const CheckCycle& cycle_;
  HistoryOpener* history_;
  // Where a worker that ended a scan says so: the window, once it exists.
  std::atomic<HWND> wake_{nullptr};
  DriveScans scans_;
  AutoScans autoScans_;  // the user's commands go through it
  std::unique_ptr<ScanWindow> window_;
};

}  // namespace quenora::win32
