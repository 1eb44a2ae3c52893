#pragma once
// The base of the program's small fixed-size dialogs: a window built from a table of its
// controls in twips, shown modally over its owner.

#include <windows.h>

#include <span>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/win32/Handles.h"
#include "ui/Form1Layout.h"

namespace quenora::win32 {

enum class DialogControlKind {
  Picture,        // a bitmap, unscaled, in the middle of the control
  Label,          // wrapped over its width; an ampersand shows as it is
  CenteredLabel,  // the same, each line centred
  CheckBox,
  DefaultButton,  // the push button that Enter presses
  PushButton,     // a push button; its text may wrap over two lines
  ScaledPicture,  // a bitmap scaled to the control, reporting clicks
  Line,           // an etched horizontal separator
};

struct DialogControl {
  int id;
  DialogControlKind kind;
  std::string_view text;
  TwipsRect rect;
  bool bold = false;
  // Another face and size than the dialog font's, in hundredths of a point.
  const wchar_t* fontFace = nullptr;
  int fontCentiPoints = 0;
};

// A dialog as data: its client area in twips and its controls in tab order.
struct DialogLayout {
  int clientWidth;
  int clientHeight;
  std::span<const DialogControl> controls;
};

class DialogWindow {
 public:
  DialogWindow(const DialogWindow&) = delete;
  DialogWindow& operator=(const DialogWindow&) = delete;
  virtual ~DialogWindow();

  // The window while it is loaded, else null.
  HWND hWnd() const { return window_.get(); }
  HWND Control(int id) const { return GetDlgItem(window_.get(), id); }
  int Dpi() const { return dpi_; }

  // What RunModal returns when the user closed the dialog by its close box, Alt+F4 or Escape.
  static constexpr int kClosedByUser = 0;

 protected:
  // `owner` may be null: the dialog then gets a hidden owner of its own.
  DialogWindow(HINSTANCE instance, HWND owner, DialogLayout layout);

  // Creates the window hidden with its controls, centred on the screen, and runs Form_Load;
  // false if the window can't be made.
  bool Load();
  // Shows the loaded window and handles messages, the owner disabled, until the dialog is
  // unloaded; returns the result it was unloaded with.
  int RunModal();
  // Shows the loaded window without holding up the program (the main loop must give the
  // dialog its keys through PreTranslateMessage).
  void Show();
  // Ends the modal show with `result` and destroys the window.
  void Unload(int result);

 public:
  // Keyboard handling of a modeless dialog; true when the message is done.
  bool PreTranslateMessage(MSG& message);

 protected:
  // Shows `picture` (not taken over) in the Picture control `id`.
  void SetPicture(int id, HBITMAP picture);

  HINSTANCE Instance() const { return instance_; }
  HWND Owner() const { return owner_; }

  // The load event: the window and its controls exist, nothing is shown yet.
  virtual void Form_Load() {}
  // A control's notification, e.g. BN_CLICKED of a button.
  virtual void Control_Command(int /*id*/, int /*code*/) {}
  // Any other message; true when handled, with its result.
  virtual bool Form_Message(UINT /*message*/, WPARAM /*wParam*/, LPARAM /*lParam*/,
                            LRESULT& /*result*/) {
    return false;
  }

 private:
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
  void CreateControl(const DialogControl& row);
  void DrawPicture(const DRAWITEMSTRUCT& item) const;
  HWND FirstTabStop() const;
  // Ends RunModal's loop, waking it if it waits for a message.
  void StopModalLoop();
  int Px(int twips) const { return TwipsToPixels(twips, dpi_); }

  HINSTANCE instance_;
  HWND owner_;
  DialogLayout layout_;
  UniqueWindow hiddenOwner_;
  UniqueWindow window_;  // takes the handle at WM_NCCREATE
  int dpi_ = 96;
  UniqueFont font_, boldFont_;
  std::vector<UniqueFont> ownFonts_;
  std::vector<std::pair<int, HBITMAP>> pictures_;
  HWND lastFocus_ = nullptr;
  bool running_ = false;
  bool ownerDisabled_ = false;
  int result_ = kClosedByUser;
};

}  // namespace quenora::win32
