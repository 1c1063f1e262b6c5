#include "steam/launch_options.h"

#include <gtest/gtest.h>

namespace steam {
namespace {

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

// Each way the game's launch options can stand, and what the wrapper makes
// of them: only the value's bytes change, or the one line or block added.
TEST(LaunchOptions, PutTheWrapperBeforeTheGameAndChangeNothingElse) {
  const std::string word = WrapperWord("/home/deck/.local/share/modpaths/modpaths-launch", true);
  const std::string quotedWord = "\\\"/home/deck/.local/share/modpaths/modpaths-launch\\\"";
  struct Row {
    const char* what;
    std::string before, after;
    bool changed;
  } const rows[] = {
      // clang-format off
      {"with %command%", Config(Game(Options("\"PROTON_LOG=1 %command% -dx11\""))),
       Config(Game(Options("\"PROTON_LOG=1 " + quotedWord + " %command% -dx11\""))), true},
      {"without %command%", Config(Game(Options("\"-dx11 -windowed\""))),
       Config(Game(Options("\"" + quotedWord + " %command% -dx11 -windowed\""))), true},
      {"no key", Config(Game("")), Config(Game(Options("\"" + quotedWord + " %command%\""))), true},
      {"no game block", Config(""), Config("\t\t\t\t\t\"1234560\"\n\t\t\t\t\t{\n" +
       Options("\"" + quotedWord + " %command%\"") + "\t\t\t\t\t}\n"), true},
      {"already set", Config(Game(Options("\"" + quotedWord + " %command%\""))),
       Config(Game(Options("\"" + quotedWord + " %command%\""))), false},
      {"an older wrapper's path", Config(Game(Options(
       "\"\\\"/run/media/x/steamapps/common/Hollow Voyage/HollowVoyage/Binaries/Win64/modpaths-launch\\\" %command%\""))),
       Config(Game(Options("\"" + quotedWord + " %command%\""))), true},
      {"keys in other case", Config(Game(Options("\"%command%\"")), "\"software\""),
       Config(Game(Options("\"" + quotedWord + " %command%\"")), "\"software\""), true},
      // clang-format on
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    const LaunchOptionsEdit edit = AddWrapper(row.before, "1234560", word);
    EXPECT_EQ(edit.problem, "");
    EXPECT_EQ(edit.text, row.after);
    EXPECT_EQ(edit.changed, row.changed);
    std::string why;
    EXPECT_EQ(LaunchOptionsOf(edit.text, "1234560", &why), edit.after) << why;
    // And back as it stood; a block added stays, empty.
    const std::string back = PutBack(edit.text, "1234560", edit.before).text;
    if (row.before.find("\"1234560\"\n\t\t\t\t\t{") != std::string::npos) {
      EXPECT_EQ(back, row.before);
    } else {
      EXPECT_EQ(LaunchOptionsOf(back, "1234560", &why), std::nullopt);
    }
  }
  // Refused, the file as it was: a value with a line break, a file cut short.
  for (const std::string& refused :
       {Config(Game(Options("\"a\\nb\""))), Config(Game("")).substr(0, 80),
        std::string("\"UserLocalConfigStore\" { \"apps\" { } }")}) {
    const LaunchOptionsEdit edit = AddWrapper(refused, "1234560", word);
    EXPECT_NE(edit.problem, "");
    EXPECT_EQ(edit.text, refused);
  }
  EXPECT_EQ(WrapperWord("C:\\Users\\A\\modpaths-launch.exe", false), "\"C:\\Users\\A\\modpaths-launch.exe\"");
}

}  // namespace
}  // namespace steam
