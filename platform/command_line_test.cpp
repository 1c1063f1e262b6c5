#include "platform/command_line.h"

#include <gtest/gtest.h>

namespace platform {
namespace {

TEST(CommandTail, IsWhatFollowsTheProgramsNameAsWindowsSplitsIt) {
  struct Case {
    std::string_view line, tail;
  } const cases[] = {
      // As Steam starts a wrapper: the game's own command, quotes and all.
      {R"("D:\Hollow Voyage\modpaths-launch.exe" "D:\Hollow Voyage\Game.exe" -dx12)",
       R"("D:\Hollow Voyage\Game.exe" -dx12)"},
      {"modpaths-launch.exe \t game.exe  a  \"b c\" ", "game.exe  a  \"b c\" "},
      // A quoted name ends at the next quote, whatever follows it.
      {R"("C:\a b"c d)", "c d"},
      // An unquoted name keeps its quotes, and a backslash is no escape.
      {R"(C:\x"y z)", "z"},
      {R"("C:\tool.exe\" game.exe)", "game.exe"},
      {"modpaths-launch.exe", ""},
      {"\"modpaths-launch.exe", ""},
      {"", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(CommandTail(c.line), c.tail) << c.line;
}

TEST(AppendQuoted, QuotesOnlyWhatNeedsIt) {
  struct Case {
    std::string_view argument, quoted;
  } const cases[] = {
      {"plain", "plain"},
      {"", R"("")"},
      {"a b", R"("a b")"},
      {R"(say "hi")", R"("say \"hi\"")"},
      {R"(C:\folder\)", R"(C:\folder\)"},
      {R"(C:\my folder\)", R"("C:\my folder\\")"},
      {R"(a\\"b)", R"("a\\\\\"b")"},
  };
  for (const Case& c : cases) {
    std::string line;
    AppendQuoted(line, c.argument);
    EXPECT_EQ(line, c.quoted) << c.argument;
  }
}

}  // namespace
}  // namespace platform
