// The events' texts as an event viewer reads them: from the built Quenora.exe's message table.

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
  const wchar_t* values[] = {L"D:", L"DATEN", L"812", L"1000", L"10 MB", L"10485760", L"1200"};
  const auto text = [&](DWORD id, WORD language) {
    wchar_t buffer[1024] = {};
    const DWORD length =
        FormatMessageW(FORMAT_MESSAGE_FROM_HMODULE | FORMAT_MESSAGE_ARGUMENT_ARRAY, module, id,
                       MAKELANGID(language, SUBLANG_DEFAULT), buffer, 1024,
                       reinterpret_cast<va_list*>(const_cast<wchar_t**>(values)));
    return std::wstring(buffer, length);
  };
  for (const NoticeEvent& event : kNoticeEvents) {
    for (const WORD language : {LANG_GERMAN, LANG_ENGLISH}) {
      // Drive and label in each, the seconds in the forecasts, no insert left unfilled.
      const std::wstring said = text(event.eventId, language);
      SCOPED_TRACE(Narrow(said));
      EXPECT_TRUE(said.find(L" D: ") != std::wstring::npos && said.ends_with(L": DATEN"));
      EXPECT_EQ(said.find(L" 1200 ") != std::wstring::npos,
                event.eventId == 1003 || event.eventId == 1004);
      EXPECT_EQ(said.find(L'%'), std::wstring::npos);
    }
  }
  EXPECT_EQ(text(1000, LANG_GERMAN),
            L"Laufwerk D: ist fast voll: Nur noch 812 von 1000 Bytes sind frei, weniger als die "
            L"Alarmgrenze von 10 MB (10485760 Bytes).\r\n\r\nBezeichnung: DATEN");
  FreeLibrary(module);
}

}  // namespace
}  // namespace quenora::win32
