#include "ui/ScanCoordinator.h"

#include <chrono>
#include <optional>
#include <utility>

#include "platform/win32/Win32FolderListing.h"

namespace quenora::win32 {

ScanCoordinator::ScanCoordinator(Window& owner, std::shared_ptr<FolderListing> folders,
                                 DiskSpaceApi& disks, Shell& shell, SystemServices& system,
                                 const CheckCycle& cycle, HistoryOpener* history)
    : owner_(owner),
      shell_(shell),
      system_(system),
      cycle_(cycle),
      history_(history),
      scans_(folders ? std::move(folders) : std::make_shared<Win32FolderListing>(),
             [this] {
               // On a worker's thread: only the message crosses over.
               if (HWND window = wake_.load()) PostMessageW(window, kScansChangedMessage, 0, 0);
             }),
      autoScans_(scans_, disks) {}

void ScanCoordinator::Start() {
  wake_.store(owner_.hWnd());
}

void ScanCoordinator::Stop() {
  wake_.store(nullptr);
}

bool ScanCoordinator::HandleMessage(UINT message) {
  if (message != kScansChangedMessage) return false;
  // The scans that ended are put in place, and the window of scans shows them.
  scans_.TakeFinished();
  if (window_) window_->ScansChanged();
  return true;
}

bool ScanCoordinator::PreTranslateMessage(MSG& message) {
  return window_ && window_->PreTranslateMessage(message);
}

void ScanCoordinator::ShowDrive(char letter) {
  const DriveReading reading = cycle_.ReadingOf(letter);
  const bool readable = reading.state == DriveReading::State::Readable;
  if (!window_) {
    window_ = std::make_unique<ScanWindow>(owner_.Instance(), owner_.hWnd(), autoScans_, shell_,
                                           system_, history_);
  }
  window_->ShowDrive(letter, readable ? std::optional(reading.totalBytes) : std::nullopt,
                     readable ? std::optional(reading.freeBytes) : std::nullopt, reading.label);
}

bool ScanCoordinator::NoticeClicked(std::int32_t iconId, bool aboutSpace) {
  const std::optional<std::string> drive = DriveNameAtPosition(cycle_.Drives(), iconId);
  if (!drive || !aboutSpace) return false;
  if (!scans_.StateOf(*drive).latest) {
    autoScans_.StartScan(*drive);
    return false;
  }
  ShowDrive((*drive)[0]);
  return true;
}

void ScanCoordinator::CheckDone(const DriveForecasts& forecasts) {
  if (const char shown = window_ ? window_->Drive() : 0) {
    const DriveReading reading = cycle_.ReadingOf(shown);
    if (reading.state == DriveReading::State::Readable) {
      window_->DriveRead(reading.totalBytes, reading.freeBytes, reading.label);
    }
  }
  autoScans_.Tick(cycle_.Drives(), cycle_.Readings(), cycle_.Limits(), forecasts,
                  std::chrono::system_clock::now());
}

std::string ScanCoordinator::GrowthFolderOf(std::int32_t driveNumber) {
  const ScanSource::State state = scans_.StateOf(DriveName(driveNumber));
  return state.latest && state.previous ? MainGrowthFolder(*state.previous, *state.latest)
                                        : std::string();
}

}  // namespace quenora::win32
