#pragma once
// The main window: the options window, and the router of the program's messages. It turns each
// message into its named event, and each event calls the part that owns the work: the tray's
// pictures, view and menu, the options pages with the drive list, the scans.

#include <windows.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "help/HelpLinks.h"
#include "monitor/CheckCycle.h"
#include "monitor/DriveTable.h"
#include "monitor/FreeSpace.h"
#include "monitor/VolumeChanges.h"
#include "platform/EventLog.h"
#include "platform/HistoryFiles.h"
#include "platform/LogicalDrives.h"
#include "platform/Registry.h"
#include "platform/Shell.h"
#include "platform/win32/Handles.h"
#include "platform/win32/Win32System.h"
#include "settings/Autostart.h"
#include "settings/MonitorSettings.h"
#include "settings/OptionsValues.h"
#include "settings/SettingsStore.h"
#include "tray/TrayIconSet.h"
#include "tray/TrayRouting.h"
#include "ui/ApplyOptions.h"
#include "ui/DriveHistories.h"
#include "ui/Form1Layout.h"
#include "ui/HistoryWindow.h"
#include "ui/InfoForm.h"
#include "ui/OptionsPages.h"
#include "ui/ScanCoordinator.h"
#include "ui/TrayImages.h"
#include "ui/TrayMenu.h"
#include "ui/TrayView.h"
#include "ui/Window.h"

namespace quenora::win32 {

// The system services the window works through; tests hand in recording ones.
struct Form1Services {
  // Shared with the workers that ask slow drives, which may outlive the window at exit.
  std::shared_ptr<DiskSpaceApi> disks;
  NotifyArea& notifyArea;
  Win32System& system;  // shows its message boxes over the window while it is shown
  Registry& registry;
  Shell& shell;
  RegistryCalls& registryCalls;
  Files& files;
  LogicalDrives& logicalDrives;
  // Lists folders for the scans of the drives; none: the system's own.
  std::shared_ptr<FolderListing> folders = nullptr;
  // Where the drives' histories are kept; none: nothing is recorded.
  HistoryFiles* historyFiles = nullptr;
  // The drives' recorded histories as the windows show them; none: those of `historyFiles`.
  HistorySource* history = nullptr;
  // Where the alarms are written for the administrator; none: nowhere.
  EventLog* eventLog = nullptr;
  // Started by the autostart entry ("/AUTOSTART" on the command line).
  bool startedWithWindows = false;
};

class Form1 final : public Window, private CheckTimer, private TrayMenuHost {
 public:
  explicit Form1(Form1Services services);
  Form1(const Form1&) = delete;
  Form1& operator=(const Form1&) = delete;
  ~Form1() override;

  // Creates the window hidden, without its pages, and runs the start sequence; false if the
  // window can't be made or another instance runs.
  bool Load(HINSTANCE instance);
  // Keyboard handling of the window (tab order, access keys); true when the message is done.
  bool PreTranslateMessage(MSG& message) override;

  // Builds the window's controls with their fonts and pictures, showing the options held. The
  // window builds them itself when it is first shown; a start into the tray leaves them unbuilt.
  void BuildPages();
  bool PagesBuilt() const { return pages_.Built(); }
  // The options between two applies: those held, with what the user set in the pages.
  const OptionsValues& Options();
  const OptionsPages& Pages() const { return pages_; }
  CheckCycle& Cycle() { return cycle_; }
  TrayImages& Images() { return images_; }
  TrayView& View() { return view_; }
  TrayRouting& Routing() { return routing_; }
  AutostartCheckbox& AutoStartChk() { return autoStartChk_; }
  // The About dialog while it is open, else null.
  InfoForm* Info() { return info_ && info_->hWnd() ? info_.get() : nullptr; }
  UINT TimerInterval() const { return timerInterval_; }
  bool TimerEnabled() const { return timerEnabled_; }

  // Handlers and routines, named as the window's events and methods.
  void Btn_Click(int index);
  void pumxxx_Click(int index);
  void AutoStartChk_Click();
  void LV_DblClick();
  void LV_KeyPress(int keyAscii);
  // The drive list's context menu, from the right button at `mouse` (screen coordinates) or
  // from the keyboard (Shift+F10, the menu key) at the selected entry.
  void LV_ContextMenu(std::optional<POINT> mouse);
  // "&Alarmgrenze für D: …": the drive's own levels in their dialog; they are applied with
  // the other options.
  void DriveLimit_Click(char letter);
  // "&Was belegt Platz auf D:?": what fills the drive, in its window; a scan starts where none
  // is known.
  void ShowScan(char letter);
  void Image1_Click();
  void EndApp();
  void TabStrip1_Click();
  void ShowLayer(int index);
  void ShapeForm();
  void DoOptionsUebernehmen();
  void Timer1_Timer();

