#include "util/ProgramIdentity.h"

#include <cstddef>

#include "util/Rounding.h"
#include "util/Utf.h"

namespace quenora {

namespace {

// Windows-1252 bytes 0x80..0x9F in Unicode. The five bytes the code page leaves undefined keep
// their own value as a C1 control, as MultiByteToWideChar maps them.
constexpr char16_t kWindows1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

// The revision letter is a character of the ANSI code page, and we keep text as UTF-8. We
// read the code as Windows-1252, the code page of German Windows, so the same version gives
// the same text on every machine whatever its own code page. Revisions up to 3149 stay in
// ASCII (a..z and on); a code past 255 (revision 15950 and up) names no single-byte character
// at all, and rather than fail we show U+FFFD, the character for "cannot be represented".
std::string AnsiCharacter(int code) {
  if (code >= 0 && code < 0x80) return std::string(1, static_cast<char>(code));
  char16_t unit = 0xFFFD;
  if (code >= 0x80 && code < 0xA0) {
    unit = kWindows1252High[code - 0x80];
  } else if (code >= 0xA0 && code <= 0xFF) {
    unit = static_cast<char16_t>(code);  // the upper half is Latin-1
  }
  return Utf16ToUtf8(std::u16string(1, unit));
}

// Where the file name begins: behind the last separator. Windows takes both slashes.
std::size_t FileNameStart(std::string_view path) {
  const std::size_t separator = path.find_last_of("\\/");
  return separator == std::string_view::npos ? 0 : separator + 1;
}

}  // namespace

std::string VersionText(std::int32_t style, ProgramVersion version) {
  std::string core = std::to_string(version.major) + "." + std::to_string(version.minor);
  if ((style & VersionLetterRevision) == 0) {
    core += "." + std::to_string(version.revision);
  } else if (version.revision >= 100) {
    // Every hundred revisions a letter further, the boundary halves going to the even code:
    // 150 and 250 both give "b". Division by 100 of a multiple of 50 is exact in a double.
    const double code = RoundHalfEven(version.revision / 100.0 + 96.0);
    core += AnsiCharacter(static_cast<int>(code));
  }
  switch (style & 0xFF) {
    case VersionInParentheses:
      return " (V" + core + ")";
    case VersionBare:
      return core;
    case VersionInBrackets:
      return " [V" + core + "]";
    default:
      return {};
  }
}

std::string TextIf(std::string_view first, std::int16_t condition, std::string_view second) {
  return std::string(condition != 0 ? first : second);
}

std::string WithTrailingBackslash(std::string_view path) {
  // Only the last character counts: a path ending in two backslashes is left as it is. The
  // last byte decides as well as the last character would, since no byte of a UTF-8 sequence
  // can be a backslash.
  std::string result(path);
  if (result.empty() || result.back() != '\\') result.push_back('\\');
  return result;
}

std::string ProgramDirectory(std::string_view executablePath) {
  const std::size_t nameStart = FileNameStart(executablePath);
  // A bare file name has no directory we could name; the current one is the only place it
  // can mean, and a lone "\" would point at the root of the drive instead.
  if (nameStart == 0) return ".\\";
  // Drop the separator and let WithTrailingBackslash add one back: "c:\x.exe" gives "c:\",
  // and a '/' before the name still gives a directory that ends in a backslash.
  return WithTrailingBackslash(executablePath.substr(0, nameStart - 1));
}

std::string ProgramExePath(std::string_view executablePath) {
  std::string_view name = executablePath.substr(FileNameStart(executablePath));
  // Only the last extension goes ("Quenora.alt.EXE" keeps "Quenora.alt"); a name without one
  // is used whole.
  const std::size_t dot = name.rfind('.');
  if (dot != std::string_view::npos) name = name.substr(0, dot);
  return ProgramDirectory(executablePath) + std::string(name) + ".exe";
}

}  // namespace quenora
