#include "ui/InfoFormTexts.h"

#include "util/ProgramIdentity.h"

namespace quenora {

std::string InfoFormCaption() {
  return "Info \xC3\xBC"
         "ber " +
         std::string(kProductName);
}

std::string InfoFormText() {
  std::string text(kProductName);
  text += VersionText(VersionInParentheses | VersionLetterRevision);
  text += " \xE2\x80\x93 ";  // an en dash between spaces
  text += ProductTagline;
  text += "\r\r";  // an empty line: line breaks are single carriage returns
  text +=
      "Verbesserungsvorschl\xC3\xA4ge sind mir immer gern willkommen. Weitere interessante Tools "
      "und Infos finden Sie auf meiner Web-Site unter ";
  text += kVendorDisplayAddress;
  return text;
}

std::string SupportMailLink(std::string_view windowsVersionText) {
  // The subject goes as it is, spaces included: mail programs take it so.
  std::string link = "mailto:";
  link += kVendorSupportMail;
  link += "?subject=Ihre Software ";
  link += kProductName;
  link += VersionText(VersionInParentheses | VersionLetterRevision);
  link += " unter Windows ";
  link += windowsVersionText;
  return link;
}

bool InfoFormAtScreenCorner(int screenWidthPixels, int screenHeightPixels) {
  return screenWidthPixels <= 640 || screenHeightPixels <= 480;
}

}  // namespace quenora