  static constexpr UINT_PTR kTimer1Id = 1;
  // Volumes that came or went settle for this long, so that a burst leads to one check.
  static constexpr UINT_PTR kVolumeTimerId = 2;
  static constexpr UINT kVolumeSettleMilliseconds = 250;

  // A volume arrived or left (WM_DEVICECHANGE): `unitMask` names its letters, bit 0 for A.
  void Volume_Change(bool arrived, std::uint32_t unitMask);

 private:
  // The volumes have settled: the icons made anew or the drives checked as they call for, and
  // the drive list made anew with the checks kept.
  void VolumesSettled();
  // The tray icons and the check cycle made anew from the settings as they read now (stored,
  // or fixed by policy); the window's options stay. Returns what was read.
  OptionsValues IconsAnewFromSettings();
  // The administrator's policies changed (a refresh of Group Policy says so): the icons and
  // the pages follow at once, without a restart and without storing anything.
  void Policies_Change();
  // Reads the policies anew; the event log follows its policy at once.
  void ReadPolicies();
  // Brings the autostart box and entry in line with a policy that decides autostart.
  void ApplyAutostartPolicy();
  // The monitored drives' states beside their entries in the drive list, once it is built.
  void ShowDriveStates();
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  LRESULT OnNotify(const NMHDR& header);
  // What the user did on the pages, as the window's events.
  void Page_Event(PageEvent event);

  // False when the program must end at once (another instance runs).
  bool Form_Load() override;
  // Returns true to keep the window (it is only hidden).
  bool Form_QueryUnload(UnloadMode mode) override;
  void Form_Unload();
  // Every page lies on the first.
  TwipsRect ControlPlace(const ControlSpec& row) const override;
  void Form_DpiChanged() override;

  // The notification area's icon size, theme or colours may have changed: the pictures'
  // style follows it, and where it changed the icons get pictures made anew. The taskbar's
  // theme is read again only when `themeChanged`.
  void TrayLook_Change(bool themeChanged);

  // CheckTimer: Timer1, on the window.
  void SetTimer1Interval(unsigned milliseconds) override;
  void SetTimer1Enabled(bool enabled) override;

  // AutoStartChk as the autostart code sees it: its value and its tag.
  class AutoStartChkControl final : public AutostartCheckbox {
   public:
    explicit AutoStartChkControl(Form1& form) : form_(form) {}
    int Value() override;
    void SetValue(int value) override;
    std::string Tag() override { return tag_; }
    void SetTag(std::string_view tag) override { tag_ = tag; }

   private:
    Form1& form_;
    std::string tag_;
  };

  // TrayMenuHost: the menu pum at the mouse, with "&Abbrechen" as its default item.
  void PopUpTrayMenu() override;
  // TrayMenuHost: a notification about a drive's space shows what fills it, where a scan of
  // it is known; otherwise its drive opens, and a scan starts for the next time.
  bool ShowNoticeDetails(std::int32_t iconId) override;
  void ShowOptions();

  Form1Services services_;
  SettingsStore store_;
  DriveTable drives_;
  // The tray pictures, made when first shown; they belong to the window and live as long as
  // it does.
  TrayImages images_{services_.registry, services_.system};
  FreeSpace freeSpace_;
  TrayIconSet tray_;
  CheckCycle cycle_;
  TrayView view_;
  Policies policies_;
  MonitorSettings settings_;
  TrayRouting routing_;
  TrayMenu trayMenu_{tray_};
  Autostart autostart_;
  HelpLinks help_;
  AutoStartChkControl autoStartChk_{*this};

  OptionsValues options_;
  OptionsPages pages_{*this};
  VolumeAction volumeAction_ = VolumeAction::Nothing;
  std::unique_ptr<InfoForm> info_;
  std::optional<DriveHistories> histories_;  // with services_.historyFiles
  HistoryWindows history_;                   // before the scans, whose window opens it
  ScanCoordinator scans_;
  UINT timerInterval_ = 2000;  // as designed, until the settings set it
  bool timerEnabled_ = false;
  bool unloaded_ = false;
};

}  // namespace quenora::win32
