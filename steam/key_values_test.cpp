#include "steam/key_values.h"

#include <gtest/gtest.h>

#include "steam/file_system.h"
#include "steam/library.h"

namespace steam {
namespace {

TEST(KeyValues, ReadsSteamsTextWithTheByteRangeOfEachWord) {
  const std::string_view text = R"("AppState"
{
	"appid"		"1234560"
	// Steam writes no comments, but the format has them
	"InstallDir"		"Hollow \"Voyage\"\\ \t"
	"UserConfig"
	{
		"installdir"		"not this one"
	}
	bare	word
	"escapes"	"a\nb\rc\qd"
	"k\"ey"	"1"
}
// a comment at the end, with no line break)";
  const KeyValueText read = ParseKeyValues(text);
  ASSERT_TRUE(read.Read()) << read.problem;
  const std::optional<KeyValue> state = read.root().Find("appstate");
  ASSERT_TRUE(state && state->isBlock());
  EXPECT_EQ(state->ValueOf("installdir"), "Hollow \"Voyage\"\\ \t");
  EXPECT_EQ(state->ValueOf("APPID"), "1234560");
  EXPECT_EQ(state->ValueOf("bare"), "word");
  EXPECT_EQ(state->ValueOf("escapes"), "a\nb\rc\\qd");
  EXPECT_EQ(state->children().size(), 6u);
  EXPECT_EQ(state->ValueOf("K\"EY"), "1") << "an escaped key";
  EXPECT_EQ(state->Find("bare")->key(), "bare");
  EXPECT_EQ(state->ValueOf("UserConfig"), std::nullopt) << "a block is no string";
  const std::optional<KeyValue> dir = state->Find("InstallDir");
  auto at = [&](ByteRange range) { return text.substr(range.begin, range.end - range.begin); };
  EXPECT_EQ(at(dir->keyRange()), "\"InstallDir\"");
  EXPECT_EQ(at(dir->valueRange()), R"("Hollow \"Voyage\"\\ \t")");
  EXPECT_EQ(at(state->Find("bare")->valueRange()), "word");
  EXPECT_EQ(at(state->valueRange()).front(), '{');
  EXPECT_EQ(at(state->valueRange()).back(), '}');
  EXPECT_EQ(QuoteKeyValue("\"D:\\Games\" %command%"), R"("\"D:\\Games\" %command%")");
}

// A damaged file reads as far as it goes, and says where it broke; an app
// manifest that does not read whole gives no value.
TEST(KeyValues, SaysWhereADamagedTextBreaks) {
  struct Row {
    std::string text, problem;
  } const rows[] = {
      // clang-format off
      {"\"AppState\"\n{\n\t\"appid\"\t\"99\"\n\t\"name\"\t\"Some other game, cut short", "not closed"},
      {"\"AppState\" { \"installdir\" \"Hollow Voyage\\", "not closed"},
      {"\"AppState\" { \"installdir\" \"Hollow Voyage\"", "block is not closed"},
      {"\"AppState\" { \"installdir\" }", "has no value"},
      {"\"AppState\" { \"installdir\"", "has no value"},
      {"\"AppState\" { } }", "closes no block"},
      {"{ \"installdir\" \"x\" }", "has no key"},
      {std::string(200, '{'), "has no key"},
      {[] { std::string deep; for (int i = 0; i < 100; ++i) deep += "k {"; return deep; }(),
       "nest too deep"},
      {"\"AppState\" {\x01\xff\xfe\"installdir\"\0\"x\"\x80", "not closed"},
      {"\"AppState\" { \"installdir\" \"" + std::string(1 << 20, 'x'), "not closed"},
      {std::string(kMostKeyValueBytes + 1, ' '), "larger than"},
      {[] { std::string dense; for (int i = 0; i < 10000; ++i) dense += "a b\n"; return dense; }(),
       "more entries than"},
      // clang-format on
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.text.substr(0, 60));
    const KeyValueText read = ParseKeyValues(row.text);
    EXPECT_NE(read.problem.find(row.problem), std::string::npos) << read.problem;
    EXPECT_LE(read.problemAt, row.text.size());
    for (const KeyValue entry : read.root().children()) {
      EXPECT_LT(entry.valueRange().begin, entry.valueRange().end) << "a block cut short ends somewhere";
      EXPECT_LE(entry.valueRange().end, row.text.size());
    }
    std::string why;
    EXPECT_EQ(ManifestValue(row.text, "installdir", &why), std::nullopt);
    EXPECT_NE(why, "");
  }
  EXPECT_TRUE(ParseKeyValues("").Read()) << "an empty file is no entries";
  EXPECT_EQ(ManifestValue("", "installdir"), std::nullopt);
  EXPECT_EQ(ManifestValue("\"AppState\" \"x\"", "installdir"), std::nullopt);
  EXPECT_EQ(ManifestValue("\"AppState\" {", "installdir"), std::nullopt);
  EXPECT_NE(Unread("/x/state.vdf", {std::nullopt, true}, 64u << 10).find("larger than 64 KiB"), std::string::npos);
}

}  // namespace
}  // namespace steam
