#include "steam/prefix.h"

#include <algorithm>
#include <map>
#include <set>

#include <gtest/gtest.h>

#include "app/paths.h"
#include "fixtures/table_files.h"
#include "steam/library.h"

namespace steam {
namespace {

using testing_support::TableFiles;

TEST(SteamLibrary, IsFoundFromTheLastSteamappsCommonOfAPath) {
  const auto game = SteamGameOf(
      "/run/media/mmcblk0p1/SteamApps/common/Hollow Voyage/HollowVoyage/Binaries/Win64");
  ASSERT_TRUE(game);
  EXPECT_EQ(game->steamapps, "/run/media/mmcblk0p1/SteamApps");
  EXPECT_EQ(game->installDir, "Hollow Voyage");
  EXPECT_FALSE(SteamGameOf("/home/deck/Games/Hollow Voyage/Binaries/Win64"));
  EXPECT_FALSE(SteamGameOf("/home/deck/steamapps/common"));
}

// Which prefix and which user's folder in it each launcher's variables
// lead to: the launcher names the prefix the game runs in, and the game's
// Wine or Proton names the user. "plays" are users with the game's save
// folder, "others" users without.
TEST(WinePrefix, IsTheOneTheLauncherNamesWithTheUserItsWineGives) {
  const std::string lib = "/lib/steamapps", tool = lib + "/common/Hollow Voyage/HV/Binaries/Win64";
  const std::string manifest = lib + "/appmanifest_1234560.acf";
  const std::string good =
      "\"AppState\" { \"appid\" \"1234560\" \"StateFlags\" \"4\" \"installdir\" \"Hollow Voyage\" }";
  // A second library of the Steam below HOME, where Proton may keep the prefix.
  const std::string steam = "/home/deck/.local/share/Steam", card = "/card/steamapps";
  const std::string libraries = steam + "/steamapps/libraryfolders.vdf";
  const std::string listed = "\"libraryfolders\" { \"0\" { \"path\" \"" + steam +
                             "\" } \"1\" { \"path\" \"/lib\" } \"2\" { \"path\" \"/card\" } }";
  struct Row {
    const char* what;
    std::map<std::string, std::string> env;
    std::vector<std::string> plays, others;  // "<prefix>/<user>"
    std::map<std::string, std::string> files;
    std::string savedGames, source;  // "<prefix>/<user>"; empty: none
    std::map<std::string, int64_t> times = {};
  } const rows[] = {
      // clang-format off
      {"Steam's Proton", {{"STEAM_COMPAT_DATA_PATH", "/compat"}}, {"/compat/pfx/steamuser"}, {}, {},
       "/compat/pfx/steamuser", "STEAM_COMPAT_DATA_PATH"},
      {"umu-run: both name the prefix itself",
       {{"STEAM_COMPAT_DATA_PATH", "/umu"}, {"WINEPREFIX", "/umu"}}, {"/umu/steamuser"}, {}, {},
       "/umu/steamuser", "STEAM_COMPAT_DATA_PATH"},
      {"a stray WINEPREFIX beside Proton's, which lacks the game's folder",
       {{"STEAM_COMPAT_DATA_PATH", "/compat"}, {"WINEPREFIX", "/wine"}, {"USER", "alice"}},
       {"/wine/alice"}, {"/compat/pfx/steamuser"}, {}, "/compat/pfx/steamuser",
       "STEAM_COMPAT_DATA_PATH"},
      {"STEAM_COMPAT_DATA_PATH without a prefix yet", {{"STEAM_COMPAT_DATA_PATH", "/compat"},
       {"WINEPREFIX", "/wine"}}, {"/wine/steamuser"}, {}, {}, "", "STEAM_COMPAT_DATA_PATH"},
      {"Lutris: the Linux user's folder", {{"WINEPREFIX", "/wine"}, {"USER", "alice"}},
       {"/wine/alice"}, {"/wine/Public"}, {}, "/wine/alice", "WINEPREFIX"},
      {"a prefix once Proton's: the user's own folder before steamuser",
       {{"WINEPREFIX", "/wine"}, {"USER", "s\xC3\xB8ren"}}, {"/wine/steamuser"},
       {"/wine/s\xC3\xB8ren"}, {}, "/wine/s\xC3\xB8ren", "WINEPREFIX"},
      {"steamuser when the user has no folder", {{"WINEPREFIX", "/wine"}, {"USER", "alice"}},
       {"/wine/steamuser"}, {}, {}, "/wine/steamuser", "WINEPREFIX"},
      {"LOGNAME, before the game made its folder", {{"WINEPREFIX", "/wine"}, {"LOGNAME", "bob"}},
       {}, {"/wine/bob", "/wine/Public"}, {}, "/wine/bob", "WINEPREFIX"},
      {"the only player, Public skipped", {{"WINEPREFIX", "/wine"}, {"USER", "deck"}},
       {"/wine/Public", "/wine/carol"}, {}, {}, "/wine/carol", "WINEPREFIX"},
      {"no prefix there", {{"WINEPREFIX", "/nowhere"}}, {}, {}, {}, "", "WINEPREFIX"},
      {"by hand: the manifest names the game", {}, {lib + "/compatdata/1234560/pfx/steamuser"},
       {}, {{manifest, good}}, lib + "/compatdata/1234560/pfx/steamuser", "the Steam library"},
      {"by hand: another game's manifest cut short is skipped", {},
       {lib + "/compatdata/1234560/pfx/steamuser"}, {},
       {{lib + "/appmanifest_99.acf", "\"AppState\"\n{\n\t\"appid\"\t\"99\"\n\t\"name\"\t\"cut"},
        {lib + "/appmanifest_98.acf", "\"AppState\" { \"installdir\" \"x\\"}, {manifest, good}},
       lib + "/compatdata/1234560/pfx/steamuser", "the Steam library"},
      {"by hand: no manifest names the game", {}, {lib + "/compatdata/1234560/pfx/steamuser"}, {},
       {{manifest, "\"AppState\" { \"appid\" \"1234560\" \"StateFlags\" \"4\" \"installdir\" \"Other\" }"}},
       "", ""},
      {"by hand: a damaged manifest claiming the game's folder with another id is no game's", {},
       {lib + "/compatdata/1234560/pfx/steamuser", lib + "/compatdata/92/pfx/steamuser"}, {},
       {{lib + "/appmanifest_92.acf", "\"AppState\" { \"appid\" \"" + std::string(400, '9') +
         "\" \"StateFlags\" \"4\" \"installdir\" \"Hollow Voyage\" }"}, {manifest, good}},
       lib + "/compatdata/1234560/pfx/steamuser", "the Steam library"},
      {"by hand: an uninstalled manifest gives no app id", {}, {lib + "/compatdata/1234560/pfx/steamuser"}, {},
       {{manifest, "\"AppState\" { \"appid\" \"1234560\" \"StateFlags\" \"1\" \"installdir\" \"Hollow Voyage\" }"}},
       "", ""},
      {"by hand: the prefix Proton locked last, in another library", {{"HOME", "/home/deck"}},
       {lib + "/compatdata/1234560/pfx/steamuser", card + "/compatdata/1234560/pfx/steamuser"}, {},
       {{manifest, good}, {libraries, listed}, {lib + "/compatdata/1234560/pfx.lock", ""},
        {card + "/compatdata/1234560/pfx.lock", ""}},
       card + "/compatdata/1234560/pfx/steamuser", "the Steam library",
       {{lib + "/compatdata/1234560/pfx.lock", 100}, {card + "/compatdata/1234560/pfx.lock", 200}}},
      {"by hand: the game's own library first when no prefix is locked", {{"HOME", "/home/deck"}, {"SteamAppId", ""}},
       {lib + "/compatdata/1234560/pfx/steamuser", card + "/compatdata/1234560/pfx/steamuser"}, {},
       {{manifest, good}, {libraries, listed}}, lib + "/compatdata/1234560/pfx/steamuser", "the Steam library"},
      {"a login name no folder can have, and a path's trailing slashes",
       {{"WINEPREFIX", "/wine//"}, {"USER", "a/b"}, {"LOGNAME", ""}}, {"/wine/steamuser"}, {}, {},
       "/wine/steamuser", "WINEPREFIX"},
      {"two players: no one's is the only one", {{"WINEPREFIX", "/wine"}, {"USER", "deck"}},
       {"/wine/carol", "/wine/dave"}, {}, {{"/wine/drive_c/users/notes.txt", ""}}, "/wine/deck", "WINEPREFIX"},
      // clang-format on
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    auto users = [](const std::string& user) {
      const size_t slash = user.rfind('/');
      return user.substr(0, slash) + "/drive_c/users" + user.substr(slash);
    };
    std::vector<std::string> folders;
    for (const std::string& user : row.plays)
      folders.push_back(users(user) + "/Saved Games/Corvane/HollowVoyage");
    for (const std::string& user : row.others) folders.push_back(users(user));
    std::vector<std::string> withSteam = folders;
    withSteam.push_back(steam + "/steamapps");
    const TableFiles files(withSteam, row.files, row.times);
    const SavedGamesLookup found = PrefixSavedGames(
        tool,
        [&](const std::string& name) {
          const auto value = row.env.find(name);
          return value == row.env.end() ? std::nullopt : std::optional<std::string>(value->second);
        },
        files);
    EXPECT_EQ(found.source, row.source);
    if (row.savedGames.empty()) {
      EXPECT_FALSE(found.folder) << *found.folder;
      EXPECT_NE(found.why, "");
    } else {
      EXPECT_EQ(found.folder, users(row.savedGames) + "/Saved Games") << found.why;
    }
  }
}

}  // namespace
}  // namespace steam
