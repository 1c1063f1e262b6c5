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

// What a program gets of a launch option as Steam hands it over: the
// shell's words on Linux, a command line's on Windows.
TEST(SplitWords, GivesTheWordsTheShellOrWindowsGives) {
  struct Case {
    WordRule rule;
    std::string_view line;
    std::vector<std::string> words;  // texts; operators as they stand
    std::string_view problem = "";   // the start of the problem, when there is one
  } const cases[] = {
      // clang-format off
      {WordRule::Shell, R"(/games/Hollow\ Voyage/modpaths-launch %command%)",
       {"/games/Hollow Voyage/modpaths-launch", "%command%"}},
      {WordRule::Shell, "'/games/Hollow Voyage/modpaths-launch' %command% -dx11",
       {"/games/Hollow Voyage/modpaths-launch", "%command%", "-dx11"}},
      {WordRule::Shell, R"(WINEDLLOVERRIDES="dwmapi=n,b" %command%)",
       {"WINEDLLOVERRIDES=dwmapi=n,b", "%command%"}},
      {WordRule::Shell, R"("a \"b\" \$c \\ \x" d''e "" )", {R"(a "b" $c \ \x)", "de", ""}},
      {WordRule::Shell, "gamemoderun %command%; echo done # the rest\n-x",
       {"gamemoderun", "%command%", ";", "echo", "done", "\n", "-x"}},
      {WordRule::Shell, R"(FOO=$(printf "a b") %command% && x)", {R"(FOO=$(printf "a b"))", "%command%", "&&", "x"}},
      {WordRule::Shell, "\"unclosed %command%", {}, "a double quote"},
      {WordRule::Shell, "'unclosed %command%", {}, "a single quote"},
      {WordRule::Shell, "$(echo %command%", {}, "a $("},
      {WordRule::Windows, R"("C:\Program Files\modpaths-launch.exe" %command% -dx11)",
       {R"(C:\Program Files\modpaths-launch.exe)", "%command%", "-dx11"}},
      {WordRule::Windows, R"(C:\x\a.exe "b c" d\"e "f\\" "g""h" i\\j)",
       {R"(C:\x\a.exe)", "b c", R"(d"e)", R"(f\)", R"(g"h)", R"(i\\j)"}},
      {WordRule::Windows, R"("C:\tool\" "open)", {R"(C:\tool\)", "open"}},
      // clang-format on
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    const SplitLine split = SplitWords(c.line, c.rule);
    if (!c.problem.empty()) {
      EXPECT_EQ(split.problem.substr(0, c.problem.size()), c.problem);
      continue;
    }
    EXPECT_EQ(split.problem, "");
    std::vector<std::string> texts;
    for (const Word& word : split.words) {
      texts.push_back(word.text);
      // Each word's bytes alone split as the same word.
      const std::string_view alone = c.line.substr(word.begin, word.end - word.begin);
      if (word.isOperator || word.begin == 0) continue;
      EXPECT_EQ(SplitWords("x " + std::string(alone), c.rule).words.at(1).text, word.text) << alone;
    }
    EXPECT_EQ(texts, c.words);
  }
  // What the shell would change is marked, and nothing else.
  const SplitLine marks = SplitWords(R"("$HOME/m" ~/m '$x' \$y a*b "$" /p)", WordRule::Shell);
  std::vector<bool> expands;
  for (const Word& word : marks.words) expands.push_back(word.expands);
  EXPECT_EQ(expands, (std::vector<bool>{true, true, false, false, true, false, false}));
}

TEST(QuotedWord, SplitsBackIntoTheSameWord) {
  for (const std::string_view text :
       {"/home/deck/Hollow Voyage/modpaths-launch", R"(a "b" $c `d` \e\)", "", "it's"}) {
    const SplitLine shell = SplitWords(QuotedWord(text, WordRule::Shell) + " %command%", WordRule::Shell);
    ASSERT_EQ(shell.words.size(), 2u) << text;
    EXPECT_EQ(shell.words[0].text, text);
    EXPECT_FALSE(shell.words[0].expands);
    const SplitLine windows =
        SplitWords("p.exe " + QuotedWord(text, WordRule::Windows), WordRule::Windows);
    ASSERT_EQ(windows.words.size(), 2u) << text;
    EXPECT_EQ(windows.words[1].text, text);
  }
  EXPECT_EQ(QuotedWord(R"(C:\Users\A\modpaths-launch.exe)", WordRule::Windows, true),
            R"("C:\Users\A\modpaths-launch.exe")");
}

}  // namespace
}  // namespace platform
