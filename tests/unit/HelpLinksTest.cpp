#include "help/HelpLinks.h"

#include <gtest/gtest.h>

#include <map>

#include "Fakes.h"

namespace quenora {
namespace {

class FakeFiles : public Files {
 public:
  std::optional<std::uint32_t> FindFile(std::string_view path) override {
    ++lookups;
    const auto it = entries.find(std::string(path));
    if (it == entries.end()) return std::nullopt;
    return it->second;
  }
  bool SetNormalAttributes(std::string_view) override { return true; }
  bool DeleteFileAt(std::string_view) override { return true; }
  std::map<std::string, std::uint32_t> entries;
  int lookups = 0;
};

class HelpLinksTest : public ::testing::Test {
 protected:
  void Put(const std::string& relative, std::uint32_t attributes = kFileNormal) {
    files.entries["C:\\Programme\\Quenora\\" + relative] = attributes;
  }
  testing::FakeShell shell;
  FakeFiles files;
  testing::FakeSystem system;
  HelpLinks links{shell, files, system};
};

TEST_F(HelpLinksTest, FirstCandidateThatIsAPlainFileWins) {
  EXPECT_EQ(links.FindHelpFile(), "");
  Put("hilfe\\hilfe.html");
  EXPECT_EQ(links.FindHelpFile(), "C:\\Programme\\Quenora\\hilfe\\hilfe.html");
  Put("hilfe\\index.htm");
  Put("index.html");
  EXPECT_EQ(links.FindHelpFile(), "C:\\Programme\\Quenora\\index.html");
  // A folder or a hidden file of the better name doesn't count; a read-only one does.
  Put("index.htm", kFileDirectory);
  EXPECT_EQ(links.FindHelpFile(), "C:\\Programme\\Quenora\\index.html");
  Put("index.htm", kFileHidden);
  EXPECT_EQ(links.FindHelpFile(), "C:\\Programme\\Quenora\\index.html");
  Put("index.htm", kFileReadOnly);
  EXPECT_EQ(links.FindHelpFile(), "C:\\Programme\\Quenora\\index.htm");
}

TEST_F(HelpLinksTest, HelpOpensInANormalWindowOrSaysItIsMissing) {
  links.ShowHelp();
  EXPECT_TRUE(shell.opened.empty());
  ASSERT_EQ(system.messages.size(), 1u);
  EXPECT_EQ(system.messages[0].text, "Die Online-Hilfe konnte leider nicht gefunden werden ...");
  EXPECT_EQ(system.messages[0].title, "Quenora");
  Put("hilfe\\index.htm");
  links.ShowHelp();
  EXPECT_EQ(
      shell.opened,
      (std::vector<testing::FakeShell::Opened>{{"C:\\Programme\\Quenora\\hilfe\\index.htm", 1}}));
  EXPECT_FALSE(FileExists(files, ""));
}

TEST_F(HelpLinksTest, WebPagesOpenMaximizedAndTheUpdateCheckCarriesTheVersions) {
  EXPECT_EQ(links.UpdateCheckAddress({1, 2, 3}),
            "https://www.tarnwick-software.de/?find_update&app=quenora&ver=1.2.3&win=5.1.2600");
  links.OpenUpdateCheck();
  links.OpenVendorSite();
  links.OpenDocument("mailto:x", 0);
  ASSERT_EQ(shell.opened.size(), 3u);
  EXPECT_EQ(shell.opened[0].target,
            "https://www.tarnwick-software.de/?find_update&app=quenora&ver=1.0.24&win=5.1.2600");
  EXPECT_EQ(shell.opened[0].showMode, 3);
  EXPECT_EQ(shell.opened[1], (testing::FakeShell::Opened{"https://www.tarnwick-software.de", 3}));
  EXPECT_EQ(shell.opened[2].showMode, 1);
}

TEST_F(HelpLinksTest, WindowsVersionIsPackedForBothPlatforms) {
  system.windowsVersion = {5, 1, 2600, 2};
  EXPECT_EQ(links.GetWindowsVersion(), 0x05010A28u);
  EXPECT_EQ(links.GetWindowsVersionText(), "5.1.2600");
  system.windowsVersion = {10, 0, 0x12345678, 2};  // only the low word of the build counts
  EXPECT_EQ(links.GetWindowsVersionText(), "10.0.22136");
  system.windowsVersion = {4, 10, (4u << 24) | (10u << 16) | 2222u, 1};
  EXPECT_EQ(links.GetWindowsVersionText(), "4.10.2222");
}

}  // namespace
}  // namespace quenora
