#include "steam/launch_options.h"

#include <gtest/gtest.h>

#include "fixtures/test_files.h"

namespace steam {
namespace {

using platform::WordRule;

// localconfig.vdf as Steam writes it, with the game's block written in.
std::string Config(const std::string& game, const std::string& keys = "\"Software\"") {
  return "\"UserLocalConfigStore\"\n{\n\t\"apps\"\n\t{\n\t\t\"1234560\"\n\t\t{\n\t\t\t\"cloud\"\t\t\"1\"\n"
         "\t\t}\n\t}\n\t" + keys + "\n\t{\n\t\t\"valve\"\n\t\t{\n\t\t\t\"Steam\"\n\t\t\t{\n"
         "\t\t\t\t\"Other\"\t\t\"say \\\"hi\\\" C:\\\\x\\\\\"\n\t\t\t\t\"Apps\"\n\t\t\t\t{\n" + game +
         "\t\t\t\t}\n\t\t\t}\n\t\t}\n\t}\n}\n";
}

std::string Game(const std::string& inside) {
  return "\t\t\t\t\t\"1234560\"\n\t\t\t\t\t{\n\t\t\t\t\t\t\"LastPlayed\"\t\t\"1\"\n" + inside +
         "\t\t\t\t\t}\n";
}

std::string Options(const std::string& quoted) {
  return "\t\t\t\t\t\t\"LaunchOptions\"\t\t" + quoted + "\n";
}

using testing_support::WithCrlf;

const std::string kCopy = "/home/deck/.local/share/modpaths/modpaths-launch";
const std::string kWord = "\"" + kCopy + "\"";

// What the wrapper makes of each launch option players write, and what
// taking it out again leaves, by the shell's rule and by Windows'.
TEST(LaunchOptions, TheWrapperGoesInAsOneWordBeforeTheGameAndComesOutAlone) {
  const std::string win = "C:\\Users\\A\\AppData\\Local\\modpaths\\modpaths-launch.exe";
  struct Row {
    WordRule rule;
    std::string before, after;  // after: empty when refused
    std::string out;            // WithoutWrapper(after), %command% added when before had none
  } const rows[] = {
      // clang-format off
      {WordRule::Shell, "", kWord + " %command%", ""},
      {WordRule::Shell, "PROTON_LOG=1 %command% -dx11", "PROTON_LOG=1 " + kWord + " %command% -dx11",
       "PROTON_LOG=1 %command% -dx11"},
      {WordRule::Shell, "-dx11 -windowed", kWord + " %command% -dx11 -windowed", "-dx11 -windowed"},
      {WordRule::Shell, R"(WINEDLLOVERRIDES="dwmapi=n,b" %command%)",
       R"(WINEDLLOVERRIDES="dwmapi=n,b" )" + kWord + " %command%", R"(WINEDLLOVERRIDES="dwmapi=n,b" %command%)"},
      // Older wrappers, as tab completion, quotes or $HOME write them.
      {WordRule::Shell, R"(/games/Hollow\ Voyage/HollowVoyage/Binaries/Win64/modpaths-launch %command%)",
       kWord + " %command%", "%command%"},
      {WordRule::Shell, "gamemoderun '/games/Hollow Voyage/modpaths-launch' %command%",
       "gamemoderun " + kWord + " %command%", "gamemoderun %command%"},
      {WordRule::Shell, R"("$HOME/x/modpaths-launch" "/y/modpaths-launch" %command%)", kWord + " %command%",
       "%command%"},
      // A game argument that ends in modpaths-launch is the game's.
      {WordRule::Shell, "%command% -log=/tmp/modpaths-launch", kWord + " %command% -log=/tmp/modpaths-launch",
       "%command% -log=/tmp/modpaths-launch"},
      {WordRule::Shell, "\t-dx11", kWord + " %command% -dx11", "-dx11"},
      {WordRule::Shell, " -dx11", kWord + " %command% -dx11", "-dx11"},
      {WordRule::Shell, kWord + " %command%", kWord + " %command%", "%command%"},
      // Words that cannot be told apart exactly: nothing changes.
      {WordRule::Shell, "\"/y/modpaths-launch %command%", "", ""},
      {WordRule::Shell, "sh -c \"/y/modpaths-launch %command%\"", "", ""},
      {WordRule::Windows, "%command% -dx11", "\"" + win + "\" %command% -dx11", "%command% -dx11"},
      {WordRule::Windows, R"("D:\Games\Hollow Voyage\HollowVoyage\Binaries\Win64\modpaths-launch.exe" %command%)",
       "\"" + win + "\" %command%", "%command%"},
      // clang-format on
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.before);
    const std::string copy = row.rule == WordRule::Shell ? kCopy : win;
    const Splice in = WithWrapper(row.before, copy, row.rule);
    EXPECT_EQ(in.value, row.after);
    EXPECT_EQ(in.problem.empty(), !row.after.empty()) << in.problem;
    if (row.after.empty()) continue;
    const bool added = !ReadLaunchOption(row.before, row.rule).command;
    EXPECT_EQ(WithoutWrapper(in.value, copy, row.rule, added).value, row.out);
  }
  // A copy that is no wrapper of ours, or whose path would not stay one
  // word, is refused; so is a value whose words cannot be told apart.
  EXPECT_NE(WithWrapper("%command%", "/x/other-launcher", WordRule::Shell).problem, "");
  EXPECT_NE(WithWrapper("%command%", "/x/%command%/modpaths-launch", WordRule::Shell).problem, "");
  EXPECT_NE(WithoutWrapper("'open %command%", kCopy, WordRule::Shell, false).problem, "");
  EXPECT_EQ(WithoutWrapper("\"$HOME/modpaths-launch\" %command%", kCopy, WordRule::Shell, false).value,
            "\"$HOME/modpaths-launch\" %command%");
  // Lutris' command prefix: the wrapper first, every word before the game.
  EXPECT_EQ(PrefixWithWrapper("gamemoderun \"/old/modpaths-launch\"", kCopy).value, kWord + " gamemoderun");
  EXPECT_EQ(PrefixWithWrapper("", kCopy).value, kWord);
  EXPECT_EQ(PrefixWithoutWrapper(kWord + " gamemoderun", kCopy).value, "gamemoderun");
  EXPECT_EQ(PrefixWithoutWrapper("gamemoderun\t" + kWord + "\t", kCopy).value, "gamemoderun");
  EXPECT_EQ(WithoutWrapper(kWord + "\t%command%", kCopy, WordRule::Shell, false).value, "%command%");
  for (const char* refused : {"gamemoderun; x", "'open", "a && b"}) {
    EXPECT_NE(PrefixWithWrapper(refused, kCopy).problem, "") << refused;
    EXPECT_NE(PrefixWithoutWrapper(refused, kCopy).problem, "") << refused;
  }
  EXPECT_NE(PrefixWithWrapper("x", "/x/other-launcher").problem, "");
  // Another wrapper of ours, put in by hand since, stays when setup's goes.
  EXPECT_EQ(WithoutWrapper("\"/y/modpaths-launch\" " + kWord + " %command%", kCopy, WordRule::Shell, false).value,
            "\"/y/modpaths-launch\" %command%");
}

// The file around the value: only the value's bytes change, or the lines
// added, in the file's own line ends; taken out, the key's line goes whole.
TEST(LaunchOptions, OnlyTheValueOrTheLinesAddedChangeInTheFile) {
  const std::string quoted = "\"\\\"" + kCopy + "\\\" %command%\"";
  struct Row {
    const char* what;
    std::string before, after;
  } const rows[] = {
      // clang-format off
      {"a value", Config(Game(Options("\"%command%\""))), Config(Game(Options(quoted)))},
      {"no key", Config(Game("")), Config(Game(Options(quoted)))},
      {"no game block", Config(""), Config("\t\t\t\t\t\"1234560\"\n\t\t\t\t\t{\n" + Options(quoted) + "\t\t\t\t\t}\n")},
      {"keys in other case", Config(Game(Options("\"%command%\"")), "\"software\""),
       Config(Game(Options(quoted)), "\"software\"")},
      {"CRLF", WithCrlf(Config(Game(""))), WithCrlf(Config(Game(Options(quoted))))},
      {"a byte-order mark", "\xEF\xBB\xBF" + Config(Game("")), "\xEF\xBB\xBF" + Config(Game(Options(quoted)))},
      {"a block on one line",
       "\"UserLocalConfigStore\" { \"Software\" { \"Valve\" { \"Steam\" { \"apps\" { \"1234560\" { \"a\" \"1\" } } } } } }",
       "\"UserLocalConfigStore\" { \"Software\" { \"Valve\" { \"Steam\" { \"apps\" { \"1234560\" { \"a\" \"1\" "
       "\"LaunchOptions\"\t\t" + quoted + " } } } } } }"},
      {"no Software block at all",
       "\"UserLocalConfigStore\"\r\n{\r\n\t\"friends\"\t\t\"1\"\r\n}\r\n",
       "\"UserLocalConfigStore\"\r\n{\r\n\t\"friends\"\t\t\"1\"\r\n\t\"Software\"\r\n\t{\r\n\t\t\"Valve\"\r\n\t\t{\r\n"
       "\t\t\t\"Steam\"\r\n\t\t\t{\r\n\t\t\t\t\"apps\"\r\n\t\t\t\t{\r\n\t\t\t\t\t\"1234560\"\r\n\t\t\t\t\t{\r\n"
       "\t\t\t\t\t\t\"LaunchOptions\"\t\t" + quoted + "\r\n\t\t\t\t\t}\r\n\t\t\t\t}\r\n\t\t\t}\r\n\t\t}\r\n\t}\r\n}\r\n"},
      // clang-format on
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    const LaunchOptionsPlace place = FindLaunchOptions(row.before, "1234560");
    const std::string value = WithWrapper(place.value.value_or(""), kCopy, WordRule::Shell).value;
    const LaunchOptionsEdit edit = SetLaunchOptions(row.before, "1234560", value);
    EXPECT_EQ(edit.problem, "");
    EXPECT_EQ(edit.text, row.after);
    EXPECT_EQ(FindLaunchOptions(edit.text, "1234560").value, value);
    if (!place.value) {
      // The key taken out again: the line as if never there.
      const std::string back = SetLaunchOptions(edit.text, "1234560", std::nullopt).text;
      EXPECT_EQ(FindLaunchOptions(back, "1234560").value, std::nullopt);
      if (place.gameBlock) {
        EXPECT_EQ(back, row.before);
      }
    }
  }
  // Refused, the file as it was: a file cut short, none of Steam's, one
  // whose blocks are strings, a value with a line break.
  for (const std::string& refused :
       {Config(Game("")).substr(0, 80), std::string("\"apps\" { }"), std::string("\"UserLocalConfigStore\" \"x\""),
        std::string("\"UserLocalConfigStore\" { \"Software\" \"x\" }"), Config("\t\t\t\t\t\"1234560\" \"x\"\n"),
        Config(Game("\t\t\t\t\t\t\"LaunchOptions\" { }\n"))}) {
    const LaunchOptionsEdit edit = SetLaunchOptions(refused, "1234560", "x");
    EXPECT_NE(edit.problem, "");
    EXPECT_EQ(edit.text, refused);
  }
  EXPECT_NE(SetLaunchOptions(Config(Game("")), "1234560", "a\nb").problem, "");
  EXPECT_NE(SetLaunchOptions(Config(Game("")), "1234560", "a\x7F").problem, "");
  EXPECT_NE(SetLaunchOptions(Config(Game(Options("\"\t\t\""))), "1234560", "x").problem, "")
      << "a value that could not be put back";
  // Taking out a key that is not there changes nothing; one with blanks
  // after it goes with its line.
  EXPECT_EQ(SetLaunchOptions(Config(Game("")), "1234560", std::nullopt).text, Config(Game("")));
  EXPECT_EQ(SetLaunchOptions(Config(Game(Options("\"x\"  \t"))), "1234560", std::nullopt).text, Config(Game("")));
  EXPECT_TRUE(AppsRunning("\"UserLocalConfigStore\" { }", kCopy, WordRule::Shell).empty());
  EXPECT_TRUE(AppsRunning("cut {", kCopy, WordRule::Shell).empty());
  // A key that shares its line goes alone, with the blank before it.
  EXPECT_EQ(SetLaunchOptions("\"UserLocalConfigStore\" { \"Software\" { \"Valve\" { \"Steam\" { \"apps\" { "
                             "\"1234560\" { \"a\" \"1\" \"LaunchOptions\" \"x\" } } } } } }",
                             "1234560", std::nullopt).text,
            "\"UserLocalConfigStore\" { \"Software\" { \"Valve\" { \"Steam\" { \"apps\" { \"1234560\" { \"a\" \"1\" } } "
            "} } } }");
  EXPECT_EQ(AppsRunning(Config(Game(Options(quoted))), kCopy, WordRule::Shell),
            std::vector<std::string>{"1234560"});
  EXPECT_EQ(WrapperWord("C:\\Users\\A\\modpaths-launch.exe", WordRule::Windows),
            "\"C:\\Users\\A\\modpaths-launch.exe\"");
}

}  // namespace
}  // namespace steam
