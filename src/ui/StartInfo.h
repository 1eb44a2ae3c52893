#pragma once
// The start hint: a note that the program now runs in the notification area, shown at start
// until the user ticks the box that keeps it away for this version.

#include <string_view>

#include "settings/SettingsStore.h"

namespace quenora {

// The hint the start shows when the program goes straight to the notification area.
inline constexpr std::string_view kTrayStartHint =
    "Der Restspeicher Ihrer Laufwerke wird mit verschiedenen Icons in der Taskleiste neben der "
    "Uhr angezeigt.";

// How the user left the dialog.
struct StartInfoAnswer {
  bool okPressed = false;       // false: the close box or Alt+F4
  bool neverShowAgain = false;  // NeverShowAgainChk as it was when OK was pressed
};

// The dialog StartInfoDialog as the hint's logic needs it.
class StartInfoView {
 public:
  virtual ~StartInfoView() = default;
  // Shows `text` modally; returns when the dialog is closed.
  virtual StartInfoAnswer ShowModal(std::string_view text) = 0;
};

class StartInfoDialogModule {
 public:
  StartInfoDialogModule(SettingsStore& store, StartInfoView& dialog)
      : store_(store), dialog_(dialog) {}

  // Shows `text` unless the hint `identifier` was turned off in this version of the program;
  // returns when the user has closed the dialog.
  void ShowStartInfo(std::string_view text, std::string_view identifier);

 private:
  SettingsStore& store_;
  StartInfoView& dialog_;
};

}  // namespace quenora
