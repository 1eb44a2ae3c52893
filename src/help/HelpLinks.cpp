#include "help/HelpLinks.h"

#include <array>

#include "util/MessageTemplate.h"
#include "util/ProgramIdentity.h"

namespace quenora {

namespace {

// The program's directory wins over its subfolder "hilfe", the name "index" over "hilfe",
// ".htm" over ".html".
constexpr std::array<std::string_view, 8> kHelpCandidates = {
    "index.htm",        "index.html",        "hilfe.htm",        "hilfe.html",
    "hilfe\\index.htm", "hilfe\\index.html", "hilfe\\hilfe.htm", "hilfe\\hilfe.html",
};

constexpr std::uint32_t kWindows9xPlatform = 1;

char ToLower(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

}  // namespace

void HelpLinks::ShowHelp() {
  const std::string path = FindHelpFile();
  if (path.empty()) {
    system_.ShowMessage("Die Online-Hilfe konnte leider nicht gefunden werden ...", kProductName);
    return;
  }
  OpenDocument(path, 0);
}

std::string HelpLinks::FindHelpFile() {
  for (const std::string_view candidate : kHelpCandidates) {
    // Help installed while the program runs is found on the next request.
    std::string path = ProgramDirectory(system_.ExecutablePath());
    path += candidate;
    if (FileExists(files_, path)) return path;
  }
  return {};
}

void HelpLinks::OpenDocument(std::string_view target, int showMode) {
  shell_.OpenWithShell(target, showMode == 0 ? kShowNormal : showMode);
}

void HelpLinks::OpenVendorSite() {
  OpenDocument(kVendorHomePage, kShowMaximized);
}

std::string HelpLinks::UpdateCheckAddress(ProgramVersion programVersion) {
  const std::string version = VersionText(VersionBare, programVersion);
  const std::string windows = GetWindowsVersionText();
  std::string address =
      ExpandTemplate(std::string(kVendorHomePage) + std::string(kUpdateCheckTemplate),
                     {kProductName, version, windows});
  // Lower case throughout (the program is sent as "quenora"); nothing is percent-encoded.
  for (char& c : address) c = ToLower(c);
  return address;
}

void HelpLinks::OpenUpdateCheck() {
  OpenDocument(UpdateCheckAddress(), kShowMaximized);
}

std::uint32_t HelpLinks::GetWindowsVersion() {
  const WindowsVersionRecord record = system_.WindowsVersion();
  // The old consumer systems keep major and minor in the build number's high word already.
  if (record.platformId == kWindows9xPlatform) return record.buildNumber;
  return ((record.majorVersion & 0xFF) << 24) | ((record.minorVersion & 0xFF) << 16) |
         (record.buildNumber & 0xFFFF);
}

std::string HelpLinks::GetWindowsVersionText() {
  const std::uint32_t version = GetWindowsVersion();
  return std::to_string((version >> 24) & 0xFF) + "." + std::to_string((version >> 16) & 0xFF) +
         "." + std::to_string(version & 0xFFFF);
}

}  // namespace quenora
