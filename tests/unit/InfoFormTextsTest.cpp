#include "ui/InfoFormTexts.h"

#include <gtest/gtest.h>

namespace quenora {
namespace {

TEST(InfoFormTest, TextNamesProgramVersionSloganAndVendor) {
  EXPECT_EQ(InfoFormCaption(),
            "Info \xC3\xBC"
            "ber Quenora");
  EXPECT_EQ(InfoFormText(),
            "Quenora (V1.0) \xE2\x80\x93 Den Plattenspeicher immer gut im Blick\r\r"
            "Verbesserungsvorschl\xC3\xA4ge sind mir immer gern willkommen. Weitere interessante "
            "Tools und Infos finden Sie auf meiner Web-Site unter WWW.TARNWICK-SOFTWARE.DE");
}

TEST(InfoFormTest, MailSubjectCarriesBothVersionsUnencoded) {
  EXPECT_EQ(SupportMailLink("5.1.2600"),
            "mailto:support@tarnwick-software.de?subject=Ihre Software Quenora (V1.0) unter "
            "Windows 5.1.2600");
}

TEST(InfoFormTest, SmallScreensGetTheDialogAtTheCorner) {
  EXPECT_TRUE(InfoFormAtScreenCorner(640, 480));
  EXPECT_TRUE(InfoFormAtScreenCorner(800, 480));
  EXPECT_TRUE(InfoFormAtScreenCorner(640, 1024));
  EXPECT_FALSE(InfoFormAtScreenCorner(800, 600));
  EXPECT_FALSE(InfoFormAtScreenCorner(641, 481));
}

}  // namespace
}  // namespace quenora
