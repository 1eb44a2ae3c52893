#include <windows.h>

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "Fakes.h"
#include "platform/win32/Handles.h"
#include "platform/win32/WideText.h"
#include "platform/win32/Win32Files.h"
#include "platform/win32/Win32RegistryCalls.h"
#include "platform/win32/Win32System.h"
#include "settings/Autostart.h"

namespace quenora::win32 {
namespace {

constexpr auto kUser = RegistryRoot::CurrentUser;
constexpr char kEntry[] = "QuenoraAutostartTest";
constexpr char kProbeKey[] = "Software\\Quenora Tests\\Autostart";
constexpr wchar_t kRunKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr wchar_t kShellFolders[] =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
// Set for a copy of this program that a case starts: the copy leaves its Run value and its own
// folder to that case.
constexpr wchar_t kStartedByCase[] = L"QUENORA_TEST_STARTED_BY_CASE";

// User names that no Western code page holds: Polish, Greek, Chinese.
constexpr const char* kUserNames[] = {
    "\xC5\x81ukasz",                                             // Łukasz
    "\xCE\x93\xCE\xB9\xCF\x8E\xCF\x81\xCE\xB3\xCE\xBF\xCF\x82",  // Γιώργος
    "\xE5\xBC\xA0\xE4\xBC\x9F",                                  // 张伟
};

// The check box as the toolkit has it: setting the value runs no click handling.
class Checkbox : public AutostartCheckbox {
 public:
  int Value() override { return value; }
  void SetValue(int v) override { value = v; }
  std::string Tag() override { return tag; }
  void SetTag(std::string_view t) override { tag = std::string(t); }
  int value = 0;
  std::string tag;
};

// The program's Run value "Quenora", read as the wide call gives it; "(none)" without one.
std::wstring RunValue() {
  HKEY raw = nullptr;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, kRunKey, 0, KEY_QUERY_VALUE, &raw) != ERROR_SUCCESS) {
    return L"(none)";
  }
  std::wstring data(1024, L'\0');
  DWORD size = static_cast<DWORD>(data.size() * sizeof(wchar_t));
  DWORD type = 0;
  const LONG code = RegQueryValueExW(raw, L"Quenora", nullptr, &type,
                                     reinterpret_cast<BYTE*>(data.data()), &size);
  RegCloseKey(raw);
  if (code != ERROR_SUCCESS || type != REG_SZ) return L"(none)";
  data.resize(size / sizeof(wchar_t));
  if (!data.empty() && data.back() == L'\0') data.pop_back();
  return data;
}

// The program path a Run value names: between the quotes, or up to " /AUTOSTART".
std::wstring NamedPath(const std::wstring& value) {
  if (!value.empty() && value[0] == L'"') return value.substr(1, value.find(L'"', 1) - 1);
  return value.substr(0, value.rfind(L" /AUTOSTART"));
}

