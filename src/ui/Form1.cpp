#include "ui/Form1.h"

#include <commctrl.h>
#include <windowsx.h>

#include <utility>

#include "platform/win32/UiParts.h"
#include "platform/win32/Win32LogicalDrives.h"
#include "platform/win32/Win32NotifyArea.h"
#include "platform/win32/WindowGeometry.h"
#include "settings/DriveListBox.h"
#include "ui/DriveLimitDialog.h"
#include "ui/DriveListRefresh.h"
#include "ui/StartInfoDialog.h"
#include "ui/WindowClasses.h"
#include "util/MessageTemplate.h"
#include "util/Numbers.h"
#include "util/ProgramIdentity.h"

namespace quenora::win32 {

using namespace form1;

namespace {

constexpr wchar_t kWindowClass[] = L"QuenoraForm1";

constexpr std::string_view kOSFat32SupportKey = "OSFat32Support";
constexpr std::string_view kAlreadyRunningTemplate =
    "%1 wird bereits ausgef\xC3\xBChrt. Klicken Sie auf das %1-Icon\\nin der Task-Leiste, um zu "
    "den die Optionen zu gelangen.";

// The shell's tray record names the callback message as a number: WM_USER.
static_assert(kTrayCallbackMessage == WM_USER);

// Sent to every top-level window when the shell's taskbar is created anew (Explorer restarted).
UINT TaskbarCreatedMessage() {
  static const UINT message = RegisterWindowMessageW(L"TaskbarCreated");
  return message;
}

}  // namespace

Form1::Form1(Form1Services services)
    : Window(nullptr, nullptr,
             {kWindowClass, kForm1ClientWidth, kForm1ClientHeight, Form1Controls()}),
      services_(services),
      store_(services.registry),
      freeSpace_(*services.disks, services.system),
      tray_(services.notifyArea, services.system),
      cycle_(drives_, freeSpace_, services.disks, services.system),
      view_(cycle_, tray_, services.system, images_.IcoImage(), &scans_, services.eventLog),
      settings_(store_, services.logicalDrives, view_, &policies_),
      routing_(tray_, view_, services.shell, *this),
      autostart_(services.registryCalls, services.files, services.system),
      help_(services.shell, services.files, services.system),
      histories_(services.historyFiles ? std::make_optional<DriveHistories>(
                                             *services.historyFiles, *services.disks, cycle_,
                                             services.system.DecimalSeparator())
                                       : std::nullopt),
      history_(*this,
               services.history ? services.history
               : histories_     ? &*histories_
                                : nullptr,
               services.system),
      scans_(*this, services.folders, *services.disks, services.shell, services.system, cycle_,
             &history_) {}

Form1::~Form1() {
  // Destroying the window unloads it: the icons leave the tray with it.
  Unload(kClosedByUser);
}

bool Form1::Load(HINSTANCE instance) {
  if (!Create(instance)) return false;
  // The pictures are made at the size and in the look of the notification area from the
  // first icon on.
  TrayLook_Change(true);
  // The pages, with their fonts and pictures, are built when the window is first shown: a
  // start into the tray, as it happens every day, adds its icons without them.
  trayMenu_.Create();
  // Timer1 runs from the window's creation with its designed interval; the settings set the
  // real one before the first tick can come.
  SetTimer1Enabled(true);
  return Form_Load();
}

void Form1::TrayLook_Change(bool themeChanged) {
  // The old pictures live until the icons have the new ones: the shell may still draw one.
  if (const auto old = images_.Follow(themeChanged)) view_.ShowPicturesAgain(drives_.DriveCount);
}

TwipsRect Form1::ControlPlace(const ControlSpec& row) const {
  return ShapedPlace(row);
}

void Form1::Form_DpiChanged() {
  pages_.OnDpiChanged();
  TrayLook_Change(false);
}

void Form1::BuildPages() {
  HWND window = hWnd();
  if (PagesBuilt() || !window) return;
  LoadCommonControls();
  // The program's icon, for the caption, the task switcher and the dialogs this window owns.
  SetClassLongPtrW(window, GCLP_HICON,
                   reinterpret_cast<LONG_PTR>(ProgramIcon(Instance(), IconSize::Large)));
  SetClassLongPtrW(window, GCLP_HICONSM,
                   reinterpret_cast<LONG_PTR>(ProgramIcon(Instance(), IconSize::Small)));
  CreateControls();
  pages_.Build(options_);
  pages_.ShowPolicies(policies_);
}

const OptionsValues& Form1::Options() {
  pages_.ReadBack(options_);
  return options_;
}

LRESULT Form1::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  HWND window = hWnd();
  // The scans' own message first.
  if (scans_.HandleMessage(message)) return 0;
  // A registered message can't be a case of the switch; 0 would be a failed registration.
  if (const UINT taskbarCreated = TaskbarCreatedMessage();
      taskbarCreated != 0 && message == taskbarCreated) {
    routing_.TaskbarCreated(drives_.DriveCount);
    // The new taskbar may stand on a monitor of another scale.
    TrayLook_Change(true);
  }
  switch (message) {
    case kTrayCallbackMessage:
      // A mouse action on a tray icon: wParam the icon, lParam the mouse message.
      if (routing_.TrayWindowProc(wParam, static_cast<std::uintptr_t>(lParam))) return 0;
      break;
    case WM_TIMER:
      if (wParam == kTimer1Id) Timer1_Timer();
      if (wParam == kVolumeTimerId) VolumesSettled();
      return 0;
    case WM_DISPLAYCHANGE:
    case WM_SYSCOLORCHANGE:
      TrayLook_Change(false);
      break;
    case WM_SETTINGCHANGE:
      // Icon or window metrics, a high contrast theme, or the taskbar's light or dark theme
      // ("ImmersiveColorSet" in lParam). Asking costs little, and the icons change only when
      // their style does, so every change of a setting is looked at.
      TrayLook_Change(lParam != 0 && lstrcmpiW(reinterpret_cast<const wchar_t*>(lParam),
                                               L"ImmersiveColorSet") == 0);
      // A refresh of Group Policy broadcasts "Policy".
      if (lParam != 0 && lstrcmpiW(reinterpret_cast<const wchar_t*>(lParam), L"Policy") == 0) {
        Policies_Change();
      }
      break;
    case WM_DEVICECHANGE:
      if (const auto volume = VolumeChangeOf(wParam, lParam)) {
        Volume_Change(volume->arrived, volume->unitMask);
      }
      return TRUE;
    case WM_COMMAND: {
      const int id = LOWORD(wParam);
      if (HIWORD(wParam) == BN_CLICKED && id >= kBtn && id <= kBtn + 4) Btn_Click(id - kBtn);
      if (HIWORD(wParam) == BN_CLICKED && id == kAutoStartChk) AutoStartChk_Click();
      if (HIWORD(wParam) == STN_CLICKED && id == kImage1) Image1_Click();
      return 0;
    }
    case WM_NOTIFY:
      return OnNotify(*reinterpret_cast<const NMHDR*>(lParam));
    case WM_CONTEXTMENU:
      if (reinterpret_cast<HWND>(wParam) == Control(kLV)) {
        // -1: asked for from the keyboard, by a way the window didn't see as keys.
        if (lParam == -1) {
          LV_ContextMenu(std::nullopt);
        } else {
          LV_ContextMenu(POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
        }
        return 0;
      }
      break;
    case WM_HSCROLL: {
      // The labels follow the sliders at once; the values take effect at the next apply.
      const HWND slider = reinterpret_cast<HWND>(lParam);
      if (slider && slider == Control(kTimerIntervalSlider)) pages_.RefreshIntervalDisplay();
      if (slider && slider == Control(kMemLimitSlider)) pages_.RefreshLimitDisplay();
      return 0;
    }
    case WM_DRAWITEM: {
      const auto& item = *reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
      if (item.CtlID == static_cast<UINT>(kImage1)) pages_.DrawLogo(item);
      return TRUE;
    }
    case WM_SHOWWINDOW:
      if (wParam) {
        // This comes before the window is visible: the list shows with the states the last
        // check (the start's, the first time) measured, not empty until the next tick.
        BuildPages();
        ShowDriveStates();
      }
      // A box over the shown window belongs to it: it stays in front of it and takes its
      // input, so that repeated clicks can't stack boxes. Over the tray it stands alone.
      services_.system.owner = wParam ? window : nullptr;
      break;
    case WM_QUERYENDSESSION:
      return TRUE;
    case WM_ENDSESSION:
      // Windows is going down or the user logs off: the process may end without another
      // message, so the window unloads now.
      if (wParam && !Form_QueryUnload(UnloadMode::SessionEnd)) {
        Form_Unload();
        // An installer or updater asked the program to close, and the session goes on: no one
        // ends the process, so it ends itself, its one-instance lock with it.
        if (lParam & ENDSESSION_CLOSEAPP) Unload(kClosedByUser);
      }
      return 0;
    case WM_DESTROY:
      Form_Unload();
      pages_.OnDestroy();
      PostQuitMessage(0);
      return 0;
    default:
      break;
  }
  // Focus, closing and a DPI change as every window of the program has them.
  return Window::HandleMessage(message, wParam, lParam);
}

LRESULT Form1::OnNotify(const NMHDR& header) {
  const PageNote note = pages_.OnNotify(header);
  Page_Event(note.event);
  return note.result;
}

void Form1::Page_Event(PageEvent event) {
  if (event == PageEvent::TabChanged) TabStrip1_Click();
  if (event == PageEvent::DriveDblClick) LV_DblClick();
  if (event == PageEvent::DriveEnter) LV_KeyPress(13);
  if (event == PageEvent::DriveMenu) LV_ContextMenu(std::nullopt);
}

bool Form1::Form_Load() {
  HWND window = hWnd();
  // A start by the autostart entry ends at once where the administrator switched autostart
  // off: the user's own entry stays for when the policy goes.
  ReadPolicies();
  if (services_.startedWithWindows && policies_.Value(kAutoStartPolicy) == "0") return false;
  // 1. One instance per user: a second start says so and ends before it touches anything.
  if (services_.system.AnotherInstanceRuns()) {
    services_.system.ShowMessage(ExpandTemplate(kAlreadyRunningTemplate, {kProductName}),
                                 kProductName);
    services_.system.EndProcessNow();
    return false;
  }
  // 2. and 3.
  SetWindowTextW(window, L"Quenora");
  scans_.Start();
  routing_.HookTrayMessages(reinterpret_cast<WindowHandle>(window));

  // 4. Which free-space call the system offers; recorded, never read back.
  freeSpace_.OSFat32Support = freeSpace_.GetDiskFreeSpaceExSupported() ? -1 : 0;
  store_.SaveValue(kOSFat32SupportKey, freeSpace_.OSFat32Support != 0);

  // 5. The check box shows the autostart entry as it is.
  autostart_.SyncAutostartCheckbox(autoStartChk_);
  ApplyAutostartPolicy();
  pages_.ShowPolicies(policies_);

  // 6. to 8.
  settings_.ReadSettings(options_);
  SetTimer1Interval(static_cast<unsigned>(options_.timerInterval) * 1000);
  ShapeForm();
  // The first cycle runs in the alarm phase, with every remembered count at 0.
  view_.UpdateIcons();

  // 9. After the options were applied once the program starts in the tray; the first time
  // the user chooses the drives.
  const bool doneBefore = ParseNumber(store_.LoadValue(kDoneBeforeKey, 0)).value_or(0) != 0;
  if (doneBefore) {
    ShowWindow(window, SW_HIDE);
    // Says where the program went, unless the user turned that off for this version or the
    // administrator for everyone; the start waits until the hint is closed.
    if (!policies_.Fixes(kShowStartHintPolicy)) {
      ShowStartInfo(Instance(), window, store_, kTrayStartHint, "");
    }
  } else {
    ShowOptions();
  }
  return true;
}

bool Form1::Form_QueryUnload(UnloadMode mode) {
  // The close box, the system menu's close and Alt+F4 only hide the window.
  if (mode != UnloadMode::CloseBox) return false;
  ShowWindow(hWnd(), SW_HIDE);
  return true;
}

void Form1::Form_Unload() {
  if (unloaded_) return;
  unloaded_ = true;
  services_.system.owner = nullptr;
  scans_.Stop();
  if (histories_) histories_->Close();
  // A burst of volumes still settling would make the icons anew after they left.
  KillTimer(hWnd(), kVolumeTimerId);
  SetTimer1Enabled(false);
  tray_.RemoveAllTrayIcons(drives_.DriveCount);
  cycle_.RemoveAllDrives();
  routing_.UnhookTrayMessages();
  WindowGeometry geometry(hWnd());
  store_.SaveFormPosition(geometry);
}

void Form1::EndApp() {
  // Quitting applies the window's state as "&OK" would, unconfirmed changes included.
  DoOptionsUebernehmen();
  routing_.UnhookTrayMessages();
  tray_.RemoveAllTrayIcons(drives_.DriveCount);
  cycle_.RemoveAllDrives();
  if (!Form_QueryUnload(UnloadMode::FromCode)) Unload(kClosedByUser);
}

void Form1::AutoStartChk_Click() {
  // At once, whatever "&OK" or "&Abbrechen" follows; not where a policy decides.
  if (policies_.Fixes(kAutoStartPolicy)) {
    ApplyAutostartPolicy();
    pages_.Show(options_);
    return;
  }
  autostart_.ApplyAutostartCheckbox(autoStartChk_);
}

void Form1::ReadPolicies() {
  policies_.Read(services_.registryCalls);
  view_.LogEnabled = policies_.Value(kEventLogPolicy) != "0";
}

void Form1::ApplyAutostartPolicy() {
  autostart_.ApplyAutostartPolicy(autoStartChk_, policies_.Value(kAutoStartPolicy));
}

void Form1::Policies_Change() {
  const Policies before = policies_;
  ReadPolicies();
  if (policies_ == before || unloaded_) return;
  // Autostart left to the user again: the box shows the entry as it is, then loses one that
  // was made for the policy alone.
  if (before.Fixes(kAutoStartPolicy) && !policies_.Fixes(kAutoStartPolicy)) {
    autostart_.SyncAutostartCheckbox(autoStartChk_);
  }
  ApplyAutostartPolicy();
  // The icons are made anew from the settings as they now read, as a drive that arrived makes
  // them; the pages keep what the user changed and not applied, except what is now fixed.
  pages_.ReadBack(options_);
  const OptionsValues read = IconsAnewFromSettings();
  // A setting fixed now shows the policy's value; one fixed until now the user's own again.
  TakePolicyChange(options_, read, before, policies_);
  SetTimer1Interval(static_cast<unsigned>(read.timerInterval) * 1000);
  view_.UpdateIcons();
  pages_.Show(options_);
  pages_.ShowPolicies(policies_);
  ShowDriveStates();
}

int Form1::AutoStartChkControl::Value() {
  return form_.Options().autoStart ? 1 : 0;
}

void Form1::AutoStartChkControl::SetValue(int value) {
  form_.options_.autoStart = value != 0;
  form_.pages_.ShowAutoStartChk(form_.options_.autoStart);
}

void Form1::LV_DblClick() {
  pages_.Drives().ToggleSelected();
}

void Form1::LV_KeyPress(int keyAscii) {
  // Enter toggles the selected drive and presses no button; other keys are the list's own.
  if (keyAscii == 13) pages_.Drives().ToggleSelected();
}

void Form1::Image1_Click() {
  help_.OpenVendorSite();
}

void Form1::LV_ContextMenu(std::optional<POINT> mouse) {
  // The dialog sets both levels: where a policy fixes either, it can't be opened.
  const bool levelsFixed = policies_.Fixes("DriveLimits") || policies_.Fixes("DriveWarnings");
  const DriveMenuChoice choice = pages_.Drives().ContextMenu(mouse, levelsFixed);
  if (choice.item == DriveMenuChoice::Item::Limit) DriveLimit_Click(choice.letter);
  if (choice.item == DriveMenuChoice::Item::Scan) ShowScan(choice.letter);
  if (choice.item == DriveMenuChoice::Item::History) history_.ShowHistory(choice.letter);
}

void Form1::ShowScan(char letter) {
  scans_.ShowDrive(letter);
}

bool Form1::ShowNoticeDetails(std::int32_t iconId) {
  // The long forecast's notice opens the drive's history, which it is drawn from.
  if (view_.LastNoticeForeseesFull(static_cast<std::uint32_t>(iconId))) {
    if (const std::optional<std::string> drive = DriveNameAtPosition(drives_, iconId)) {
      history_.ShowHistory((*drive)[0]);
      return true;
    }
  }
  return scans_.NoticeClicked(iconId,
                              view_.LastNoticeAboutSpace(static_cast<std::uint32_t>(iconId)));
}

void Form1::DriveLimit_Click(char letter) {
  const std::size_t index = static_cast<std::size_t>(letter - 'A');
  // The page's limit as its slider stands now, applied or not.
  pages_.ReadBack(options_);
  DriveLimitQuestion question;
  question.letter = letter;
  question.pageLimit = options_.memLimit;
  question.current = {options_.driveLimits[index], options_.driveWarnings[index]};
  question.decimalSeparator = services_.system.DecimalSeparator();
  // The size as the last cycle read it; a drive not watched hasn't been read.
  if (const DriveReading reading = cycle_.ReadingOf(letter);
      reading.state == DriveReading::State::Readable) {
    question.totalBytes = reading.totalBytes;
  }
  DriveLimitDialog dialog(Instance(), hWnd());
  const std::optional<DriveLimitChoice> choice = dialog.ShowModal(question);
  if (!choice) return;
  options_.driveLimits[index] = choice->limit;
  options_.driveWarnings[index] = choice->early;
  ShowDriveStates();
}

void Form1::ShowOptions() {
  HWND window = hWnd();
  BuildPages();
  ShowWindow(window, SW_SHOW);
  SetForegroundWindow(window);
}

void Form1::PopUpTrayMenu() {
  if (const int chosen =
          trayMenu_.PopUp(hWnd(), static_cast<std::uint32_t>(routing_.ClickedIconID));
      chosen > 0) {
    pumxxx_Click(chosen);
  }
}

void Form1::pumxxx_Click(int index) {
  switch (index) {
    case 1:  // Laufwerk &öffnen: the drive of the icon whose menu this is
      routing_.OpenClickedDrive();
      break;
    case 3:  // &Optionen
      ShowOptions();
      break;
    case 4:  // &Hilfe
      help_.ShowHelp();
      break;
    case 6:  // &Beenden
      EndApp();
      break;
    default:  // &Abbrechen and the separators
      break;
  }
}

void Form1::Volume_Change(bool arrived, std::uint32_t unitMask) {
  // After the end of the session the window stays until the process ends, without icons.
  if (unloaded_) return;
  volumeAction_ = Combine(volumeAction_, ActionForVolumeChange(arrived, unitMask, drives_,
                                                               settings_.WantedDriveLetters()));
  // The list follows every volume; the check waits until a burst (a hub) has settled.
  SetTimer(hWnd(), kVolumeTimerId, kVolumeSettleMilliseconds, nullptr);
}

OptionsValues Form1::IconsAnewFromSettings() {
  tray_.RemoveAllTrayIcons(drives_.DriveCount);
  cycle_.RemoveAllDrives();
  cycle_.ClearVorigerFreierSpeicher();
  OptionsValues read = options_;
  settings_.ReadSettings(read);
  return read;
}

void Form1::VolumesSettled() {
  KillTimer(hWnd(), kVolumeTimerId);
  const VolumeAction action = std::exchange(volumeAction_, VolumeAction::Nothing);
  pages_.ReadBack(options_);
  if (action == VolumeAction::RebuildIcons) {
    // A drive the settings want arrived: the icons are made anew from what was stored, as an
    // apply would make them, while the window keeps what the user has changed and not applied.
    IconsAnewFromSettings();
  }
  if (action != VolumeAction::Nothing) {
    view_.UpdateIcons();
    // The next tick comes one whole interval after this check.
    SetTimer1Interval(timerInterval_);
  }
  if (histories_) histories_->VolumesChanged();
  options_.drives =
      RefreshedDriveEntries(options_.drives, DriveListEntries(services_.logicalDrives), drives_);
  pages_.Show(options_);
  if (IsWindowVisible(hWnd())) ShowDriveStates();
}

void Form1::ShowDriveStates() {
  if (!PagesBuilt()) return;
  pages_.Drives().ShowStates(DriveStateTexts(options_, cycle_, view_.Forecasts(),
                                             services_.system.DecimalSeparator(),
                                             histories_ ? &*histories_ : nullptr, UtcNow()));
}

void Form1::Timer1_Timer() {
  view_.UpdateIcons();
  if (histories_) {
    const std::int64_t now = UtcNow();
    histories_->Record(now);
    view_.ShowNotices(histories_->LongForecastNotices(now));
  }
  scans_.CheckDone(view_.Forecasts());
  // The states follow each check while the window is shown; a hidden one catches up as it
  // shows.
  if (IsWindowVisible(hWnd())) ShowDriveStates();
}

void Form1::Btn_Click(int index) {
  switch (index) {
    case 0:  // &OK
      DoOptionsUebernehmen();
      ShowWindow(hWnd(), SW_HIDE);
      break;
    case 1:  // &Abbrechen: the controls keep what the user set
      ShowWindow(hWnd(), SW_HIDE);
      break;
    case 2:  // &Hilfe: the window stays
      help_.ShowHelp();
      break;
    case 3:  // &Info: not modal, one at a time
      if (!info_) info_ = std::make_unique<InfoForm>(Instance(), hWnd(), help_);
      info_->ShowInfo();
      break;
    case 4:  // &Beenden
      EndApp();
      break;
    default:
      break;
  }
}

void Form1::DoOptionsUebernehmen() {
  // What the user set in the pages is what the apply stores; the pages then show what was
  // stored, as the reload read it, with the policies as they are now.
  pages_.ReadBack(options_);
  ReadPolicies();
  ApplyAutostartPolicy();
  quenora::DoOptionsUebernehmen(options_, *this, settings_, tray_, cycle_, view_);
  pages_.Show(options_);
  pages_.ShowPolicies(policies_);
  ShowDriveStates();
}

void Form1::TabStrip1_Click() {
  ShowLayer(static_cast<int>(SendMessageW(Control(kTabStrip1), TCM_GETCURSEL, 0, 0)) + 1);
}

void Form1::ShowLayer(int index) {
  pages_.ShowLayer(index);
}

void Form1::ShapeForm() {
  // The pages lie on one another with the first one shown as they are built, when the window
  // is first shown, after this.
  WindowGeometry geometry(hWnd());
  store_.RestoreFormPosition(geometry);
}

bool Form1::PreTranslateMessage(MSG& message) {
  if (info_ && info_->PreTranslateMessage(message)) return true;
  if (scans_.PreTranslateMessage(message)) return true;
  if (history_.PreTranslateMessage(message)) return true;
  HWND window = hWnd();
  if (!window || !IsWindowVisible(window)) return false;
  if (message.hwnd != window && !IsChild(window, message.hwnd)) return false;
  const PageEvent key = pages_.TranslateKey(message);
  if (key == PageEvent::None) return IsDialogMessageW(window, &message) != FALSE;
  Page_Event(key);
  return true;
}

void Form1::SetTimer1Interval(unsigned milliseconds) {
  timerInterval_ = milliseconds;
  // A new interval counts from now, as a restarted timer does.
  if (timerEnabled_) SetTimer(hWnd(), kTimer1Id, timerInterval_, nullptr);
}

void Form1::SetTimer1Enabled(bool enabled) {
  timerEnabled_ = enabled;
  if (enabled) {
    SetTimer(hWnd(), kTimer1Id, timerInterval_, nullptr);
  } else {
    KillTimer(hWnd(), kTimer1Id);
    // A tick the old timer had already queued must not run after the switch-off: the next
    // tick comes one whole interval after the timer is switched on again.
    MSG pending;
    while (PeekMessageW(&pending, hWnd(), WM_TIMER, WM_TIMER, PM_REMOVE)) {
    }
  }
}

}  // namespace quenora::win32
