#pragma once
// The main window: the options window, and owner of the check timer, the tray pictures, the
// tray icons and the hidden service controls.

#include <windows.h>

#include <array>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "help/HelpLinks.h"
#include "monitor/CheckCycle.h"
#include "monitor/DriveTable.h"
#include "monitor/FreeSpace.h"
#include "platform/LogicalDrives.h"
#include "platform/Registry.h"
#include "platform/Shell.h"
#include "platform/win32/Handles.h"
#include "platform/win32/Win32System.h"
#include "settings/Autostart.h"
#include "settings/MonitorSettings.h"
#include "settings/OptionsControls.h"
#include "settings/SettingsStore.h"
#include "tray/TrayIconSet.h"
#include "tray/TrayRouting.h"
#include "ui/Form1Layout.h"
#include "ui/InfoForm.h"
#include "ui/TrayView.h"

namespace quenora::win32 {

// The system services the window works through; tests hand in recording ones.
struct Form1Services {
  DiskSpaceApi& disks;
  NotifyArea& notifyArea;
  Win32System& system;  // shows its message boxes over the window while it is shown
  Registry& registry;
  Shell& shell;
  RegistryCalls& registryCalls;
  Files& files;
  LogicalDrives& logicalDrives;
};

// Why the window is being closed.
enum class UnloadMode { CloseBox = 0, FromCode = 1, SessionEnd = 2, FromOutside = 3 };

class Form1 final : private OptionsControls,
                    private TrayIconDrives,
                    private TrayMenuHost,
                    private TrayPictureMaker {
 public:
  explicit Form1(Form1Services services);
  Form1(const Form1&) = delete;
  Form1& operator=(const Form1&) = delete;
  ~Form1() override;

  // Creates the window with its controls, hidden, and runs the start sequence; false if the
  // window can't be made or another instance runs.
  bool Load(HINSTANCE instance);
  // Keyboard handling of the window (tab order, access keys); true when the message is done.
  bool PreTranslateMessage(MSG& message);

  HWND hWnd() const { return window_.get(); }
  // A control of the window; the pages are built first if they aren't yet.
  HWND Control(int id);
  // Whether the window's controls exist: a start into the tray leaves them unbuilt until the
  // window is first shown.
  bool PagesBuilt() const { return pagesBuilt_; }
  CheckCycle& Cycle() { return cycle_; }
  const DriveTable& Drives() const { return drives_; }
  IconImages& IcoImage() { return icoImage_; }
  TrayView& View() { return view_; }
  OptionsControls& Controls() { return *this; }
  TrayRouting& Routing() { return routing_; }
  TrayIconSet& Tray() { return tray_; }
  AutostartCheckbox& AutoStartChk() { return autoStartChk_; }
  HelpLinks& Help() { return help_; }
  // The About dialog while it is open, else null.
  InfoForm* Info() { return info_ && info_->hWnd() ? info_.get() : nullptr; }
  UINT TimerInterval() const { return timerInterval_; }
  bool TimerEnabled() const { return timerEnabled_; }
  // The page shown, 1..4, or 0 when none is.
  int VisibleLayer() const;

  // Handlers and routines, named as the window's events and methods.
  void Btn_Click(int index);
  void pumxxx_Click(int index);
  void AutoStartChk_Click();
  void LV_DblClick();
  void LV_KeyPress(int keyAscii);
  void Image1_Click();
  void EndApp();
  void TabStrip1_Click();
  void ShowLayer(int index);
  void ShapeForm();
  void DoOptionsUebernehmen();
  void Timer1_Timer();

  static constexpr UINT_PTR kTimer1Id = 1;

 private:
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  static LRESULT CALLBACK LayerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT OnNotify(const NMHDR& header);

  // False when the program must end at once (another instance runs).
  bool Form_Load();
  // Returns true to keep the window (it is only hidden).
  bool Form_QueryUnload(UnloadMode mode);
  void Form_Unload();

  // Builds the controls with their fonts and pictures and hands them the values held so far.
  void BuildPages();
  // The control if the pages are built, else null.
  HWND BuiltControl(int id) const;
  void CreateControls();
  // The tray icons' menu: a window in the tray needs it.
  void CreateTrayMenu();
  // All pages on the place of the first, the first one shown.
  void PlacePages();
  // Lays the window out again for another DPI (moved to a monitor of another scale).
  void OnDpiChanged(int dpi, const RECT& suggested);
  // Sizes the window to its client area at the current DPI; moves it to `place` if given.
  void SizeWindowToClient(std::optional<POINT> place);
  HWND CreateControl(const ControlSpec& row);
  void CreateFonts();
  void LoadPictures();
  // TrayPictureMaker: the picture made as an icon the window owns.
  IconHandle MakeTrayPicture(int index) override;
  void MoveFocus(bool backwards);
  void ToggleSelectedDrive();
  void DrawLogo(const DRAWITEMSTRUCT& item);
  int Px(int twips) const { return TwipsToPixels(twips, dpi_); }

  // OptionsControls: the controls that hold the settings between two applies.
  int TimerIntervalSliderValue() const override;
  void SetTimerIntervalSliderValue(int seconds) override;
  int MemLimitSliderValue() const override;
  void SetMemLimitSliderValue(int megabytes) override;
  int Check1Value() const override;
  void SetCheck1Value(int value) override;
  void RefreshIntervalDisplay() override;
  void RefreshLimitDisplay() override;
  void SetTimer1Interval(unsigned milliseconds) override;
  void SetTimer1Enabled(bool enabled) override;
  std::vector<std::string> RefreshDriveList() override;
  void ClearLV() override;
  void AddLVEntry(std::string_view text) override;
  int LVCount() const override;
  std::string LVText(int index) const override;
  bool LVChecked(int index) const override;
  void SetLVChecked(int index, bool checked) override;

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

  // What the controls hold while they aren't built yet; handed to them when they are.
  struct UnbuiltControls {
    int interval = 0;
    int limit = 0;
    int check1 = 0;
    int autoStart = 0;
    struct Entry {
      std::string text;
      bool checked = false;
    };
    std::vector<Entry> lv;
  };

  // TrayIconDrives: the drive at the icon's list position.
  std::optional<std::string> DriveOfIcon(std::int32_t iconId) const override;
  // TrayMenuHost: the menu pum at the mouse, with "&Abbrechen" as its default item.
  void PopUpTrayMenu() override;
  void ShowOptions();

  Form1Services services_;
  SettingsStore store_;
  DriveTable drives_;
  // The tray pictures, made when first shown; they belong to the window and live as long as
  // it does.
  std::array<UniqueIcon, kTrayPictureCount> icoImageOwners_;
  IconImages icoImage_{static_cast<TrayPictureMaker&>(*this)};
  FreeSpace freeSpace_;
  TrayIconSet tray_;
  CheckCycle cycle_;
  TrayView view_;
  MonitorSettings settings_;
  TrayRouting routing_;
  Autostart autostart_;
  HelpLinks help_;
  AutoStartChkControl autoStartChk_{*this};

  HINSTANCE instance_ = nullptr;
  UniqueWindow owner_;   // hidden: keeps the window out of the taskbar
  UniqueWindow window_;  // takes the handle at WM_NCCREATE
  UniqueWindow tooltip_;
  int dpi_ = 96;
  UniqueFont font_, boldFont_, logoFont_, logoSmallFont_, logoTaglineFont_;
  std::array<UniqueIcon, 4> pagePictures_;
  UniqueIcon emblem_;
  UniqueImageList imageList1_;
  UniqueCursor handPointer_;
  UniqueMenu pum_;
  std::unique_ptr<InfoForm> info_;
  HWND lastFocus_ = nullptr;
  UINT timerInterval_ = 2000;  // as designed, until the settings set it
  bool timerEnabled_ = false;
  bool unloaded_ = false;
  bool shaped_ = false;
  bool pagesBuilt_ = false;
  UnbuiltControls unbuilt_;
};

}  // namespace quenora::win32
