#include "settings/Autostart.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <map>
#include <string>
#include <vector>

#include "Fakes.h"
#include "util/Utf.h"

namespace quenora {
namespace {

using namespace std::string_literals;

// Keys and values in maps, names compared without case as the registry does; the ANSI code
// page is Latin-1. It records the keys it hands out and refuses calls on keys not open.
class FakeRegistryCalls : public RegistryCalls {
 public:
  struct Value {
    std::uint32_t type;
    std::string data;  // ANSI bytes, a text's terminating zero included
  };
  using Key = std::map<std::string, Value>;

  static std::string Fold(std::string_view name) {
    std::string folded;
    for (const char c : name) folded.push_back(static_cast<char>(std::tolower(c)));
    return folded;
  }
  static std::string Fold(RegistryRoot root, std::string_view path) {
    return (root == RegistryRoot::LocalMachine ? "HKLM\\" : "HKCU\\") + Fold(path);
  }

  void Set(RegistryRoot root, std::string_view path, std::string_view name, std::uint32_t type,
           std::string data) {
    keys[Fold(root, path)][Fold(name)] = {type, std::move(data)};
  }
  const Value* Get(RegistryRoot root, std::string_view path, std::string_view name) const {
    const auto key = keys.find(Fold(root, path));
    if (key == keys.end()) return nullptr;
    const auto value = key->second.find(Fold(name));
    return value == key->second.end() ? nullptr : &value->second;
  }

  RegistryKeyAnswer OpenKey(RegistryRoot root, std::string_view subkey, RegistryAccess) override {
    if (openFailure) return {openFailure, 0};
    if (!keys.count(Fold(root, subkey))) return {kRegistryFileNotFound, 0};
    return Hand(root, subkey);
  }
  RegistryKeyAnswer CreateKey(RegistryRoot root, std::string_view subkey) override {
    keys[Fold(root, subkey)];
    return Hand(root, subkey);
  }
  RegistryValueAnswer QueryValue(RegistryKey key, std::string_view name,
                                 std::string* buffer) override {
    const auto value = Open(key).find(Fold(name));
    if (value == Open(key).end()) return {kRegistryFileNotFound, 0, 0};
    const auto size = static_cast<std::uint32_t>(value->second.data.size());
    if (buffer && buffer->size() < size) return {kRegistryMoreData, value->second.type, size};
    if (buffer) std::copy(value->second.data.begin(), value->second.data.end(), buffer->begin());
    return {kRegistrySuccess, value->second.type, size};
  }
  RegistryLengthAnswer QueryInfoKeyMaxValueLen(RegistryKey key) override {
    std::uint32_t longest = 0;
    for (const auto& [name, value] : Open(key)) {
      longest = std::max(longest, static_cast<std::uint32_t>(value.data.size()));
    }
    return {kRegistrySuccess, std::min(longest, maxValueLenCap)};
  }
  std::int32_t SetValue(RegistryKey key, std::string_view name, std::uint32_t type,
                        std::string_view data) override {
    Open(key)[Fold(name)] = {type, std::string(data)};
    ++writes;
    return kRegistrySuccess;
  }
  std::int32_t DeleteValue(RegistryKey key, std::string_view name) override {
    ++deletes;
    return Open(key).erase(Fold(name)) ? kRegistrySuccess : kRegistryFileNotFound;
  }
  void CloseKey(RegistryKey key) override {
    if (!open.erase(key)) ADD_FAILURE() << "closed key " << key << ", which is not open";
  }
  std::string ToAnsi(std::string_view utf8) override {
    std::string ansi;
    for (const char16_t unit : Utf8ToUtf16(utf8)) {
      ansi.push_back(unit < 0x100 ? static_cast<char>(unit) : '?');
    }
    return ansi;
  }
  std::string FromAnsi(std::string_view ansi) override {
    std::u16string units;
    for (const char c : ansi) units.push_back(static_cast<unsigned char>(c));
    return Utf16ToUtf8(units);
  }

  std::map<std::string, Key> keys;
  std::map<RegistryKey, std::string> open;  // handed out and not yet closed
  std::uint32_t maxValueLenCap = UINT32_MAX;
  std::int32_t openFailure = 0;
  int writes = 0, deletes = 0;

