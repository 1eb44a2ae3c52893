#include "ui/Form1.h"

#include <commctrl.h>
#include <dbt.h>
#include <windowsx.h>

#include <utility>

#include "platform/win32/UiParts.h"
#include "platform/win32/WideText.h"
#include "platform/win32/Win32FolderListing.h"
#include "platform/win32/Win32NotifyArea.h"
#include "platform/win32/WindowGeometry.h"
#include "resource.h"
#include "settings/DriveListBox.h"
#include "tray/TrayMenuPlace.h"
#include "ui/DriveLimitDialog.h"
#include "ui/DriveListRefresh.h"
#include "ui/StartInfoDialog.h"
#include "ui/TrayIcons.h"
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
      view_(cycle_, tray_, services.system, icoImage_),
      settings_(store_, services.logicalDrives, view_, &policies_),
      routing_(tray_, *this, services.shell, *this),
      autostart_(services.registryCalls, services.files, services.system),
      help_(services.shell, services.files, services.system),
      scans_(services.folders ? services.folders : std::make_shared<Win32FolderListing>(), [this] {
        // On a worker's thread: only the message crosses over.
        if (HWND window = scansWake_.load()) {
          PostMessageW(window, kScansChangedMessage, 0, 0);
        }
      }) {
  view_.GrowthFolderOf = [this](std::int32_t driveNumber) {
    const ScanSource::State state = scans_.StateOf(DriveName(driveNumber));
    return state.latest && state.previous ? MainGrowthFolder(*state.previous, *state.latest)
                                          : std::string();
  };
}

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
  CreateTrayMenu();
  // Timer1 runs from the window's creation with its designed interval; the settings set the
  // real one before the first tick can come.
  SetTimer1Enabled(true);
  return Form_Load();
}

IconHandle Form1::MakeTrayPicture(int index) {
  UniqueIcon& icon = icoImageOwners_[static_cast<std::size_t>(index)];
  icon = CreateTrayIcon(index, trayStyle_);
  return reinterpret_cast<IconHandle>(icon.get());
}

void Form1::TrayLook_Change(bool themeChanged) {
  if (themeChanged) {
    taskbar_.systemUsesLightTheme =
        services_.registry.ReadUserText(kPersonalizeKey, kSystemUsesLightTheme);
  }
  taskbar_.smallIconSize = services_.system.TrayIconSize();
  taskbar_.highContrastText = services_.system.HighContrastText();
  const TrayPictureStyle style = TrayPictureStyleFor(taskbar_);
  if (style == trayStyle_) return;
  trayStyle_ = style;
  // Only the pictures the icons show are made anew, now; the others when first wanted. The
  // old icons stay alive until the shell has the new ones: it may still draw one of them.
  const std::array<UniqueIcon, kTrayPictureCount> old = std::move(icoImageOwners_);
  icoImage_.Forget();
  view_.ShowPicturesAgain(drives_.DriveCount);
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
  // Loaded here, not at the start: its pictures are PNG, and decoding them would load the
  // system's image codecs into a program that sits in the tray.
  SetClassLongPtrW(window, GCLP_HICON,
                   reinterpret_cast<LONG_PTR>(LoadIconW(Instance(), MAKEINTRESOURCEW(IDI_APP))));
  SetClassLongPtrW(window, GCLP_HICONSM,
                   reinterpret_cast<LONG_PTR>(LoadImageW(
                       Instance(), MAKEINTRESOURCEW(IDI_APP), IMAGE_ICON,
                       GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), LR_SHARED)));
  CreateControls();
  pages_.Build(options_);
  pages_.ShowPolicies(policies_);
}

const OptionsValues& Form1::Options() {
  pages_.ReadBack(options_);
  return options_;
}

void Form1::CreateTrayMenu() {
  // The tray icons' pop-up menu.
  pum_.reset(CreatePopupMenu());
  for (std::size_t i = 0; i < PumItems().size(); ++i) {
    const std::wstring caption = Widen(PumItems()[i]);
    if (caption == L"-") {
      AppendMenuW(pum_.get(), MF_SEPARATOR, i + 1, nullptr);
    } else {
      AppendMenuW(pum_.get(), MF_STRING, i + 1, caption.c_str());
    }
  }
}

