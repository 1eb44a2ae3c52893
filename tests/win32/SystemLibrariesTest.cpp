// DLLs loaded by name come from the system, never from the exe's folder: quenora_planted.dll
// lies beside this test's exe, as a DLL dropped beside Quenora.exe would.

#include "platform/win32/SystemLibraries.h"

#include <gtest/gtest.h>

namespace quenora::win32 {
namespace {

constexpr wchar_t kPlanted[] = L"quenora_planted.dll";

// The planted DLL is there to be found: it loads when the exe's folder is searched.
void ExpectPlantedBesideTheExe() {
  HMODULE planted = LoadLibraryExW(kPlanted, nullptr, LOAD_LIBRARY_SEARCH_APPLICATION_DIR);
  ASSERT_NE(planted, nullptr) << "quenora_planted.dll is missing beside the test";
  EXPECT_NE(GetProcAddress(planted, "PlantedLibraryMark"), nullptr);
  FreeLibrary(planted);
}

TEST(SystemLibrariesTest, LoadsTheSystemsDllsAndNothingFromBesideTheExe) {
  HMODULE planted = LoadSystemLibrary(kPlanted);
  EXPECT_EQ(planted, nullptr);
  if (planted) FreeLibrary(planted);
  for (const wchar_t* dll : {L"comctl32.dll", L"ole32.dll", L"oleaut32.dll"}) {
    HMODULE module = LoadSystemLibrary(dll);
    EXPECT_NE(module, nullptr);
    if (module) FreeLibrary(module);
  }
  ExpectPlantedBesideTheExe();
}

TEST(SystemLibrariesTest, AfterTheStartStepADllByNameComesFromTheSystemFolderOnly) {
  KeepDllSearchInSystemFolder();
  HMODULE planted = LoadLibraryW(kPlanted);
  EXPECT_EQ(planted, nullptr);
  if (planted) FreeLibrary(planted);
  HMODULE system = LoadLibraryW(L"version.dll");  // neither loaded nor a known DLL
  EXPECT_NE(system, nullptr);
  if (system) FreeLibrary(system);
  ExpectPlantedBesideTheExe();
}

}  // namespace
}  // namespace quenora::win32
