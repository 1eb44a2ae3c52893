#include "settings/DriveListBox.h"

#include <gtest/gtest.h>

#include "Fakes.h"

namespace quenora {
namespace {

class DriveListBoxTest : public ::testing::Test {
 protected:
  testing::FakeLogicalDrives drives;
};

TEST_F(DriveListBoxTest, EachKindOfDriveHasItsEntry) {
  const struct {
    char letter;
    DriveType type;
    std::string label;
    std::string entry;
  } cases[] = {
      {'C', DriveType::Fixed, "SYSTEM", "c: [SYSTEM]"},
      {'D', DriveType::Fixed, "", "d:"},
      {'R', DriveType::RamDisk, "RAMDISK", "r: [RAMDISK]"},
      {'X', DriveType::Remote, "Projekte", "x: [Netzlaufwerk]"},
      {'A', DriveType::Removable, "STICK", "a:"},
      {'E', DriveType::CdRom, "AUDIO_CD", "e:"},
      {'U', DriveType::Unknown, "ODD", "u:"},
      {'N', DriveType::NoRootDirectory, "", "n:"},
      // Brackets, umlauts, CJK and a character beyond the BMP, kept as they are.
      {'K', DriveType::Fixed, "Daten [alt] \xC3\x84\xC3\xB6 \xE6\xBC\xA2 \xF0\x9F\x92\xBE",
       "k: [Daten [alt] \xC3\x84\xC3\xB6 \xE6\xBC\xA2 \xF0\x9F\x92\xBE]"},
      {'Z', DriveType::Fixed, "  ", "z: [  ]"},
  };
  for (const auto& c : cases) {
    drives.drives = {{c.letter, {c.type, c.label}}};
    EXPECT_EQ(DriveListEntries(drives), std::vector<std::string>{c.entry}) << c.letter;
  }
}

TEST_F(DriveListBoxTest, DrivesComeInLetterOrderAndOnlyLocalDisksAreAskedForALabel) {
  drives.drives = {{'Z', {DriveType::Fixed, ""}},  {'A', {DriveType::Removable, ""}},
                   {'X', {DriveType::Remote, ""}}, {'C', {DriveType::Fixed, "SYSTEM"}},
                   {'F', {DriveType::CdRom, ""}},  {'R', {DriveType::RamDisk, ""}},
                   {'U', {DriveType::Unknown, ""}}};
  drives.extraBits = 0xFC000000u;  // no letters: nothing
  EXPECT_EQ(
      DriveListEntries(drives),
      (std::vector<std::string>{"a:", "c: [SYSTEM]", "f:", "r:", "u:", "x: [Netzlaufwerk]", "z:"}));
  EXPECT_EQ(drives.labelsAsked, (std::vector<std::string>{"C:\\", "R:\\", "Z:\\"}));
}

TEST_F(DriveListBoxTest, NoDrivesNoEntries) {
  EXPECT_TRUE(DriveListEntries(drives).empty());
}

}  // namespace
}  // namespace quenora
