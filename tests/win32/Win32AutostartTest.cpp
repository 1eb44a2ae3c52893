#include <windows.h>

#include <gtest/gtest.h>

#include "Fakes.h"
#include "platform/win32/Handles.h"
#include "platform/win32/WideText.h"
#include "platform/win32/Win32Files.h"
#include "platform/win32/Win32RegistryCalls.h"
#include "settings/Autostart.h"

namespace quenora::win32 {
namespace {

constexpr auto kUser = RegistryRoot::CurrentUser;
constexpr char kEntry[] = "QuenoraAutostartTest";
constexpr char kProbeKey[] = "Software\\Quenora Tests\\Autostart";

// The real registry and files; each case leaves no value, key or file behind.
class Win32AutostartTest : public ::testing::Test {
 protected:
  void SetUp() override {
    wchar_t temp[MAX_PATH + 1] = {};
    GetTempPathW(MAX_PATH + 1, temp);
    folder = Narrow(temp) + "Quenora Autostart \xC3\xA4\xC3\xB6";  // "äö"
    CreateDirectoryW(Widen(folder).c_str(), nullptr);
  }
  void TearDown() override {
    autostart.DeleteRunEntry(kEntry, false, false);
    RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Quenora Tests");
    for (const char* name : {"\\Quenora.lnk", "\\Versteckt.lnk"}) {
      SetFileAttributesW(Widen(folder + name).c_str(), FILE_ATTRIBUTE_NORMAL);
      DeleteFileW(Widen(folder + name).c_str());
    }
    RemoveDirectoryW(Widen(folder).c_str());
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
  std::string folder;
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

TEST_F(Win32AutostartTest, TextsWithBlanksAndUmlautsPassTheAnsiCallsUnchanged) {
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

}  // namespace
}  // namespace quenora::win32
