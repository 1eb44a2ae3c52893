#pragma once
// The main window: owner of the check timer, the tray pictures and the tray icons.

#include <windows.h>

#include <array>

#include "monitor/CheckCycle.h"
#include "monitor/DriveTable.h"
#include "monitor/FreeSpace.h"
#include "platform/win32/Handles.h"
#include "tray/TrayIconSet.h"

namespace quenora::win32 {

// The system services the window works through; tests hand in recording ones.
struct Form1Services {
  DiskSpaceApi& disks;
  NotifyArea& notifyArea;
  SystemServices& system;
};

class Form1 {
 public:
  explicit Form1(Form1Services services);
  Form1(const Form1&) = delete;
  Form1& operator=(const Form1&) = delete;
  ~Form1();

  // Creates the hidden window and runs the start sequence; false if the window can't be made.
  bool Load(HINSTANCE instance);
  HWND hWnd() const { return window_.get(); }

  CheckCycle& Cycle() { return cycle_; }
  const DriveTable& Drives() const { return drives_; }
  const IconImages& IcoImage() const { return icoImage_; }
  UINT TimerInterval() const { return timerInterval_; }

  static constexpr UINT_PTR kTimer1Id = 1;

 private:
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

  void Form_Load();
  void Form_Unload();
  void Timer1_Timer();
  // The monitor settings' defaults: drive C:, every 10 seconds, 10 MB, with sound.
  void LoadDefaultMonitorSettings();

  Form1Services services_;
  DriveTable drives_;
  std::array<UniqueIcon, kTrayPictureCount> icoImageOwners_;
  IconImages icoImage_{};
  FreeSpace freeSpace_;
  TrayIconSet tray_;
  CheckCycle cycle_;
  UniqueWindow window_;
  UINT timerInterval_ = 2000;
  bool unloaded_ = false;
};

}  // namespace quenora::win32
