#pragma once
// The base of the program's windows: a window of a fixed dialog frame, built from a table of
// its controls in twips, bound to its object, laid out again on a DPI change, and shown
// modelessly or modally over its owner.

#include <windows.h>

#include <optional>
#include <span>
#include <utility>
#include <vector>

#include "platform/win32/Handles.h"
#include "ui/ControlTable.h"

namespace quenora::win32 {

// The window class of the program's dialogs.
inline constexpr wchar_t kDialogClass[] = L"QuenoraDialog";

// Why a window is being closed.
enum class UnloadMode { CloseBox = 0, FromCode = 1, SessionEnd = 2, FromOutside = 3 };

// A window as data: its class, its client area in twips and its controls in tab order.
struct WindowLayout {
  const wchar_t* className;
  int clientWidth;
  int clientHeight;
  std::span<const ControlSpec> controls;
  // A sizing frame: the window lays its controls out as ControlPlace says at each size.
  bool resizable = false;
};

class Window {
 public:
  Window(const Window&) = delete;
  Window& operator=(const Window&) = delete;
  virtual ~Window();

  // The window while it is loaded, else null.
  HWND hWnd() const { return window_.get(); }
  // A control by its id; null while it doesn't exist.
  HWND Control(int id) const;
  int Dpi() const { return dpi_; }
  HINSTANCE Instance() const { return instance_; }

  // Keyboard handling while the window is shown without holding up the program (the main
  // loop gives it its keys): tab order, access keys; true when the message is done.
  virtual bool PreTranslateMessage(MSG& message);

  // What RunModal returns when the user closed the window by its close box, Alt+F4 or Escape.
  static constexpr int kClosedByUser = 0;

 protected:
  // `owner` may be null: the window then gets a hidden owner of its own when it is first shown.
  Window(HINSTANCE instance, HWND owner, WindowLayout layout);

  // Creates the window hidden, without controls, sized to its client area at its DPI; false if
  // it can't be made.
  bool Create(HINSTANCE instance);
  // Creates the controls of the table, in its order, which is the order Tab walks.
  void CreateControls();
  // Creates the window hidden with its controls, centred on the screen, and runs Form_Load;
  // false if the window can't be made.
  bool Load();
  // Shows the loaded window and handles messages, the owner disabled, until the window is
  // unloaded; returns the result it was unloaded with.
  int RunModal();
  // Shows the loaded window without holding up the program.
  void Show();
  // Ends a modal show with `result` and destroys the window.
  void Unload(int result);
  // Shows `picture` (not taken over) in the Picture or ScaledPicture control `id`.
  void SetPicture(int id, HBITMAP picture);
  HWND Owner() const { return owner_; }
  // Gives the window its owner's icons (the class icons of the main window), or the
  // program's without an owner.
  void TakeOwnersIcons();
  int Px(int twips) const;
  // Moves the window to `place`, if given, and sizes it to its client area at its DPI.
  void SizeToClientArea(std::optional<POINT> place);

  // The load event: the window and its controls exist, nothing is shown yet. False unloads
  // it at once.
  virtual bool Form_Load() { return true; }
  // The window is asked to close; true keeps it.
  virtual bool Form_QueryUnload(UnloadMode /*mode*/) { return false; }
  // A control's notification, e.g. BN_CLICKED of a button.
  virtual void Control_Command(int /*id*/, int /*code*/) {}
  // Where a control lies in its container; the table's place unless the window moved it.
  virtual TwipsRect ControlPlace(const ControlSpec& row) const { return row.rect; }
  // The window and its controls are laid out at another DPI; pictures may follow.
  virtual void Form_DpiChanged() {}
  // The window's message switch: what it leaves to the base goes to Window::HandleMessage,
  // which handles what every window shares.
  virtual LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

 private:
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  static LRESULT CALLBACK LayerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  void CreateFonts();
  HFONT FontOf(const ControlSpec& row);
  void CreateControl(const ControlSpec& row, bool startsGroup);
  void OnDpiChanged(int dpi, const RECT& suggested);
  void PlaceControls();
  DWORD Style() const;
  void RememberFocus(bool active);
  // Gives a window without an owner of its own the hidden one, once, before it is shown.
  void KeepOutOfTaskbar();
  void DrawPicture(const DRAWITEMSTRUCT& item) const;
  HWND FirstTabStop() const;
  // Ends RunModal's loop, waking it if it waits for a message.
  void StopModalLoop();

  HINSTANCE instance_;
  HWND owner_;
  WindowLayout layout_;
  UniqueWindow hiddenOwner_;
  UniqueWindow window_;  // takes the handle at WM_NCCREATE
  int dpi_ = 96;
  UniqueFont font_, boldFont_;
  std::vector<UniqueFont> ownFonts_;
  std::vector<std::pair<int, HBITMAP>> pictures_;
  UniqueCursor handPointer_;
  HWND lastFocus_ = nullptr;
  bool running_ = false;
  bool ownerDisabled_ = false;
  int result_ = kClosedByUser;
};

}  // namespace quenora::win32
