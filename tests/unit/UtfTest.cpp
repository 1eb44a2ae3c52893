#include "util/Utf.h"

#include <gtest/gtest.h>

namespace quenora {
namespace {

TEST(UtfTest, RoundTripsEveryPlane) {
  const std::string text =
      "Rest auf C: \xC2\xBBSYST\xC3\x8B\x4D\xC2\xAB \xE2\x82\xAC \xF0\x9F\x92\xBE";
  const std::u16string units = Utf8ToUtf16(text);
  EXPECT_EQ(units, u"Rest auf C: »SYSTËM« € 💾");
  EXPECT_EQ(Utf16ToUtf8(units), text);
}

TEST(UtfTest, BrokenInputBecomesReplacementCharacters) {
  EXPECT_EQ(Utf8ToUtf16("a\xFF"
                        "b"),
            u"a\uFFFDb");
  EXPECT_EQ(Utf8ToUtf16("\xC3"), u"\uFFFD");                      // cut sequence
  EXPECT_EQ(Utf8ToUtf16("\xC0\xAF"), u"\uFFFD\uFFFD");            // overlong
  EXPECT_EQ(Utf8ToUtf16("\xED\xA0\x80"), u"\uFFFD\uFFFD\uFFFD");  // encoded surrogate
  EXPECT_EQ(Utf16ToUtf8(u"x\xD800y"), "x\xEF\xBF\xBDy");
}

}  // namespace
}  // namespace quenora
