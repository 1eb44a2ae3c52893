#include "ui/ApplyOptions.h"

namespace quenora {

namespace {

// Switches the check timer on again however the apply ends: a program whose timer stayed off
// would silently stop watching the drives.
class TimerPause {
 public:
  explicit TimerPause(CheckTimer& timer) : timer_(timer) { timer_.SetTimer1Enabled(false); }
  ~TimerPause() { timer_.SetTimer1Enabled(true); }
  TimerPause(const TimerPause&) = delete;
  TimerPause& operator=(const TimerPause&) = delete;

 private:
  CheckTimer& timer_;
};

}  // namespace

void DoOptionsUebernehmen(OptionsValues& options, CheckTimer& timer, MonitorSettings& settings,
                          TrayIconSet& tray, CheckCycle& cycle, TrayView& view) {
  // No tick may run on a half-built drive table or icon set; the interval set after the reload
  // counts from the moment the timer is switched on again.
  const TimerPause pause(timer);
  settings.WriteSettings(options);
  tray.RemoveAllTrayIcons(cycle.Drives().DriveCount);
  cycle.RemoveAllDrives();
  cycle.ClearVorigerFreierSpeicher();
  settings.ReadSettings(options);
  timer.SetTimer1Interval(static_cast<unsigned>(options.timerInterval) * 1000);
  view.UpdateIcons();
}

}  // namespace quenora
