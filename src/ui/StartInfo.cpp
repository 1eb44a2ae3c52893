#include "ui/StartInfo.h"

#include <string>

#include "util/ProgramIdentity.h"

namespace quenora {

namespace {

// The identifier keeps several hints apart; the program's one hint has the empty one.
std::string SuppressionKey(std::string_view identifier) {
  return "_SID" + std::string(identifier);
}

}  // namespace

void StartInfoDialogModule::ShowStartInfo(std::string_view text, std::string_view identifier) {
  const std::string key = SuppressionKey(identifier);
  // The box is ticked per version: after an update the hint comes once more, so the stored
  // text must match this version's exactly, letter case and all.
  const std::string thisVersion = VersionText(VersionBare);
  if (store_.LoadValue(key, "") == thisVersion) return;

  const StartInfoAnswer answer = dialog_.ShowModal(text);
  // Only OK takes the tick; the close box leaves the store as it was.
  if (answer.okPressed && answer.neverShowAgain) store_.SaveValue(key, thisVersion);
}

}  // namespace quenora
