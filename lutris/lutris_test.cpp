#include "lutris/lutris.h"

#include <gtest/gtest.h>

#include "fixtures/table_files.h"
#include "fixtures/test_files.h"
#include "steam/launch_options.h"

namespace lutris {
namespace {

const std::string kCopy = "/home/deck/.local/share/modpaths/modpaths-launch";
const std::string kGame = "game:\n  exe: /home/deck/Games/hv/drive_c/HV/HollowVoyage.exe\n  prefix: /home/deck/Games/hv\n";
const std::string kWine = "wine:\n  version: lutris-GE-Proton8-26-x86_64\n";

using testing_support::WithCrlf;

// Each shape of a game's yml as Lutris writes it, and the command prefix
// with the wrapper first: that one line changes, or is added in Lutris'
// order of keys, and every other line stays.
TEST(LutrisSettings, TheWrapperGoesFirstInTheCommandPrefixAndNothingElseChanges) {
  const std::string quoted = "'\"" + kCopy + "\"";
  struct Row {
    const char* what;
    std::string before, after;
  } const rows[] = {
      // clang-format off
      {"a prefix command", kGame + "system:\n  prefix_command: gamemoderun\n" + kWine,
       kGame + "system:\n  prefix_command: " + quoted + " gamemoderun'\n" + kWine},
      {"system: without one", kGame + "system:\n  env:\n    DXVK_HUD: fps\n  pulse_latency: true\n" + kWine,
       kGame + "system:\n  env:\n    DXVK_HUD: fps\n  prefix_command: " + quoted + "'\n  pulse_latency: true\n" + kWine},
      {"no system: at all", kGame + kWine, kGame + "system:\n  prefix_command: " + quoted + "'\n" + kWine},
      {"system: last", kGame, kGame + "system:\n  prefix_command: " + quoted + "'\n"},
      {"a long prefix folded over lines",
       kGame + "system:\n  prefix_command: env FOO=1\n    gamemoderun\n  restore_gamma: true\n" + kWine,
       kGame + "system:\n  prefix_command: " + quoted + " env FOO=1 gamemoderun'\n  restore_gamma: true\n" + kWine},
      {"CRLF", WithCrlf(kGame + "system:\n  prefix_command: gamemoderun\n"),
       WithCrlf(kGame + "system:\n  prefix_command: " + quoted + " gamemoderun'\n")},
      {"an older wrapper replaced", kGame + "system:\n  prefix_command: '\"/g/Binaries/Win64/modpaths-launch\" mangohud'\n",
       kGame + "system:\n  prefix_command: " + quoted + " mangohud'\n"},
      // clang-format on
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    const PrefixCommand before = PrefixCommandOf(row.before);
    ASSERT_EQ(before.problem, "");
    const steam::Splice splice = steam::PrefixWithWrapper(before.value.value_or(""), kCopy);
    ASSERT_EQ(splice.problem, "");
    const Edit edit = SetPrefixCommand(row.before, splice.value);
    EXPECT_EQ(edit.problem, "");
    EXPECT_EQ(edit.text, row.after);
    EXPECT_EQ(PrefixCommandOf(edit.text).value, splice.value);
    // Taken out again; the key, and a section it alone was in, go when
    // there was none.
    const std::string out = steam::PrefixWithoutWrapper(splice.value, kCopy).value;
    const Edit back = SetPrefixCommand(edit.text, out.empty() ? std::nullopt : std::optional<std::string>(out));
    EXPECT_EQ(back.problem, "");
    EXPECT_EQ(PrefixCommandOf(back.text).value, out.empty() ? std::nullopt : std::optional<std::string>(out));
    if (!before.value) {
      EXPECT_EQ(back.text, row.before);
    }
  }
  // Settings Lutris would not write, or cannot read: refused.
  for (const std::string& refused : {std::string("system: {prefix_command: y}\n"), std::string("- a\n- b\n"),
                                     std::string("game: [\n"), std::string("system: 3\n")}) {
    EXPECT_NE(SetPrefixCommand(refused, "x").problem, "") << refused;
  }
  EXPECT_EQ(SetPrefixCommand("", "x").text, "system:\n  prefix_command: 'x'\n");
  const std::string plain = kGame + "system:\n  prefix_command: gamemoderun\n";
  EXPECT_EQ(SetPrefixCommand(plain, "gamemoderun").text, plain) << "the same value, the same bytes";
}

// The games of a Lutris, from its database or, without one, from its ymls.
TEST(LutrisSettings, FindsTheGameItsSettingsRun) {
  const std::string home = "/home/deck", settings = home + "/.config/lutris";
  const std::string tools = "/home/deck/Games/hv/drive_c/HV/HollowVoyage/Binaries/Win64";
  const testing_support::TableFiles files(
      {settings, home + "/.local/share/lutris"},
      {{settings + "/games/hollow-voyage-1.yml", kGame},
       {settings + "/games/other-2.yml", "game:\n  exe: /x/Other.exe\n"},
       {settings + "/games/relative-3.yml", "game:\n  exe: drive_c/HV/HollowVoyage.exe\n"},
       {settings + "/games/damaged-4.yml", "game: [\n"},
       {tools + "/SourceSave.sav", ""}});
  const std::vector<Lutris> found = FindLutris(home, files);
  ASSERT_EQ(found.size(), 1u);
  EXPECT_EQ(found.front().database, home + "/.local/share/lutris/pga.db");
  auto names = [](const std::vector<Game>& games) {
    std::vector<std::string> said;
    for (const Game& game : games) said.push_back(game.name + "=" + game.toolFolder);
    return said;
  };
  EXPECT_EQ(names(FindGames(found.front(), std::nullopt, files)),
            std::vector<std::string>{"hollow-voyage-1=" + tools});
  const std::vector<DatabaseGame> database{
      {"Hollow Voyage", "hollow-voyage", "wine", "/home/deck/Games/hv", "hollow-voyage-1", true},
      {"Relative", "relative", "wine", "/home/deck/Games/hv", "relative-3", true},
      {"Uninstalled", "other", "wine", "", "other-2", false},
      {"Escaping", "x", "wine", "", "../../x", true}};
  EXPECT_EQ(names(FindGames(found.front(), database, files)),
            (std::vector<std::string>{"Hollow Voyage=" + tools, "Relative=" + tools}));
  platform::ProcessEntry python{7, true, false, "/usr/bin/python3.11", {"/usr/bin/python3", "-s", "/usr/bin/lutris"}};
  EXPECT_TRUE(IsLutrisProcess(python));
  python.arguments = {"/usr/bin/python3", "/usr/bin/other"};
  EXPECT_FALSE(IsLutrisProcess(python));
}

}  // namespace
}  // namespace lutris
