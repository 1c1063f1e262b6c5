#include "launch/steam.h"

#include <map>

#include <gtest/gtest.h>

#include "fixtures/test_files.h"

namespace launch {
namespace {

TEST(SteamManifest, GivesTheTopBlocksValueOfAKeyInAnyCase) {
  const std::string_view manifest = R"("AppState"
{
	"appid"		"1234560"
	// Steam writes no comments, but the format has them
	"InstallDir"		"Hollow \"Voyage\""
	"UserConfig"
	{
		"installdir"		"not this one"
	}
	bare	word
})";
  EXPECT_EQ(ManifestValue(manifest, "installdir"), "Hollow \"Voyage\"");
  EXPECT_EQ(ManifestValue(manifest, "APPID"), "1234560");
  EXPECT_EQ(ManifestValue(manifest, "bare"), "word");
  EXPECT_EQ(ManifestValue(manifest, "language"), std::nullopt);
  EXPECT_EQ(ManifestValue("\"AppState\" { \"installdir\"", "installdir"), std::nullopt);
}

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
// lead to. A prefix's users are folders below <prefix>/drive_c/users; a
// user "plays" when the game's own save folder is in theirs.
TEST(WinePrefix, IsTakenFromTheLaunchersVariablesWithTheUserWhoPlays) {
  using testing_support::MakeFolders;
  struct Row {
    const char* what;
    std::map<std::string, std::string> env;  // values below the temporary folder
    std::vector<std::string> plays, others;  // "<prefix>/<user>"
    std::string savedGames, source;          // "<prefix>/<user>", or empty for none
  } const rows[] = {
      // clang-format off
      {"Steam's Proton", {{"STEAM_COMPAT_DATA_PATH", "compat"}}, {"compat/pfx/steamuser"}, {},
       "compat/pfx/steamuser", "STEAM_COMPAT_DATA_PATH"},
      {"umu-run: both name the prefix itself",
       {{"STEAM_COMPAT_DATA_PATH", "umu"}, {"WINEPREFIX", "umu"}}, {"umu/steamuser"}, {},
       "umu/steamuser", "STEAM_COMPAT_DATA_PATH"},
      {"Lutris: the Linux user's folder", {{"WINEPREFIX", "wine"}, {"USER", "alice"}},
       {"wine/alice"}, {"wine/Public"}, "wine/alice", "WINEPREFIX"},
      {"steamuser first", {{"WINEPREFIX", "wine"}, {"USER", "alice"}},
       {"wine/alice", "wine/steamuser"}, {}, "wine/steamuser", "WINEPREFIX"},
      {"LOGNAME, before the game made its folder", {{"WINEPREFIX", "wine"}, {"LOGNAME", "bob"}},
       {}, {"wine/bob", "wine/Public"}, "wine/bob", "WINEPREFIX"},
      {"the only player, Public skipped", {{"WINEPREFIX", "wine"}, {"USER", "deck"}},
       {"wine/Public", "wine/carol"}, {}, "wine/carol", "WINEPREFIX"},
      {"the prefix that holds the saves, not the first named",
       {{"STEAM_COMPAT_DATA_PATH", "compat"}, {"WINEPREFIX", "wine"}, {"USER", "alice"}},
       {"wine/alice"}, {"compat/pfx/steamuser"}, "wine/alice", "WINEPREFIX"},
      {"no prefix there", {{"WINEPREFIX", "nowhere"}}, {}, {}, "", ""},
      // clang-format on
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    testing_support::TempDir root;
    auto users = [&](const std::string& user) {
      const size_t slash = user.rfind('/');
      return root / (user.substr(0, slash) + "/drive_c/users" + user.substr(slash));
    };
    for (const std::string& user : row.plays)
      MakeFolders(users(user) + "/Saved Games/Corvane/HollowVoyage");
    for (const std::string& user : row.others) MakeFolders(users(user));
    const SavedGamesLookup found =
        PrefixSavedGames(root / "Game/Binaries/Win64", [&](const std::string& name) {
          const auto value = row.env.find(name);
          if (value == row.env.end()) return std::optional<std::string>();
          return std::optional<std::string>(
              name == "USER" || name == "LOGNAME" ? value->second : root / value->second);
        });
    if (row.savedGames.empty()) {
      EXPECT_FALSE(found.folder);
      EXPECT_NE(found.why, "");
    } else {
      EXPECT_EQ(found.folder, users(row.savedGames) + "/Saved Games");
      EXPECT_EQ(found.source, row.source);
    }
  }
}

}  // namespace
}  // namespace launch
