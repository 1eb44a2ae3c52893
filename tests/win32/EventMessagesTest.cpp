// The texts of the events as an event viewer reads them: from the message table of the built
// Quenora.exe, in German and English, with the event's values inserted.

#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "monitor/AlarmNotices.h"
#include "platform/win32/WideText.h"

namespace quenora::win32 {
namespace {

TEST(EventMessagesTest, EveryEventReadsInGermanAndEnglishWithItsValues) {
  wchar_t self[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  // This program is build/<preset>/tests/win32/*.exe; the program is build/<preset>/.
  std::wstring exe = self;
  for (int i = 0; i < 3; ++i) exe.erase(exe.find_last_of(L'\\'));
  const HMODULE module = LoadLibraryExW((exe + L"\\Quenora.exe").c_str(), nullptr,
                                        LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
  ASSERT_NE(module, nullptr);
  const wchar_t* values[] = {L"D:",      L"DATEN",      L"812000000", L"1000000000",
                             L"1000 MB", L"1048576000", L"1200"};
  const auto text = [&](DWORD id, WORD language) {
    wchar_t buffer[1024] = {};
    const DWORD length =
        FormatMessageW(FORMAT_MESSAGE_FROM_HMODULE | FORMAT_MESSAGE_ARGUMENT_ARRAY, module, id,
                       MAKELANGID(language, SUBLANG_DEFAULT), buffer, 1024,
                       reinterpret_cast<va_list*>(const_cast<wchar_t**>(values)));
    return std::wstring(buffer, length);
  };
  for (const NoticeEvent& event : kNoticeEvents) {
    const bool forecast = event.eventId == 1003 || event.eventId == 1004;
    for (const WORD language : {LANG_GERMAN, LANG_ENGLISH}) {
      // Drive and label in each; the seconds in the forecasts; no insert left unfilled.
      const std::wstring said = text(event.eventId, language);
      SCOPED_TRACE(Narrow(said));
      EXPECT_NE(said.find(L" D: "), std::wstring::npos);
      EXPECT_TRUE(said.ends_with(L": DATEN"));
      EXPECT_EQ(said.find(L" 1200 ") != std::wstring::npos, forecast);
      EXPECT_EQ(said.find(L'%'), std::wstring::npos);
    }
  }
  EXPECT_EQ(
      text(1000, LANG_GERMAN),
      L"Laufwerk D: ist fast voll: Nur noch 812000000 von 1000000000 Bytes sind frei, "
      L"weniger als die Alarmgrenze von 1000 MB (1048576000 Bytes).\r\n\r\nBezeichnung: DATEN");
  EXPECT_EQ(text(1005, LANG_ENGLISH),
            L"Drive D: can no longer be read; its free space is not known.\r\n\r\nLabel: DATEN");
  FreeLibrary(module);
}

}  // namespace
}  // namespace quenora::win32
