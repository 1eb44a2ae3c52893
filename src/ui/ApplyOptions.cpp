#include "ui/ApplyOptions.h"

namespace quenora {

namespace {

// Switches the check timer on again however the apply ends: a program whose timer stayed off
// would silently stop watching the drives.
class TimerPause {
 public:
  explicit TimerPause(OptionsControls& controls) : controls_(controls) {
    controls_.SetTimer1Enabled(false);
  }
  ~TimerPause() { controls_.SetTimer1Enabled(true); }
  TimerPause(const TimerPause&) = delete;
  TimerPause& operator=(const TimerPause&) = delete;

 private:
  OptionsControls& controls_;
};

}  // namespace

void DoOptionsUebernehmen(OptionsControls& controls, MonitorSettings& settings, TrayIconSet& tray,
                          CheckCycle& cycle, TrayView& view) {
  // No tick may run on a half-built drive table or icon set; the interval set by the reload
  // counts from the moment the timer is switched on again.
  const TimerPause pause(controls);
  settings.WriteSettings();
  tray.RemoveAllTrayIcons(cycle.Drives().DriveCount);
  cycle.RemoveAllDrives();
  cycle.ClearVorigerFreierSpeicher();
  settings.ReadSettings();
  view.UpdateIcons();
}

}  // namespace quenora