LRESULT Form1::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  HWND window = hWnd();
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
      // The states follow each check while the window is shown; a hidden one catches up as it
      // shows.
      if (IsWindowVisible(window)) ShowDriveStates();
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
      // Only volumes that came or went matter; every other device message changes nothing.
      if ((wParam == DBT_DEVICEARRIVAL || wParam == DBT_DEVICEREMOVECOMPLETE) && lParam != 0) {
        // Any process can send this message: the record is read only as far as it says it
        // reaches, its size before its type, its letters only in a whole volume record.
        const auto& header = *reinterpret_cast<const DEV_BROADCAST_HDR*>(lParam);
        if (header.dbch_size >= sizeof(DEV_BROADCAST_VOLUME) &&
            header.dbch_devicetype == DBT_DEVTYP_VOLUME) {
          Volume_Change(wParam == DBT_DEVICEARRIVAL,
                        reinterpret_cast<const DEV_BROADCAST_VOLUME*>(lParam)->dbcv_unitmask);
        }
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
    case kScansChangedMessage:
      Scans_Change();
      return 0;
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
  if (header.idFrom == static_cast<UINT_PTR>(kLV) && header.code == LVN_ITEMCHANGING) {
    return pages_.RefusesChange(reinterpret_cast<const NMLISTVIEW&>(header)) ? TRUE : FALSE;
  }
  if (header.idFrom == static_cast<UINT_PTR>(kLV) && header.code == NM_DBLCLK) {
    // A double-click on the check box itself has toggled it already, as a click does.
    const auto& activate = reinterpret_cast<const NMITEMACTIVATE&>(header);
    LVHITTESTINFO hit{};
    hit.pt = activate.ptAction;
    SendMessageW(header.hwndFrom, LVM_SUBITEMHITTEST, 0, reinterpret_cast<LPARAM>(&hit));
    if (!(hit.flags & LVHT_ONITEMSTATEICON)) LV_DblClick();
    return 0;
  }
  if (header.idFrom == static_cast<UINT_PTR>(kLV) && header.code == LVN_GETINFOTIPW) {
    // The entry with its whole state: "Z: 69,6 GB = 28%, Grenze 10 %".
    auto& tip = *reinterpret_cast<NMLVGETINFOTIPW*>(const_cast<NMHDR*>(&header));
    const std::size_t item = static_cast<std::size_t>(tip.iItem);
    if (tip.iItem >= 0 && item < options_.drives.size() && tip.pszText && tip.cchTextMax > 0) {
      wchar_t state[256] = {};
      LVITEMW subItem{};
      subItem.iSubItem = 1;
      subItem.pszText = state;
      subItem.cchTextMax = 256;
      SendMessageW(header.hwndFrom, LVM_GETITEMTEXTW, item, reinterpret_cast<LPARAM>(&subItem));
      std::wstring text = Widen(options_.drives[item].text);
      if (state[0]) text += std::wstring(L" \x2013 ") + state;
      lstrcpynW(tip.pszText, text.c_str(), tip.cchTextMax);
    }
    return 0;
  }
  HWND tabStrip = Control(kTabStrip1);
  if (tabStrip && header.hwndFrom == tabStrip && header.code == TCN_SELCHANGE) {
    TabStrip1_Click();
    return 0;
  }
  if (header.code == TTN_GETDISPINFOW &&
      header.hwndFrom == reinterpret_cast<HWND>(SendMessageW(tabStrip, TCM_GETTOOLTIPS, 0, 0))) {
    // The tab strip asks for the tooltip of tab idFrom.
    auto& info = *reinterpret_cast<NMTTDISPINFOW*>(const_cast<NMHDR*>(&header));
    static std::array<std::wstring, kPageCount> tips;
    const std::size_t tab = header.idFrom;
    if (tab < tips.size()) {
      tips[tab] = Widen(Form1Tabs()[tab].tooltip);
      info.lpszText = tips[tab].data();
    }
    return 0;
  }
  return 0;
}

