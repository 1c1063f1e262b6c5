#include "heroic/heroic.h"

#include <gtest/gtest.h>

#include "fixtures/table_files.h"

namespace heroic {
namespace {

const std::string kCopy = "/home/deck/.local/share/modpaths/modpaths-launch";

// A game's settings as Heroic writes them: JSON.stringify(config, null, 2).
std::string Settings(const std::string& game, const std::string& version = "\"v0\"",
                     const std::string& explicit_ = "true") {
  return "{\n  \"Crab\": {\n" + game + "  },\n  \"version\": " + version + ",\n  \"explicit\": " + explicit_ + "\n}";
}

std::string Entry(const std::string& exe, const std::string& args = "") {
  return "      {\n        \"exe\": \"" + exe + "\",\n        \"args\": \"" + args + "\"\n      }";
}

std::string Wrappers(const std::vector<std::string>& entries) {
  std::string list = "    \"wrapperOptions\": [";
  for (size_t i = 0; i < entries.size(); ++i) list += (i ? ",\n" : "\n") + entries[i];
  return list + (entries.empty() ? "]\n" : "\n    ]\n");
}

// Each shape of a game's settings file, and what the wrapper makes of it:
// first in wrapperOptions, every other member as it stood.
TEST(HeroicSettings, TheWrapperGoesFirstAndEverythingElseStays) {
  struct Row {
    const char* what;
    std::optional<std::string> before;
    std::string after;
  } const rows[] = {
      // clang-format off
      {"v0, every setting written", Settings("    \"autoInstallDxvk\": true,\n    \"winePrefix\": \"/p\",\n" + Wrappers({})),
       Settings("    \"autoInstallDxvk\": true,\n    \"winePrefix\": \"/p\",\n" + Wrappers({Entry(kCopy)}))},
      {"v0.1, only what differs", Settings("    \"showFps\": true\n", "\"v0.1\"", "false"),
       Settings("    \"showFps\": true,\n" + Wrappers({Entry(kCopy)}), "\"v0.1\"", "false")},
      {"gamescope and mangohud kept in order, after it",
       Settings(Wrappers({Entry("/usr/bin/gamescope", "-W 1280 -H 800 --"), Entry("/usr/bin/mangohud")})),
       Settings(Wrappers({Entry(kCopy), Entry("/usr/bin/gamescope", "-W 1280 -H 800 --"), Entry("/usr/bin/mangohud")}))},
      {"an older wrapper of ours replaced",
       Settings(Wrappers({Entry("/games/Hollow Voyage/HollowVoyage/Binaries/Win64/modpaths-launch"), Entry("/usr/bin/mangohud")})),
       Settings(Wrappers({Entry(kCopy), Entry("/usr/bin/mangohud")}))},
      {"no file: made in Heroic's shape", std::nullopt,
       "{\n  \"Crab\": {\n" + Wrappers({Entry(kCopy)}).substr(0, Wrappers({Entry(kCopy)}).size() - 1) +
       "\n  },\n  \"version\": \"v0.1\",\n  \"explicit\": false\n}"},
      // clang-format on
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    const Edit edit = WithWrapper(row.before, "Crab", kCopy);
    EXPECT_EQ(edit.problem, "");
    EXPECT_EQ(edit.text, row.after);
    ASSERT_FALSE(WrappersOf(edit.text, "Crab").list.empty());
    EXPECT_EQ(WrappersOf(edit.text, "Crab").list.front().exe, kCopy);
    if (row.before && row.before->find("Binaries/Win64/modpaths-launch") == std::string::npos) {
      // Taken out again: as Heroic wrote it, but for an empty list left.
      const std::string back = WithoutWrapper(edit.text, "Crab", kCopy).text;
      if (row.before->find("wrapperOptions") != std::string::npos) {
        EXPECT_EQ(back, *row.before);
      }
    }
  }
  // Files Heroic did not write, or wrote otherwise: refused, nothing made.
  for (const std::string& refused : {std::string("[1]"), std::string("{\"Crab\": 1}"),
                                     std::string("{\"Crab\": {\"wrapperOptions\": {}}}"), std::string("{cut")}) {
    EXPECT_NE(WithWrapper(refused, "Crab", kCopy).problem, "") << refused;
    EXPECT_EQ(WithWrapper(refused, "Crab", kCopy).text, "") << refused;
  }
  EXPECT_TRUE(IsHeroicExecutable("/opt/Heroic/heroic"));
  EXPECT_FALSE(IsHeroicExecutable("/usr/bin/heroic-gogdl"));
}

// The games Heroic's four lists name, and which of them holds the mod
// manager.
TEST(HeroicSettings, FindsTheGameInEachStoresList) {
  const std::string home = "/home/deck", heroic = home + "/.config/heroic";
  const std::string game = home + "/Games/Heroic/HollowVoyage";
  const testing_support::TableFiles files(
      {heroic},
      {{heroic + "/legendaryConfig/legendary/installed.json",
        "{\"Crab\": {\"title\": \"Hollow Voyage\", \"install_path\": \"" + game + "\", \"platform\": \"Windows\"},"
        " \"Other\": {\"title\": \"Other\", \"install_path\": \"/nowhere\"}, \"Broken\": 3}"},
       {heroic + "/gog_store/installed.json", "{\"installed\": [{\"appName\": \"1207\", \"install_path\": \"/g\"}, 7]}"},
       {heroic + "/nile_config/nile/installed.json", "[{\"id\": \"amzn1\", \"path\": \"/a\"}]"},
       {heroic + "/sideload_apps/library.json",
        "{\"games\": [{\"app_name\": \"s1\", \"title\": \"Side\", \"install\": {\"executable\": \"/s/Side.exe\"}}]}"},
       {game + "/HollowVoyage/Binaries/Win64/SourceSave.sav", ""}});
  const std::vector<Heroic> found = FindHeroic(home, files);
  ASSERT_EQ(found.size(), 1u);
  std::vector<std::string> names, withTemplate;
  for (const Game& each : InstalledGames(found.front(), files)) {
    names.push_back(each.appName + "=" + each.installPath);
    if (ToolFolderOf(each, files)) withTemplate.push_back(each.appName);
  }
  EXPECT_EQ(names, (std::vector<std::string>{"Crab=" + game, "Other=/nowhere", "1207=/g", "amzn1=/a", "s1=/s"}));
  EXPECT_EQ(withTemplate, std::vector<std::string>{"Crab"});
  EXPECT_EQ(GamesConfigPath(found.front(), "Crab"), heroic + "/GamesConfig/Crab.json");
}

}  // namespace
}  // namespace heroic
