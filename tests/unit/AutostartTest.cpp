#include "settings/Autostart.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <map>
#include <string>
#include <vector>

#include "Fakes.h"
#include "RegistryCallsFake.h"
#include "util/Utf.h"

namespace quenora {
namespace {

using namespace std::string_literals;
using testing::Bytes;
using testing::FakeRegistryCalls;

// Files by path with their attributes; a read-only file can't be deleted, as on Windows.
class FakeFiles : public Files {
 public:
  std::optional<std::uint32_t> FindFile(std::string_view path) override {
    const auto file = files.find(std::string(path));
    return file == files.end() ? std::nullopt : std::optional(file->second);
  }
  bool SetNormalAttributes(std::string_view path) override {
    calls.push_back("attributes " + std::string(path));
    if (attributesFail || !files.count(std::string(path))) return false;
    files[std::string(path)] = kFileNormal;
    return true;
  }
  bool DeleteFileAt(std::string_view path) override {
    calls.push_back("delete " + std::string(path));
    const auto file = files.find(std::string(path));
    if (deleteFails || file == files.end() || (file->second & kFileReadOnly)) return false;
    files.erase(file);
    return true;
  }

  std::map<std::string, std::uint32_t> files;
  bool attributesFail = false, deleteFails = false;
  std::vector<std::string> calls;
};

// The window's check box as the toolkit has it: setting the value runs no click handling.
class FakeCheckbox : public AutostartCheckbox {
 public:
  int Value() override { return value; }
  void SetValue(int v) override { value = v; }
  std::string Tag() override { return tag; }
  void SetTag(std::string_view t) override { tag = std::string(t); }
  int value = 0;
  std::string tag;
};

constexpr auto kUser = RegistryRoot::CurrentUser;
constexpr auto kMachine = RegistryRoot::LocalMachine;
constexpr char kRun[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr char kRunOnce[] = "Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce";
constexpr char kShellFolders[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
constexpr char16_t kStartupFolder[] = u"C:\\Users\\\u0141ukasz\\Startmen\u00FC";  // Łukasz, ü
const std::string kShortcut = Utf16ToUtf8(kStartupFolder) + "\\Quenora.lnk";
const std::string kOldEntry = Bytes(u"D:\\Alt\\Quenora.exe /AUTOSTART\0"s);

class AutostartTest : public ::testing::Test {
 protected:
  void SetUp() override {
    system.executablePath = "C:\\Program Files\\Quenora\\Quenora.exe";
    Fresh();
  }
  // A registry with only the Startup folder as the shell keeps it (no trailing backslash), no
  // files, a check box at rest.
  void Fresh() {
    registry.keys.clear();
    registry.writes = registry.deletes = 0;
    registry.Set(kUser, kShellFolders, "Startup", kRegSz, Bytes(kStartupFolder + u"\0"s));
    files = {};
    system.messages.clear();
    checkbox = {};
  }
  void TearDown() override { EXPECT_TRUE(registry.open.empty()) << "a key was left open"; }
  const FakeRegistryCalls::Value* RunValue() { return registry.Get(kUser, kRun, "Quenora"); }

  FakeRegistryCalls registry;
  FakeFiles files;
  testing::FakeSystem system;
  Autostart autostart{registry, files, system};
  FakeCheckbox checkbox;
};

const std::string kQuoted = Bytes(u"\"C:\\Program Files\\Quenora\\Quenora.exe\" /AUTOSTART\0"s);

TEST_F(AutostartTest, WithoutShortcutTheBoxFollowsTheRunValueAndNothingIsWritten) {
  struct Case {
    const char* name;
    std::optional<std::uint32_t> shortcut;  // attributes of a file at kShortcut
    RegistryRoot root;
    const char* key;  // where a value "Quenora" is, if anywhere
    int expected;
    bool noStartupFolder = false;
    bool programGone = false;  // D:\Alt\Quenora.exe, which the value names
  };
  const Case cases[] = {
      {"value in Run", std::nullopt, kUser, kRun, 1},
      {"its program file gone", std::nullopt, kUser, kRun, 0, false, true},
      {"no value", std::nullopt, kUser, nullptr, 0},
      {"machine-wide only", std::nullopt, kMachine, kRun, 0},
      {"RunOnce only", std::nullopt, kUser, kRunOnce, 0},
      {"hidden shortcut", kFileHidden | kFileReadOnly, kUser, kRun, 1},
      {"system shortcut", kFileSystem, kUser, nullptr, 0},
      {"folder of that name", kFileDirectory, kUser, nullptr, 0},
      {"no Startup folder", std::nullopt, kUser, kRun, 1, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Fresh();
    if (c.shortcut) files.files[kShortcut] = *c.shortcut;
    if (c.key) registry.Set(c.root, c.key, "Quenora", kRegSz, kOldEntry);
    if (!c.programGone) files.files["D:\\Alt\\Quenora.exe"] = kFileNormal;
    if (c.noStartupFolder) {
      registry.keys.erase(FakeRegistryCalls::Fold(kUser, kShellFolders));
      files.files["\\Quenora.lnk"] = 0;  // where an empty folder would point
    }

    autostart.SyncAutostartCheckbox(checkbox);
    EXPECT_EQ(checkbox.value, c.expected);
    EXPECT_EQ(checkbox.tag, "OK");
    EXPECT_EQ(registry.writes + registry.deletes, 0);
    EXPECT_TRUE(files.calls.empty());
    EXPECT_EQ(files.files.size(),
              (c.shortcut ? 1u : 0u) + (c.noStartupFolder ? 1u : 0u) + (c.programGone ? 0u : 1u));
    if (c.key) {
      EXPECT_EQ(registry.Get(c.root, c.key, "Quenora")->data, kOldEntry);
    }
    EXPECT_TRUE(system.messages.empty());
  }
}

TEST_F(AutostartTest, ShortcutIsReplacedByTheQuotedRunValueAndFailuresAreToldStepByStep) {
  struct Case {
    const char* name;
    std::uint32_t attributes;
    bool attributesFail, deleteFails;
    std::vector<std::string> messages;
  };
  const std::string path = kShortcut;
  const std::string attributesMessage = "Attribute nicht löschbar: " + path;
  const std::string deleteMessage = "Datei nicht löschbar: " + path;
  const Case cases[] = {
      {"read-only shortcut", kFileReadOnly, false, false, {}},
      {"attributes stay", kFileNormal, true, false, {attributesMessage}},
      {"file stays", kFileReadOnly, false, true, {deleteMessage}},
      {"both fail", kFileReadOnly, true, true, {attributesMessage, deleteMessage}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Fresh();
    files.files[kShortcut] = c.attributes;
    files.attributesFail = c.attributesFail;
    files.deleteFails = c.deleteFails;
    registry.Set(kUser, kRun, "Quenora", kRegSz, kOldEntry);

    autostart.SyncAutostartCheckbox(checkbox);
    EXPECT_EQ(files.calls, (std::vector<std::string>{"attributes " + path, "delete " + path}));
    EXPECT_EQ(files.files.count(kShortcut), c.deleteFails ? 1u : 0u);
    std::vector<std::string> shown;
    for (const auto& message : system.messages) {
      EXPECT_EQ(message.title, "Quenora");
      shown.push_back(message.text);
    }
    EXPECT_EQ(shown, c.messages);
    EXPECT_EQ(checkbox.value, 1);
    EXPECT_EQ(checkbox.tag, "OK");
    ASSERT_NE(RunValue(), nullptr);
    EXPECT_EQ(RunValue()->type, kRegSz);
    EXPECT_EQ(RunValue()->data, kQuoted);
  }
}

TEST_F(AutostartTest, ClicksWriteAndDeleteOnlyTheUsersRunValueOnceArmed) {
  registry.Set(kMachine, kRun, "Quenora", kRegSz, kOldEntry);
  registry.Set(kUser, kRunOnce, "Quenora", kRegSz, kOldEntry);
  registry.Set(kUser, kRun, "Quenora", kRegSz, kOldEntry);  // its program file is gone
  checkbox.value = 1;
  autostart.ApplyAutostartCheckbox(checkbox);  // before the guard is set: nothing
  EXPECT_EQ(RunValue()->data, kOldEntry);

  autostart.SyncAutostartCheckbox(checkbox);
  EXPECT_EQ(checkbox.value, 0);
  checkbox.value = 1;
  autostart.ApplyAutostartCheckbox(checkbox);  // the tick writes it anew
  EXPECT_EQ(RunValue()->data, kQuoted);
  checkbox.value = 0;
  autostart.ApplyAutostartCheckbox(checkbox);
  autostart.ApplyAutostartCheckbox(checkbox);  // unchecking without a value
  EXPECT_EQ(RunValue(), nullptr);
  checkbox.value = 1;
  autostart.ApplyAutostartCheckbox(checkbox);
  ASSERT_NE(RunValue(), nullptr);
  EXPECT_EQ(RunValue()->data, kQuoted);
  checkbox.value = 0;
  autostart.ApplyAutostartCheckbox(checkbox);
  EXPECT_EQ(RunValue(), nullptr);

  EXPECT_EQ(registry.Get(kMachine, kRun, "Quenora")->data, kOldEntry);
  EXPECT_EQ(registry.Get(kUser, kRunOnce, "Quenora")->data, kOldEntry);
  EXPECT_TRUE(system.messages.empty());
}

TEST_F(AutostartTest, RunValueHoldsAProgramPathThroughAUsersFolderOfAnyScript) {
  const std::u16string users[] = {
      u"\u0141ukasz",                                 // Łukasz
      u"\u0393\u03B9\u03CE\u03C1\u03B3\u03BF\u03C2",  // Γιώργος
      u"\u5F20\u4F1F",                                // 张伟
  };
  for (const std::u16string& user : users) {
    const std::u16string exe = u"C:\\Users\\" + user + u"\\AppData\\Local\\Quenora.exe";
    SCOPED_TRACE(Utf16ToUtf8(exe));
    system.executablePath = Utf16ToUtf8(exe);
    checkbox.value = 1;
    checkbox.tag = AutostartGuardTag;
    autostart.ApplyAutostartCheckbox(checkbox);
    ASSERT_NE(RunValue(), nullptr);
    EXPECT_EQ(RunValue()->type, kRegSz);
    EXPECT_EQ(RunValue()->data, Bytes(u"\"" + exe + u"\" /AUTOSTART\0"s));
    EXPECT_EQ(RegistryReadString(registry, kUser, kRun, "Quenora"),
              "\"" + system.executablePath + "\" /AUTOSTART");
  }
}

TEST_F(AutostartTest, RunEntriesGoWhereTheSwitchesSay) {
  const std::pair<bool, bool> switches[] = {{false, false}, {true, false}, {false, true}};
  for (const auto& [machineWide, runOnce] : switches) {
    autostart.SetRunEntry("Probe", "x.exe", machineWide, runOnce);
    EXPECT_TRUE(autostart.RunEntryExists("Probe", machineWide, runOnce));
    EXPECT_NE(registry.Get(machineWide ? kMachine : kUser, runOnce ? kRunOnce : kRun, "Probe"),
              nullptr);
    autostart.DeleteRunEntry("Probe", machineWide, runOnce);
    EXPECT_FALSE(autostart.RunEntryExists("Probe", machineWide, runOnce));
  }
}

TEST(RunCommandTest, AProgramFileCountsWhereWindowsWouldStartIt) {
  FakeFiles files;
  files.files = {{"C:\\Program Files\\Quenora\\Quenora.exe", kFileHidden},
                 {"D:\\Alt", kFileDirectory},
                 {"D:\\Tool.exe", kFileNormal}};
  const std::pair<const char*, bool> cases[] = {
      {"\"C:\\Program Files\\Quenora\\Quenora.exe\" /AUTOSTART", true},
      {"  C:\\Program Files\\Quenora\\Quenora.exe /AUTOSTART", true},  // as blanks allow
      {"D:\\Tool /x", true},                                           // ".exe" added
      {"\"D:\\Alt\\Quenora.exe\" /AUTOSTART", false},
      {"D:\\Alt /AUTOSTART", false},  // a folder
      {"\"D:\\Alt\"", false},
      {"", false},
      {"Quenora.exe /AUTOSTART", true},  // on the search path, maybe
      {"%ProgramFiles%\\Quenora\\Quenora.exe", true},
  };
  for (const auto& [command, expected] : cases) {
    EXPECT_EQ(RunCommandProgramExists(files, command), expected) << command;
  }
}

// The AutoStart policy's entry, made where the user had none that works, goes with the policy
// unless the user ticked the box since; the user's own entry stays whatever the policy does.
TEST_F(AutostartTest, PolicysEntryGoesWithThePolicyTheUsersOwnStays) {
  struct Case {
    const char* name;
    bool userEntry, tickedAfterFirst;
    std::vector<const char*> policies;  // in turn; "" for none
    bool entryAfter;
  };
  const Case cases[] = {
      {"forced on, then gone", false, false, {"1", ""}, false},
      {"forced on, off, gone", false, false, {"1", "0", ""}, false},
      {"forced on, ticked, gone", false, true, {"1", ""}, true},
      {"the user's own, forced on, gone", true, false, {"1", ""}, true},
      {"the user's own, forced off, on, gone", true, false, {"0", "1", ""}, true},
      {"forced off, gone", false, false, {"0", ""}, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Fresh();
    if (c.userEntry) registry.Set(kUser, kRun, "Quenora", kRegSz, kQuoted);
    files.files[system.executablePath] = kFileNormal;
    autostart.SyncAutostartCheckbox(checkbox);
    for (const char* policy : c.policies) {
      const std::optional<std::string> forced =
          *policy ? std::optional<std::string>(policy) : std::nullopt;
      autostart.ApplyAutostartPolicy(checkbox, forced);
      EXPECT_EQ(checkbox.value, forced ? (*forced == "1") : (RunValue() != nullptr));
      EXPECT_TRUE(*policy != '1' || (RunValue() && RunValue()->data == kQuoted)) << policy;
      if (c.tickedAfterFirst && policy == c.policies.front()) {
        checkbox.value = 1;
        autostart.ApplyAutostartCheckbox(checkbox);
      }
    }
    EXPECT_EQ(RunValue() != nullptr, c.entryAfter);
  }
}

TEST(RegistryReadStringTest, ReadsTheWholeValueLessATextsZeroWhereItHasOne) {
  struct Case {
    std::uint32_t type;
    std::string stored;  // bytes
    std::uint32_t maxValueLenCap;
    std::string expected;
  };
  const Case cases[] = {
      {kRegSz, Bytes(u"C:\\Start men\u00FC\0"s), UINT32_MAX, "C:\\Start men\xC3\xBC"},
      {kRegSz, Bytes(u"C:\\Users\\\u5F20\u4F1F\0"s), UINT32_MAX,
       "C:\\Users\\\xE5\xBC\xA0\xE4\xBC\x9F"},  // 张伟
      {kRegExpandSz, Bytes(u"%APPDATA%\0"s), UINT32_MAX, "%APPDATA%"},
      {kRegMultiSz, Bytes(u"a\0b\0\0"s), UINT32_MAX, "a\0b\0"s},
      {kRegSz, Bytes(u"abc"), UINT32_MAX, "abc"},  // stored without its zero by another program
      {kRegSz, ""s, UINT32_MAX, ""},
      {kRegBinary, Bytes(u"ab") + "c", UINT32_MAX, "ab"},  // an odd last byte is no character
      {kRegDword, "\x01\0\0\0"s, UINT32_MAX, "\x01\0"s},
      // The key reports its longest data as 3 bytes, the value has 9 characters: the call
      // refuses, and the value is read again with the size it reports.
      {kRegSz, Bytes(u"C:\\Start\0"s), 3, "C:\\Start"},
      // ... unless that size is more than any path holds.
      {kRegSz, Bytes(std::u16string(40000, u'x')), 3, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.stored);
    FakeRegistryCalls registry;
    registry.Set(kUser, "Software\\Probe", "Value", c.type, c.stored);
    registry.Set(kUser, "Software\\Probe", "Shorter", kRegSz, Bytes(u"x\0"s));
    registry.maxValueLenCap = c.maxValueLenCap;
    EXPECT_EQ(RegistryReadString(registry, kUser, "Software\\Probe", "Value"), c.expected);
    EXPECT_TRUE(RegistryValueExists(registry, kUser, "Software\\Probe", "Value"));
    EXPECT_EQ(RegistryReadString(registry, kUser, "Software\\Probe", "Missing"), "");
    EXPECT_FALSE(RegistryValueExists(registry, kUser, "Software\\Probe", "Missing"));
    EXPECT_EQ(RegistryReadString(registry, kUser, "Software\\None", "Value"), "");
    EXPECT_FALSE(RegistryValueExists(registry, kUser, "Software\\None", "Value"));
    registry.openFailure = 5;  // access denied: no key to read or to close
    EXPECT_EQ(RegistryReadString(registry, kUser, "Software\\Probe", "Value"), "");
    EXPECT_TRUE(registry.open.empty());
  }
}

TEST(RegistryWriteValueTest, TextsAreWrittenInUtf16WithTheirZeroOtherTypesAsTheirUnits) {
  struct Case {
    std::uint32_t type;
    std::string data, written;
  };
  const Case cases[] = {
      {kRegSz, "J\xC3\xBCrgen", Bytes(u"J\u00FCrgen\0"s)},
      {kRegSz, "C:\\Users\\\xC5\x81ukasz", Bytes(u"C:\\Users\\\u0141ukasz\0"s)},  // Łukasz
      {kRegExpandSz, "%TEMP%", Bytes(u"%TEMP%\0"s)},
      {kRegMultiSz, "a", Bytes(u"a\0"s)},
      {kRegSz, "", Bytes(u"\0"s)},
      {kRegBinary, "abc", Bytes(u"abc")},
      {kRegDword, "ab", Bytes(u"ab")},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.data);
    FakeRegistryCalls registry;
    RegistryWriteValue(registry, kUser, "Software\\New\\Key", "V\xC3\xA4", c.data, c.type);
    const auto* value = registry.Get(kUser, "Software\\New\\Key", "V\xC3\xA4");
    ASSERT_NE(value, nullptr);
    EXPECT_EQ(value->type, c.type);
    EXPECT_EQ(value->data, c.written);
    RegistryDeleteValue(registry, kUser, "Software\\New\\Key", "V\xC3\xA4");
    RegistryDeleteValue(registry, kUser, "Software\\New\\Key", "V\xC3\xA4");  // gone: quiet
    RegistryDeleteValue(registry, kUser, "Software\\Nowhere", "V");
    EXPECT_EQ(registry.Get(kUser, "Software\\New\\Key", "V\xC3\xA4"), nullptr);
    EXPECT_TRUE(registry.open.empty());
  }
}

}  // namespace
}  // namespace quenora

namespace quenora {
namespace {

TEST(AutostartSwitchTest, OnlyTheSwitchAsAWordOfItsOwnCounts) {
  EXPECT_TRUE(HasAutostartSwitch("/AUTOSTART"));
  EXPECT_TRUE(HasAutostartSwitch("  /autostart\t"));
  EXPECT_TRUE(HasAutostartSwitch("/X /AutoStart"));
  EXPECT_FALSE(HasAutostartSwitch(""));
  EXPECT_FALSE(HasAutostartSwitch("/AUTOSTARTED"));
  EXPECT_FALSE(HasAutostartSwitch("C:\\AUTOSTART"));
}

}  // namespace
}  // namespace quenora