bool Form1::Form_Load() {
  HWND window = hWnd();
  // A start by the autostart entry ends at once where the administrator switched autostart
  // off: the user's own entry stays for when the policy goes.
  policies_.Read(services_.registryCalls);
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
  scansWake_.store(window);
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
  scansWake_.store(nullptr);
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

void Form1::ApplyAutostartPolicy() {
  autostart_.ApplyAutostartPolicy(autoStartChk_, policies_.Value(kAutoStartPolicy));
}

void Form1::Policies_Change() {
  const Policies before = policies_;
  policies_.Read(services_.registryCalls);
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
  const auto turned = [&](std::string_view name) {
    return policies_.Fixes(name) || before.Fixes(name);
  };
  if (turned("TimerInterval")) options_.timerInterval = read.timerInterval;
  if (turned("MemoryLimit")) options_.memLimit = read.memLimit;
  if (turned("AlarmSoundEnabled")) options_.alarmSound = read.alarmSound;
  if (turned("AlarmNotifyEnabled")) options_.alarmNotify = read.alarmNotify;
  if (turned("DriveList")) options_.drives = read.drives;
  if (turned("DriveLimits")) options_.driveLimits = read.driveLimits;
  if (turned("DriveWarnings")) options_.driveWarnings = read.driveWarnings;
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
  pages_.ToggleSelectedDrive();
}

void Form1::LV_KeyPress(int keyAscii) {
  // Enter toggles the selected drive and presses no button; other keys are the list's own.
  if (keyAscii == 13) pages_.ToggleSelectedDrive();
}

void Form1::Image1_Click() {
  help_.OpenVendorSite();
}

void Form1::LV_ContextMenu(std::optional<POINT> mouse) {
  HWND list = Control(kLV);
  if (!list) return;
  int item = -1;
  POINT at{};
  if (mouse) {
    LVHITTESTINFO hit{};
    hit.pt = *mouse;
    ScreenToClient(list, &hit.pt);
    item = static_cast<int>(SendMessageW(list, LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
    at = *mouse;
  } else {
    item = static_cast<int>(
        SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
    RECT rect{};
    rect.left = LVIR_LABEL;
    if (item >= 0 && SendMessageW(list, LVM_GETITEMRECT, static_cast<WPARAM>(item),
                                  reinterpret_cast<LPARAM>(&rect))) {
      at = {rect.left, rect.bottom};
      ClientToScreen(list, &at);
    }
  }
  if (item < 0 || static_cast<std::size_t>(item) >= options_.drives.size()) return;
  const std::string& entry = options_.drives[static_cast<std::size_t>(item)].text;
  if (entry.empty() || entry[0] < 'A' || entry[0] > 'Z') return;
  const char letter = entry[0];

  constexpr UINT kDriveLimitItem = 1, kScanItem = 2;
  UniqueMenu menu(CreatePopupMenu());
  if (!menu) return;
  AppendMenuW(menu.get(), MF_STRING, kScanItem,
              Widen("&Was belegt Platz auf " + std::string{letter, ':'} + "?").c_str());
  // The dialog sets both levels: where a policy fixes either, it can't be opened.
  const bool levelsFixed = policies_.Fixes("DriveLimits") || policies_.Fixes("DriveWarnings");
  AppendMenuW(
      menu.get(), MF_STRING | (levelsFixed ? MF_GRAYED : 0u), kDriveLimitItem,
      Widen("&Alarmgrenze f\xC3\xBCr " + std::string{letter, ':'} + " \xE2\x80\xA6").c_str());
  const UINT chosen = static_cast<UINT>(
      TrackPopupMenu(menu.get(), TPM_RETURNCMD | TPM_RIGHTBUTTON, at.x, at.y, 0, hWnd(), nullptr));
  if (chosen == kDriveLimitItem) DriveLimit_Click(letter);
  if (chosen == kScanItem) ShowScan(letter);
}

DriveReading Form1::LastReading(char letter) const {
  for (int slot = 0; slot < drives_.DriveCount && slot < kMaxDrives; ++slot) {
    if (drives_.DriveNumbers[static_cast<std::size_t>(slot)] == letter % 64) {
      return cycle_.Readings()[static_cast<std::size_t>(slot)];
    }
  }
  return {};
}

void Form1::ShowScan(char letter) {
  const DriveReading reading = LastReading(letter);
  const bool readable = reading.state == DriveReading::State::Readable;
  if (!scanWindow_) {
    scanWindow_ = std::make_unique<ScanWindow>(Instance(), hWnd(), autoScans_, services_.shell,
                                               services_.system);
  }
  scanWindow_->ShowDrive(letter, readable ? std::optional(reading.totalBytes) : std::nullopt,
                         readable ? std::optional(reading.freeBytes) : std::nullopt, reading.label);
}

bool Form1::ShowNoticeDetails(std::int32_t iconId) {
  const std::optional<std::string> drive = DriveNameAtPosition(drives_, iconId);
  if (!drive || !view_.LastNoticeAboutSpace(static_cast<std::uint32_t>(iconId))) return false;
  if (!scans_.StateOf(*drive).latest) {
    autoScans_.StartScan(*drive);
    return false;
  }
  ShowScan((*drive)[0]);
  return true;
}

void Form1::Scans_Change() {
  scans_.TakeFinished();
  if (scanWindow_) scanWindow_->ScansChanged();
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
  if (const DriveReading reading = LastReading(letter);
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

std::optional<std::string> Form1::DriveOfIcon(std::int32_t iconId) const {
  return DriveNameAtPosition(drives_, iconId);
}

void Form1::PopUpTrayMenu() {
  HWND window = hWnd();
  SetMenuDefaultItem(pum_.get(), kPumDefaultItem, FALSE);
  POINT mouse{};
  GetCursorPos(&mouse);
  const std::optional<RECT> icon = TrayIconRect(window, static_cast<UINT>(routing_.ClickedIconID));
  const TrayMenuPlace place = PlaceTrayMenu(
      {mouse.x, mouse.y},
      icon ? std::optional(ScreenRect{icon->left, icon->top, icon->right, icon->bottom})
           : std::nullopt);
  // Opened from the keyboard, the menu lies above or below its icon, whichever has room.
  TPMPARAMS clearOf{};
  clearOf.cbSize = sizeof clearOf;
  if (icon) clearOf.rcExclude = *icon;
  const UINT flags =
      TPM_RETURNCMD | TPM_RIGHTBUTTON | (place.atIcon ? TPM_VERTICAL | TPM_BOTTOMALIGN : 0u);
  // Without the window in front the menu wouldn't close when the user clicks elsewhere, nor
  // hear the arrows, Enter and Escape; the empty message after it lets the menu's own closing
  // finish.
  SetForegroundWindow(window);
  const int chosen = static_cast<int>(TrackPopupMenuEx(pum_.get(), flags, place.at.x, place.at.y,
                                                       window, place.atIcon ? &clearOf : nullptr));
  PostMessageW(window, WM_NULL, 0, 0);
  // Dismissed or "&Abbrechen" from the keyboard: the keyboard goes back to the icons, as the
  // shell asks of a menu that leads nowhere.
  if (place.atIcon && (chosen == 0 || chosen == kPumDefaultItem)) {
    tray_.ReturnFocusToTray(static_cast<std::uint32_t>(routing_.ClickedIconID));
  }
  if (chosen > 0) pumxxx_Click(chosen);
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
  options_.drives =
      RefreshedDriveEntries(options_.drives, DriveListEntries(services_.logicalDrives), drives_);
  pages_.Show(options_);
}

void Form1::ShowDriveStates() {
  if (!PagesBuilt()) return;
  std::vector<std::string> states;
  const std::string separator = services_.system.DecimalSeparator();
  const DriveLimits limits = cycle_.Limits();
  for (const DriveEntry& entry : options_.drives) {
    const char letter = entry.text.empty() ? '\0' : entry.text[0];
    const std::int32_t number = letter % 64;
    // A drive not watched waits for nothing and has no state.
    const DriveReading reading = LastReading(letter);
    std::string state = DriveStatusText(
        reading,
        view_.Forecasts().TimeUntilBelow(number, limits.LimitBytes(number, reading.totalBytes)),
        separator);
    // The levels the user set in the window, applied or not.
    if (number >= 1 && number <= 26) {
      const std::size_t letter = static_cast<std::size_t>(number - 1);
      state = WithOwnLevels(state, options_.driveLimits[letter], options_.driveWarnings[letter],
                            separator);
    }
    states.push_back(std::move(state));
  }
  pages_.ShowDriveStates(states);
}

void Form1::Timer1_Timer() {
  view_.UpdateIcons();
  // The window of scans says the drive's free space as the icon does.
  if (const char shown = scanWindow_ ? scanWindow_->Drive() : 0) {
    const DriveReading reading = LastReading(shown);
    if (reading.state == DriveReading::State::Readable) {
      scanWindow_->DriveRead(reading.totalBytes, reading.freeBytes, reading.label);
    }
  }
  // A drive that fills or is low is scanned on its own now and then, so that a look at it
  // can say what grew.
  autoScans_.Tick(drives_, cycle_.Readings(), cycle_.Limits(), view_.Forecasts(),
                  std::chrono::system_clock::now());
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
  policies_.Read(services_.registryCalls);
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

int Form1::VisibleLayer() const {
  return pages_.VisibleLayer();
}

void Form1::ShapeForm() {
  // The pages lie on one another with the first one shown as they are built, when the window
  // is first shown, after this.
  WindowGeometry geometry(hWnd());
  store_.RestoreFormPosition(geometry);
}

bool Form1::PreTranslateMessage(MSG& message) {
  if (info_ && info_->PreTranslateMessage(message)) return true;
  if (scanWindow_ && scanWindow_->PreTranslateMessage(message)) return true;
  HWND window = hWnd();
  if (!window || !IsWindowVisible(window)) return false;
  if (message.hwnd != window && !IsChild(window, message.hwnd)) return false;
  if (message.message == WM_KEYDOWN && message.wParam == VK_RETURN &&
      message.hwnd == Control(kLV)) {
    LV_KeyPress(13);
    return true;
  }
  // Shift+F10 and the menu key open the drive list's menu here, once: the key's release
  // would bring a second one through the list's own handling.
  const bool keyDown = message.message == WM_KEYDOWN || message.message == WM_SYSKEYDOWN;
  const bool keyUp = message.message == WM_KEYUP || message.message == WM_SYSKEYUP;
  if ((keyDown || keyUp) && message.hwnd == Control(kLV) &&
      (message.wParam == VK_APPS || (message.wParam == VK_F10 && GetKeyState(VK_SHIFT) < 0))) {
    if (keyDown) LV_ContextMenu(std::nullopt);
    return true;
  }
  if (message.message == WM_KEYDOWN && message.wParam == VK_TAB) {
    const bool control = GetKeyState(VK_CONTROL) < 0;
    const bool shift = GetKeyState(VK_SHIFT) < 0;
    if (control) {
      // Ctrl+Tab turns the pages, as in every tabbed dialog.
      HWND tabStrip = Control(kTabStrip1);
      const int current = static_cast<int>(SendMessageW(tabStrip, TCM_GETCURSEL, 0, 0));
      const int next = (current + (shift ? kPageCount - 1 : 1)) % kPageCount;
      SendMessageW(tabStrip, TCM_SETCURSEL, static_cast<WPARAM>(next), 0);
      TabStrip1_Click();
    } else {
      MoveFocus(shift);
    }
    return true;
  }
  return IsDialogMessageW(window, &message) != FALSE;
}

void Form1::MoveFocus(bool backwards) {
  // The window's own tab order: the pages lie on the tab strip, so the order of the windows
  // on the screen isn't the order for the keyboard.
  const std::span<const int> order = Form1TabOrder();
  const int count = static_cast<int>(order.size());
  HWND focus = GetFocus();
  int current = -1;
  for (int i = 0; i < count; ++i) {
    HWND control = Control(order[static_cast<std::size_t>(i)]);
    if (control && (control == focus || IsChild(control, focus))) current = i;
  }
  for (int step = 1; step <= count; ++step) {
    const int i = ((current + (backwards ? -step : step)) % count + count) % count;
    HWND control = Control(order[static_cast<std::size_t>(i)]);
    if (control && IsWindowVisible(control) && IsWindowEnabled(control)) {
      SendMessageW(hWnd(), WM_CHANGEUISTATE, MAKEWPARAM(UIS_CLEAR, UISF_HIDEFOCUS), 0);
      SetFocus(control);
      return;
    }
  }
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
