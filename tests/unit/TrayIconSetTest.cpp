#include "tray/TrayIconSet.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "Fakes.h"

namespace quenora {
namespace {

using testing::FakeNotifyArea;
using testing::FakeSystem;

class TrayIconSetTest : public ::testing::Test {
 protected:
  TrayIconSetTest() { tray.TrayWindowHandle = 0x1234; }

  // The bytes of the tip field after the text: a NUL, then only spaces.
  static void ExpectNulThenSpaces(const NotifyIconRecord& record, std::size_t textLength) {
    ASSERT_LT(textLength, sizeof record.szTip);
    EXPECT_EQ(record.szTip[textLength], '\0');
    for (std::size_t i = textLength + 1; i < sizeof record.szTip; ++i) {
      EXPECT_EQ(record.szTip[i], ' ') << "byte " << i;
    }
  }

  FakeNotifyArea shell;
  FakeSystem system;
  TrayIconSet tray{shell, system};
};

TEST_F(TrayIconSetTest, EveryRequestCarriesTheSameRecordFields) {
  tray.AddTrayIcon(1, 0xA1, "");
  tray.ModifyTrayIcon(2, 0xA2, "Rest auf C: 1,0 GB = 50%");
  tray.DeleteTrayIcon(3);
  ASSERT_EQ(shell.requests.size(), 3u);
  const std::uint32_t expectedMessages[] = {kNimAdd, kNimModify, kNimDelete};
  for (std::size_t i = 0; i < 3; ++i) {
    const NotifyIconRecord& record = shell.requests[i].record;
    EXPECT_EQ(shell.requests[i].message, expectedMessages[i]);
    EXPECT_EQ(record.cbSize, sizeof(NotifyIconRecord));
    EXPECT_EQ(record.hWnd, 0x1234u);
    EXPECT_EQ(record.uID, i + 1);
    EXPECT_EQ(record.uFlags, 7u);  // also for delete
    EXPECT_EQ(record.uCallbackMessage, 1024u);
  }
  EXPECT_EQ(shell.requests[0].record.hIcon, 0xA1u);
  EXPECT_EQ(shell.requests[1].record.hIcon, 0xA2u);
  EXPECT_EQ(shell.requests[2].record.hIcon, 1u);  // delete sends icon handle 1
  EXPECT_EQ(shell.requests[1].Tip(), "Rest auf C: 1,0 GB = 50%");
  EXPECT_EQ(shell.requests[2].Tip(), "");
  ExpectNulThenSpaces(shell.requests[1].record, 24);
  ExpectNulThenSpaces(shell.requests[2].record, 0);
}

TEST_F(TrayIconSetTest, RecordHasTheShellsFirstLayout) {
  if constexpr (sizeof(void*) == 4) {
    EXPECT_EQ(sizeof(NotifyIconRecord), 88u);
  } else {
    EXPECT_EQ(sizeof(NotifyIconRecord), 104u);
  }
  EXPECT_EQ(offsetof(NotifyIconRecord, szTip) + 64, sizeof(NotifyIconRecord));
}

TEST_F(TrayIconSetTest, TipOfSixtyThreeCharactersIsKeptAndSixtyFourLosesTheLast) {
  const std::string tip63(63, 'x');
  tray.ModifyTrayIcon(1, 5, tip63);
  EXPECT_EQ(shell.requests.back().Tip(), tip63);
  EXPECT_EQ(shell.requests.back().record.szTip[63], '\0');

  tray.ModifyTrayIcon(1, 5, tip63 + "y");
  EXPECT_EQ(shell.requests.back().Tip(), tip63);

  tray.ModifyTrayIcon(1, 5, std::string(300, 'z'));
  EXPECT_EQ(shell.requests.back().Tip(), std::string(63, 'z'));
}

TEST_F(TrayIconSetTest, CharactersAreCountedAsWindowsCountsThem) {
  // 62 ASCII characters and two guillemets are 64 characters but 66 bytes of UTF-8: the cut
  // falls after the first guillemet, which arrives as one ANSI byte.
  const std::string tip = std::string(62, 'a') + "\xC2\xBB\xC2\xAB";
  tray.ModifyTrayIcon(1, 5, tip);
  EXPECT_EQ(shell.requests.back().Tip(), std::string(62, 'a') + "\xBB");
}

TEST_F(TrayIconSetTest, CutNeverSplitsASurrogatePair) {
  // 62 characters, then a character outside the basic plane (two UTF-16 units).
  tray.ModifyTrayIcon(1, 5, std::string(62, 'a') + "\xF0\x9F\x92\xBE");
  EXPECT_EQ(shell.requests.back().Tip(), std::string(62, 'a'));
}

TEST_F(TrayIconSetTest, DoubleByteCodePageNeverOverrunsTheField) {
  system.doubleByte = true;
  // 40 CJK characters: 40 characters, 80 bytes in the code page.
  std::string tip;
  for (int i = 0; i < 40; ++i) tip += "\xE6\xBC\xA2";  // U+6F22
  tray.ModifyTrayIcon(1, 5, tip);
  const NotifyIconRecord& record = shell.requests.back().record;
  const std::size_t length = std::strlen(record.szTip);
  EXPECT_EQ(length, 62u);  // 31 whole characters
  ExpectNulThenSpaces(record, length);
}

TEST_F(TrayIconSetTest, RemoveAllWithNoIconsAsksTheShellNothing) {
  tray.RemoveAllTrayIcons(0);
  EXPECT_TRUE(shell.requests.empty());
}

TEST_F(TrayIconSetTest, RemoveAllDeletesEveryIconInOrder) {
  tray.RemoveAllTrayIcons(3);
  ASSERT_EQ(shell.requests.size(), 3u);
  for (std::uint32_t i = 0; i < 3; ++i) {
    EXPECT_EQ(shell.requests[i].message, kNimDelete);
    EXPECT_EQ(shell.requests[i].record.uID, i + 1);
  }
}

TEST_F(TrayIconSetTest, TheKeyboardGoesBackToTheIconAndItKeepsWhatItShows) {
  tray.AddTrayIcon(2, 12, "Rest auf D: 1,0 GB = 50%");
  tray.ReturnFocusToTray(2);
  ASSERT_EQ(shell.requests.size(), 2u);
  EXPECT_EQ(shell.requests[1].message, kNimSetFocus);
  EXPECT_EQ(shell.requests[1].record.uID, 2u);
  EXPECT_EQ(shell.requests[1].Tip(), "Rest auf D: 1,0 GB = 50%");
}

TEST_F(TrayIconSetTest, NewTaskbarGetsEveryIconAgainAsItWasLastShown) {
  tray.AddTrayIcon(1, 10, "");
  tray.AddTrayIcon(2, 10, "");
  tray.ModifyTrayIcon(1, 11, "Rest auf C: 1,0 GB = 50%");
  tray.ModifyTrayIcon(2, 12, "Fehler: Von D: kann nicht gelesen werden.");
  tray.ModifyTrayIcon(1, 13, "Rest auf C: 0,9 GB = 45%");
  shell.requests.clear();
  tray.AddAllTrayIconsAgain(2);
  ASSERT_EQ(shell.requests.size(), 2u);
  EXPECT_EQ(shell.requests[0].message, kNimAdd);
  EXPECT_EQ(shell.requests[0].record.hIcon, 13u);
  EXPECT_EQ(shell.requests[0].Tip(), "Rest auf C: 0,9 GB = 45%");
  EXPECT_EQ(shell.requests[1].record.hIcon, 12u);
  EXPECT_EQ(shell.requests[1].Tip(), "Fehler: Von D: kann nicht gelesen werden.");
}

TEST_F(TrayIconSetTest, ARefusedRequestIsNotRepeated) {
  shell.accept = false;
  tray.AddTrayIcon(1, 5, "");
  EXPECT_EQ(shell.requests.size(), 1u);
}

TEST_F(TrayIconSetTest, NoticeGoesToItsIconWithinTheFieldsOfTheWideRecord) {
  std::string longText(300, 'x');
  tray.ShowNotice(3, "Laufwerk C: ist fast voll", longText + "\xC3\xA4");
  ASSERT_EQ(shell.notices.size(), 1u);
  EXPECT_TRUE(shell.requests.empty());  // picture and tooltip stay as they are
  const NoticeRecord& notice = shell.notices[0];
  EXPECT_EQ(notice.hWnd, 0x1234u);
  EXPECT_EQ(notice.uID, 3u);
  EXPECT_EQ(notice.title, u"Laufwerk C: ist fast voll");
  EXPECT_EQ(notice.text, std::u16string(255, u'x'));
  tray.ShowNotice(1, std::string(70, 'T'), "\xC3\xA4");
  EXPECT_EQ(shell.notices[1].title.size(), 63u);
  EXPECT_EQ(shell.notices[1].text, u"\u00E4");
}

}  // namespace
}  // namespace quenora
