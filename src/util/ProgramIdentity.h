#pragma once
// What the program knows about itself: name, slogan, version, and where it runs from.

#include <cstdint>
#include <string>
#include <string_view>

namespace quenora {

inline constexpr std::string_view kProductName = "Quenora";
inline constexpr std::string_view ProductTagline = "Den Plattenspeicher immer gut im Blick";

struct ProgramVersion {
  std::uint16_t major, minor, revision;
};
inline constexpr ProgramVersion kProgramVersion{1, 0, 24};

// Frames of VersionText: the low 8 bits choose the frame, bit 8 the revision as a letter.
inline constexpr std::int32_t VersionInParentheses = 0;  // " (V1.0.24)"
inline constexpr std::int32_t VersionBare = 1;           // "1.0.24"
inline constexpr std::int32_t VersionInBrackets = 2;     // " [V1.0.24]"
inline constexpr std::int32_t VersionLetterRevision = 256;

// The program's version as text in the given style; `version` is for tests of other versions.
std::string VersionText(std::int32_t style, ProgramVersion version = kProgramVersion);

// `first` when `condition` is nonzero, else `second`.
std::string TextIf(std::string_view first, std::int16_t condition, std::string_view second);

// `path` with one backslash added unless it already ends with one ("" gives "\").
std::string WithTrailingBackslash(std::string_view path);

// From the full path of the running executable (as the system reports it):
// its directory, ending with exactly one backslash ...
std::string ProgramDirectory(std::string_view executablePath);
// ... and the program directory, the file name without its extension, then ".exe".
std::string ProgramExePath(std::string_view executablePath);

}  // namespace quenora
