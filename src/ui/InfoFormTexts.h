#pragma once
// The About dialog's texts and placement, decided without the window.

#include <string>
#include <string_view>

namespace quenora {

inline constexpr std::string_view kVendorSupportMail = "support@tarnwick-software.de";
// The vendor's address as the About text shows it, in capitals.
inline constexpr std::string_view kVendorDisplayAddress = "WWW.TARNWICK-SOFTWARE.DE";

// "Info über Quenora".
std::string InfoFormCaption();
// Name, version, slogan, an empty line, and the vendor's note with the web address.
std::string InfoFormText();
// The support mail with the program's and the Windows version in its subject.
std::string SupportMailLink(std::string_view windowsVersionText);
// A screen of at most 640 pixels wide or 480 high gets the dialog at its top-left corner;
// larger ones get it centred.
bool InfoFormAtScreenCorner(int screenWidthPixels, int screenHeightPixels);

}  // namespace quenora
