#pragma once
// The HTML help beside the program, the vendor's web pages, and the Windows version that the
// update check and the support mail report.

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/Files.h"
#include "platform/Shell.h"
#include "platform/SystemServices.h"
#include "util/ProgramIdentity.h"

namespace quenora {

// The vendor's web server, without a path.
inline constexpr std::string_view kVendorHomePage = "https://www.tarnwick-software.de";
// Appended to the home page: program, version, Windows version.
inline constexpr std::string_view kUpdateCheckTemplate = "/?find_update&app=%1&ver=%2&win=%3";

inline constexpr int kShowNormal = 1;
inline constexpr int kShowMaximized = 3;

class HelpLinks {
 public:
  HelpLinks(Shell& shell, Files& files, SystemServices& system)
      : shell_(shell), files_(files), system_(system) {}

  // The help's start page in the browser, or a message that there is none.
  void ShowHelp();
  // The first help start page that exists beside the program, asked anew each time; "" if none.
  std::string FindHelpFile();
  // A file, web address or mail link to the shell; show mode 0 is sent as 1.
  void OpenDocument(std::string_view target, int showMode);
  void OpenVendorSite();
  // The vendor's update check for this program, version and Windows, in lower case.
  void OpenUpdateCheck();
  std::string UpdateCheckAddress(ProgramVersion version = kProgramVersion);
  // Major (bits 24..31), minor (16..23) and build (0..15).
  std::uint32_t GetWindowsVersion();
  // "5.1.2600".
  std::string GetWindowsVersionText();

 private:
  Shell& shell_;
  Files& files_;
  SystemServices& system_;
};

}  // namespace quenora
