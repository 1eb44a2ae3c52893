#include "util/ProgramIdentity.h"

#include <gtest/gtest.h>

namespace quenora {
namespace {

TEST(VersionTextTest, StyleChoosesFrameAndRevisionForm) {
  const std::pair<std::int32_t, std::string_view> cases[] = {
      {VersionBare, "1.0.24"},
      {VersionInParentheses | VersionLetterRevision, " (V1.0)"},
      {VersionInParentheses, " (V1.0.24)"},
      {VersionInBrackets, " [V1.0.24]"},
      {VersionInBrackets | VersionLetterRevision, " [V1.0]"},
      {3, ""},
      {255 | VersionLetterRevision, ""},
      {-1, ""},
      {512 | VersionBare, "1.0.24"},  // only bit 8 above the frame counts
  };
  for (const auto& [style, expected] : cases) EXPECT_EQ(VersionText(style), expected) << style;
  EXPECT_EQ(VersionText(VersionBare, {12, 305, 7}), "12.305.7");
}

TEST(VersionTextTest, RevisionLetterRoundsHalvesToEven) {
  const std::pair<std::uint16_t, std::string_view> cases[] = {
      {0, "1.0"},           {99, "1.0"},    {100, "1.0a"},  {149, "1.0a"}, {150, "1.0b"},
      {250, "1.0b"},        {251, "1.0c"},  {349, "1.0c"},  {350, "1.0d"}, {450, "1.0d"},
      {451, "1.0e"},        {2649, "1.0z"}, {3150, "1.0€"},  // Windows-1252 0x80
      {12000, "1.0Ø"},                                       // 0xD8
      {15950, "1.0\uFFFD"},                                  // past 255 there is no ANSI character
  };
  for (const auto& [revision, expected] : cases) {
    EXPECT_EQ(VersionText(VersionBare | VersionLetterRevision, {1, 0, revision}), expected)
        << revision;
  }
}

TEST(ProgramIdentityTest, TextIfTakesAnyNonzeroAsTrue) {
  for (const std::int16_t condition : {1, -1, 2, 256, -32768}) {
    EXPECT_EQ(TextIf("ja", condition, "nein"), "ja") << condition;
  }
  EXPECT_EQ(TextIf("ja", 0, "nein"), "nein");
}

TEST(ProgramIdentityTest, WithTrailingBackslashLooksOnlyAtTheLastCharacter) {
  const std::pair<std::string_view, std::string_view> cases[] = {
      {"", "\\"},           {"c:", "c:\\"},   {"c:\\", "c:\\"},
      {"x\\\\", "x\\\\"},   {"\\x", "\\x\\"}, {"C:/Tools/", "C:/Tools/\\"},
      {"D:\\Ä", "D:\\Ä\\"},
  };
  for (const auto& [path, expected] : cases) EXPECT_EQ(WithTrailingBackslash(path), expected);
}

TEST(ProgramIdentityTest, DirectoryAndExePathFollowTheRunningFile) {
  struct Case {
    std::string_view executable, directory, exePath;
  };
  const Case cases[] = {
      {"C:\\Programme\\Quenora\\Quenora.exe", "C:\\Programme\\Quenora\\",
       "C:\\Programme\\Quenora\\Quenora.exe"},
      {"c:\\Quenora.exe", "c:\\", "c:\\Quenora.exe"},
      {"C:\\Tools\\Renamed.EXE", "C:\\Tools\\", "C:\\Tools\\Renamed.exe"},
      {"C:\\Tools\\quenora", "C:\\Tools\\", "C:\\Tools\\quenora.exe"},
      {"C:\\Tools.v2\\quenora", "C:\\Tools.v2\\", "C:\\Tools.v2\\quenora.exe"},
      {"C:\\Tools\\Quenora.alt.Exe", "C:\\Tools\\", "C:\\Tools\\Quenora.alt.exe"},
      {"D:/Apps/Quenora.exe", "D:/Apps\\", "D:/Apps\\Quenora.exe"},
      {"\\\\server\\share\\Q.exe", "\\\\server\\share\\", "\\\\server\\share\\Q.exe"},
      {"C:\\Prüfung\\Überwacher.exe", "C:\\Prüfung\\", "C:\\Prüfung\\Überwacher.exe"},
      {"Quenora.exe", ".\\", ".\\Quenora.exe"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ProgramDirectory(c.executable), c.directory) << c.executable;
    EXPECT_EQ(ProgramExePath(c.executable), c.exePath) << c.executable;
  }
}

}  // namespace
}  // namespace quenora