 private:
  RegistryKeyAnswer Hand(RegistryRoot root, std::string_view subkey) {
    open[++lastKey] = Fold(root, subkey);
    return {kRegistrySuccess, lastKey};
  }
  Key& Open(RegistryKey key) {
    if (!open.count(key)) ADD_FAILURE() << "call on key " << key << ", which is not open";
    return keys[open[key]];
  }
  RegistryKey lastKey = 0x100;
};

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
constexpr char kShortcut[] = "C:\\Startmen\xC3\xBC\\Quenora.lnk";  // "Startmenü" in UTF-8
const std::string kOldEntry = "D:\\Alt\\Quenora.exe /AUTOSTART\0"s;

class AutostartTest : public ::testing::Test {
 protected:
  void SetUp() override {
    system.executablePath = "C:\\Program Files\\Quenora\\Quenora.exe";
    Fresh();
  }
  // A registry with only the Startup folder as the shell keeps it (ANSI, no trailing
  // backslash), no files, a check box at rest.
  void Fresh() {
    registry.keys.clear();
    registry.writes = registry.deletes = 0;
    registry.Set(kUser, kShellFolders, "Startup", kRegSz, "C:\\Startmen\xFC\0"s);
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

const std::string kQuoted = "\"C:\\Program Files\\Quenora\\Quenora.exe\" /AUTOSTART\0"s;

TEST_F(AutostartTest, WithoutShortcutTheBoxFollowsTheRunValueAndNothingIsWritten) {
  struct Case {
    const char* name;
    std::optional<std::uint32_t> shortcut;  // attributes of a file at kShortcut
    RegistryRoot root;
    const char* key;  // where a value "Quenora" is, if anywhere
    int expected;
    bool noStartupFolder = false;
  };
  const Case cases[] = {
      {"value in Run", std::nullopt, kUser, kRun, 1},
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
    if (c.noStartupFolder) {
      registry.keys.erase(FakeRegistryCalls::Fold(kUser, kShellFolders));
      files.files["\\Quenora.lnk"] = 0;  // where an empty folder would point
    }

    autostart.SyncAutostartCheckbox(checkbox);
    EXPECT_EQ(checkbox.value, c.expected);
    EXPECT_EQ(checkbox.tag, "OK");
    EXPECT_EQ(registry.writes + registry.deletes, 0);
    EXPECT_TRUE(files.calls.empty());
    EXPECT_EQ(files.files.size(), (c.shortcut ? 1u : 0u) + (c.noStartupFolder ? 1u : 0u));
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
  checkbox.value = 1;
  autostart.ApplyAutostartCheckbox(checkbox);  // before the guard is set: nothing
  EXPECT_EQ(RunValue(), nullptr);

  autostart.SyncAutostartCheckbox(checkbox);
  EXPECT_EQ(checkbox.value, 0);
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

TEST(RegistryReadStringTest, ReadsTheReportedSizeLessATextsZeroAndNeverPastTheBuffer) {
  struct Case {
    std::uint32_t type;
    std::string stored;
    std::uint32_t maxValueLenCap;
    std::string expected;
  };
  const Case cases[] = {
      {kRegSz, "C:\\Start men\xFC\0"s, UINT32_MAX, "C:\\Start men\xC3\xBC"},
      {kRegExpandSz, "%APPDATA%\0"s, UINT32_MAX, "%APPDATA%"},
      {kRegMultiSz, "a\0b\0\0"s, UINT32_MAX, "a\0b\0"s},
      {kRegSz, "abc"s, UINT32_MAX, "ab"},  // stored without its zero: one character short
      {kRegSz, ""s, UINT32_MAX, ""},
      {kRegBinary, "ab\0"s, UINT32_MAX, "ab\0"s},
      {kRegDword, "\x01\0\0\0"s, UINT32_MAX, "\x01\0\0\0"s},
      // The key reports its longest data as 3 bytes, the value has 9: the call refuses, and
      // the 4 blanks of the buffer are all that is read.
      {kRegSz, "C:\\Start\0"s, 3, "    "},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.stored);
    FakeRegistryCalls registry;
    registry.Set(kUser, "Software\\Probe", "Value", c.type, c.stored);
    registry.Set(kUser, "Software\\Probe", "Shorter", kRegSz, "x\0"s);
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

TEST(RegistryWriteValueTest, TextsAreWrittenInAnsiWithTheirZeroOtherTypesAsTheyAre) {
  struct Case {
    std::uint32_t type;
    std::string data, written;
  };
  const Case cases[] = {
      {kRegSz, "J\xC3\xBCrgen", "J\xFCrgen\0"s},
      {kRegExpandSz, "%TEMP%", "%TEMP%\0"s},
      {kRegMultiSz, "a", "a\0"s},
      {kRegSz, "", "\0"s},
      {kRegBinary, "abc", "abc"},
      {kRegDword, "abcd", "abcd"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.data);
    FakeRegistryCalls registry;
    RegistryWriteValue(registry, kUser, "Software\\New\\Key", "V\xC3\xA4", c.data, c.type);
    const auto* value = registry.Get(kUser, "Software\\New\\Key", "V\xE4");
    ASSERT_NE(value, nullptr);
    EXPECT_EQ(value->type, c.type);
    EXPECT_EQ(value->data, c.written);
    RegistryDeleteValue(registry, kUser, "Software\\New\\Key", "V\xC3\xA4");
    RegistryDeleteValue(registry, kUser, "Software\\New\\Key", "V\xC3\xA4");  // gone: quiet
    RegistryDeleteValue(registry, kUser, "Software\\Nowhere", "V");
    EXPECT_EQ(registry.Get(kUser, "Software\\New\\Key", "V\xE4"), nullptr);
    EXPECT_TRUE(registry.open.empty());
  }
}

}  // namespace
}  // namespace quenora