bool IsFile(const std::wstring& path) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// The real registry and files; each case leaves no value, key or file behind.
class Win32AutostartTest : public ::testing::Test {
 protected:
  void SetUp() override {
    wchar_t temp[MAX_PATH + 1] = {};
    GetTempPathW(MAX_PATH + 1, temp);
    this->temp = Narrow(temp);
    folder = this->temp + "Quenora Autostart \xC3\xA4\xC3\xB6";  // "äö"
    CreateDirectoryW(Widen(folder).c_str(), nullptr);
    startedByCase = GetEnvironmentVariableW(kStartedByCase, nullptr, 0) != 0;
    wchar_t startup[1024] = {};
    DWORD size = sizeof startup;
    if (RegGetValueW(HKEY_CURRENT_USER, kShellFolders, L"Startup", RRF_RT_REG_SZ, nullptr, startup,
                     &size) == ERROR_SUCCESS) {
      startupFolder = startup;
    }
  }
  void TearDown() override {
    autostart.DeleteRunEntry(kEntry, false, false);
    RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Quenora Tests");
    if (startupFolder) {
      SetStartupFolder(*startupFolder);
    } else {
      RegDeleteKeyValueW(HKEY_CURRENT_USER, kShellFolders, L"Startup");
    }
    for (const char* name : {"\\Quenora.lnk", "\\Versteckt.lnk"}) {
      SetFileAttributesW(Widen(folder + name).c_str(), FILE_ATTRIBUTE_NORMAL);
      DeleteFileW(Widen(folder + name).c_str());
    }
    RemoveDirectoryW(Widen(folder).c_str());
    if (startedByCase) return;
    RegDeleteKeyValueW(HKEY_CURRENT_USER, kRunKey, L"Quenora");
    for (const char* user : kUserNames) {
      const std::string base = this->temp + user;
      for (const char* file : {"\\Quenora\\Quenora.exe", "\\Startup\\Quenora.lnk"}) {
        SetFileAttributesW(Widen(base + file).c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileW(Widen(base + file).c_str());
      }
      for (const char* directory : {"\\Quenora", "\\Startup", ""}) {
        RemoveDirectoryW(Widen(base + directory).c_str());
      }
    }
  }
  // The user's folder "<temp>\<user>" with its subfolders Quenora and Startup; the path of
  // Quenora.exe in the first.
  std::string MakeUserFolders(const std::string& user) {
    const std::string base = temp + user;
    for (const char* directory : {"", "\\Quenora", "\\Startup"}) {
      CreateDirectoryW(Widen(base + directory).c_str(), nullptr);
    }
    return base + "\\Quenora\\Quenora.exe";
  }
  static void SetStartupFolder(const std::wstring& path) {
    RegSetKeyValueW(HKEY_CURRENT_USER, kShellFolders, L"Startup", REG_SZ, path.c_str(),
                    static_cast<DWORD>((path.size() + 1) * sizeof(wchar_t)));
  }
  void CreateFileWith(const std::string& path, DWORD attributes) {
    const UniqueKernelHandle file(CreateFileW(Widen(path).c_str(), GENERIC_WRITE, 0, nullptr,
                                              CREATE_ALWAYS, attributes, nullptr));
    ASSERT_NE(file.get(), INVALID_HANDLE_VALUE);
  }
  std::wstring WideValue(const wchar_t* subkey, const std::string& name) {
    wchar_t data[512] = {};
    DWORD size = sizeof(data);
    DWORD type = 0;
    const LONG code = RegGetValueW(HKEY_CURRENT_USER, subkey, Widen(name).c_str(), RRF_RT_ANY,
                                   &type, data, &size);
    return code == ERROR_SUCCESS && type == REG_SZ ? data : L"(none)";
  }

  Win32RegistryCalls registry;
  Win32Files files;
  testing::FakeSystem system;
  Autostart autostart{registry, files, system};
  std::string temp, folder;
  bool startedByCase = false;
  std::optional<std::wstring> startupFolder;  // as it was before the case
};

TEST_F(Win32AutostartTest, RunEntryIsWrittenFoundAndDeletedOnTheUsersRunKey) {
  const std::string command = "\"C:\\Program Files\\Quenora\\Quenora.exe\" /AUTOSTART";
  ASSERT_FALSE(autostart.RunEntryExists(kEntry, false, false));
  autostart.SetRunEntry(kEntry, command, false, false);
  EXPECT_TRUE(autostart.RunEntryExists(kEntry, false, false));
  EXPECT_EQ(WideValue(L"Software\\Microsoft\\Windows\\CurrentVersion\\Run", kEntry),
            Widen(command));
  EXPECT_EQ(RegistryReadString(registry, kUser, RunKeyPath(false), kEntry), command);
  autostart.DeleteRunEntry(kEntry, false, false);
  EXPECT_FALSE(autostart.RunEntryExists(kEntry, false, false));
  autostart.DeleteRunEntry(kEntry, false, false);  // nothing left to delete: quietly nothing
  EXPECT_FALSE(autostart.RunEntryExists(kEntry, false, true));
}

TEST_F(Win32AutostartTest, TextsWithBlanksAndUmlautsAreStoredAsTheirCharacters) {
  const std::string name = "Ordner f\xC3\xBCr den Start";
  const std::string text =
      "C:\\Dokumente und Einstellungen\\J\xC3\xBCrgen M\xC3\xB6\xC3\x9F"
      "ner\\Startmen\xC3\xBC";
  RegistryWriteValue(registry, kUser, kProbeKey, name, text, kRegSz);
  RegistryWriteValue(registry, kUser, kProbeKey, "Kurz", "C:\\", kRegSz);
  // Stored as those characters, not as the bytes of their UTF-8.
  EXPECT_EQ(WideValue(L"Software\\Quenora Tests\\Autostart", name), Widen(text));
  EXPECT_EQ(RegistryReadString(registry, kUser, kProbeKey, name), text);
  // Beside a longer value, a short one comes back without the blanks of the larger buffer.
  EXPECT_EQ(RegistryReadString(registry, kUser, kProbeKey, "Kurz"), "C:\\");
  EXPECT_EQ(RegistryReadString(registry, kUser, kProbeKey, "Fehlt"), "");
  EXPECT_EQ(RegistryReadString(registry, kUser, "Software\\Quenora Tests\\Nirgends", "Kurz"), "");
}

TEST_F(Win32AutostartTest, TextOfAnotherProgramStoredWithoutItsZeroIsReadWhole) {
  const std::wstring folder = L"C:\\Users\\\u0141ukasz\\Startmen\u00FC";
  // The system counts a zero that follows the text in memory even when the count leaves it
  // out: the text is followed by another character, and the count stops before it.
  const std::wstring data = folder + L"?";
  RegSetKeyValueW(HKEY_CURRENT_USER, L"Software\\Quenora Tests\\Autostart", L"Ohne Null", REG_SZ,
                  data.c_str(), static_cast<DWORD>(folder.size() * sizeof(wchar_t)));
  EXPECT_EQ(RegistryReadString(registry, kUser, kProbeKey, "Ohne Null"), Narrow(folder));
}

TEST_F(Win32AutostartTest, ReadOnlyFileIsFoundAndGoesAfterItsResetHiddenOneIsNotFound) {
  const std::string readOnly = folder + "\\Quenora.lnk";
  const std::string hidden = folder + "\\Versteckt.lnk";
  CreateFileWith(readOnly, FILE_ATTRIBUTE_READONLY);
  CreateFileWith(hidden, FILE_ATTRIBUTE_HIDDEN);

  EXPECT_TRUE(FileExists(files, readOnly));
  EXPECT_FALSE(files.DeleteFileAt(readOnly));  // the reset is what lets it go
  EXPECT_TRUE(files.SetNormalAttributes(readOnly));
  EXPECT_TRUE(files.DeleteFileAt(readOnly));
  EXPECT_FALSE(files.FindFile(readOnly).has_value());
  EXPECT_FALSE(files.SetNormalAttributes(readOnly));

  ASSERT_TRUE(files.FindFile(hidden).has_value());
  EXPECT_FALSE(FileExists(files, hidden));
  EXPECT_FALSE(FileExists(files, folder));
  EXPECT_FALSE(FileExists(files, "R:\\Autostart\\Quenora.lnk"));  // no such drive
}

TEST_F(Win32AutostartTest, ShortcutInAUsersFolderOfAnyScriptGivesWayToTheRunValue) {
  for (const char* user : kUserNames) {
    SCOPED_TRACE(user);
    const std::string exe = MakeUserFolders(user);
    CreateFileWith(exe, FILE_ATTRIBUTE_NORMAL);
    const std::string shortcut = temp + user + "\\Startup\\Quenora.lnk";
    CreateFileWith(shortcut, FILE_ATTRIBUTE_READONLY);
    SetStartupFolder(Widen(temp + user + "\\Startup"));
    system.executablePath = exe;
    Checkbox checkbox;

    autostart.SyncAutostartCheckbox(checkbox);
    EXPECT_FALSE(IsFile(Widen(shortcut)));
    EXPECT_EQ(checkbox.value, 1);
    EXPECT_TRUE(system.messages.empty());
    const std::wstring value = RunValue();
    EXPECT_EQ(value, L"\"" + Widen(exe) + L"\" /AUTOSTART");
    EXPECT_TRUE(IsFile(NamedPath(value))) << Narrow(value);
    EXPECT_TRUE(autostart.RunEntryExists("Quenora", false, false));
    EXPECT_EQ(RegistryReadString(registry, kUser, RunKeyPath(false), "Quenora"),
              "\"" + exe + "\" /AUTOSTART");

    checkbox.value = 0;
    autostart.ApplyAutostartCheckbox(checkbox);
    EXPECT_EQ(RunValue(), L"(none)");
  }
}

// The running program registers the path the system reports for it: a copy of this test
// program in each user's folder runs the case below, and the Run value it leaves names it.
TEST_F(Win32AutostartTest, ProgramInAUsersFolderOfAnyScriptRegistersItsOwnPath) {
  wchar_t self[MAX_PATH] = {};
  ASSERT_GT(GetModuleFileNameW(nullptr, self, MAX_PATH), 0u);
  for (const char* user : kUserNames) {
    SCOPED_TRACE(user);
    const std::wstring exe = Widen(MakeUserFolders(user));
    ASSERT_TRUE(CopyFileW(self, exe.c_str(), FALSE));
    std::wstring commandLine =
        L"Quenora.exe --gtest_filter=Win32AutostartTest.RunValueNamesThisVeryProgram";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    SetEnvironmentVariableW(kStartedByCase, L"1");
    const BOOL started = CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0,
                                        nullptr, nullptr, &startup, &process);
    SetEnvironmentVariableW(kStartedByCase, nullptr);
    ASSERT_TRUE(started);
    const UniqueKernelHandle processHandle(process.hProcess), thread(process.hThread);
    ASSERT_EQ(WaitForSingleObject(process.hProcess, 60000), WAIT_OBJECT_0);
    DWORD exitCode = 1;
    GetExitCodeProcess(process.hProcess, &exitCode);
    EXPECT_EQ(exitCode, 0u);
    const std::wstring value = RunValue();
    EXPECT_EQ(value, L"\"" + exe + L"\" /AUTOSTART");
    EXPECT_TRUE(IsFile(NamedPath(value))) << Narrow(value);
    RegDeleteKeyValueW(HKEY_CURRENT_USER, kRunKey, L"Quenora");
  }
}

// The real apply of the running program: its path from the system, the Run value through the
// registry. Started alone by the case above, it leaves the value for it to read.
TEST_F(Win32AutostartTest, RunValueNamesThisVeryProgram) {
  wchar_t self[MAX_PATH] = {};
  ASSERT_GT(GetModuleFileNameW(nullptr, self, MAX_PATH), 0u);
  Win32System realSystem;
  Autostart program{registry, files, realSystem};
  Checkbox checkbox;
  checkbox.tag = AutostartGuardTag;
  checkbox.value = 1;
  program.ApplyAutostartCheckbox(checkbox);
  const std::wstring value = RunValue();
  EXPECT_EQ(value, L"\"" + std::wstring(self) + L"\" /AUTOSTART");
  EXPECT_TRUE(IsFile(NamedPath(value))) << Narrow(value);
}

}  // namespace
}  // namespace quenora::win32
