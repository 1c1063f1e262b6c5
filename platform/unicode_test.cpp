#include "platform/unicode.h"

#include <gtest/gtest.h>

namespace platform {
namespace {

TEST(WideToNarrow, EncodesEveryPlaneAsUtf8) {
  EXPECT_EQ(WideToNarrow(u"Saved Games"), "Saved Games");
  EXPECT_EQ(WideToNarrow(u"\u00e9"), "\xC3\xA9");  // é, not the byte E9
  EXPECT_EQ(WideToNarrow(u"\u0141"), "\xC5\x81");  // Ł, not 'A'
  EXPECT_EQ(WideToNarrow(u"\u0416\u4e2d"), "\xD0\x96\xE4\xB8\xAD");
  EXPECT_EQ(WideToNarrow(u"\U0001F600"), "\xF0\x9F\x98\x80");  // a surrogate pair
}

TEST(WideToNarrow, StopsAtTheFirstZeroUnit) {
  const char16_t text[] = {u'a', u'b', 0, u'c', 0};
  EXPECT_EQ(WideToNarrow(text), "ab");
}

TEST(WideToNarrow, ReplacesUnpairedSurrogates) {
  const char16_t lonelyHigh[] = {0xD83D, u'x', 0};
  const char16_t lonelyLow[] = {0xDE00, 0};
  const char16_t highAtEnd[] = {u'a', 0xD83D, 0};
  EXPECT_EQ(WideToNarrow(lonelyHigh), "\xEF\xBF\xBDx");
  EXPECT_EQ(WideToNarrow(lonelyLow), "\xEF\xBF\xBD");
  EXPECT_EQ(WideToNarrow(highAtEnd), "a\xEF\xBF\xBD");
}

TEST(NarrowToWide, RoundTripsWhatWideToNarrowMakes) {
  const std::u16string samples[] = {u"", u"C:\\Users\\\u0410\u043d\u043d\u0430\\Saved Games",
                                    u"\u30b2\u30fc\u30e0\\Mods", u"\U0001F600 \u00ff"};
  for (const std::u16string& sample : samples) {
    EXPECT_EQ(NarrowToWide(WideToNarrow(sample)), sample);
  }
}

TEST(NarrowToWide, ReplacesMalformedBytes) {
  EXPECT_EQ(NarrowToWide("a\xFF"
                         "b"),
            u"a\uFFFDb");
  EXPECT_EQ(NarrowToWide("\xC3"), u"\uFFFD");          // cut short
  EXPECT_EQ(NarrowToWide("\xC0\xAF"), u"\uFFFD");      // overlong "/"
  EXPECT_EQ(NarrowToWide("\xED\xA0\x80"), u"\uFFFD");  // an encoded surrogate
}

}  // namespace
}  // namespace platform
