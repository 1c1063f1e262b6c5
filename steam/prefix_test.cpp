#include "steam/prefix.h"

#include <algorithm>
#include <map>
#include <set>

#include <gtest/gtest.h>

#include "app/paths.h"
#include "steam/library.h"

namespace steam {
namespace {

// Folders and files by path, found in any case, as Wine finds them.
class TableFiles final : public FileSystem {
 public:
  TableFiles(std::vector<std::string> folders, std::map<std::string, std::string> files)
      : files_(std::move(files)) {
    for (auto& [path, text] : files_) Add(path.substr(0, path.rfind('/')));
    for (const std::string& folder : folders) Add(folder);
  }
  bool IsFolder(const std::string& path) const override { return folders_.count(Lower(path)) > 0; }
  std::optional<std::vector<platform::DirectoryEntry>> List(const std::string& folder) const override {
    if (!IsFolder(folder)) return std::nullopt;
    std::vector<platform::DirectoryEntry> entries;
    const std::string prefix = Lower(folder) + "/";
    for (const auto& [lower, spelled] : spelled_) {
      if (lower.rfind(prefix, 0) == 0 && lower.find('/', prefix.size()) == std::string::npos)
        entries.push_back({spelled.substr(prefix.size()), folders_.count(lower) > 0});
    }
    return entries;
  }
  std::optional<std::string> ReadText(const std::string& path, size_t) const override {
    for (const auto& [name, text] : files_)
      if (Lower(name) == Lower(path)) return text;
    return std::nullopt;
  }
  std::optional<std::string> Identity(const std::string& path) const override {
    if (IsFolder(path) || ReadText(path, 0)) return Lower(path);
    return std::nullopt;
  }

 private:
  static std::string Lower(std::string path) {
    for (char& c : path) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    return path;
  }
  void Add(const std::string& folder) {
    for (size_t slash = 1; slash != std::string::npos; slash = folder.find('/', slash + 1)) {
      folders_.insert(Lower(folder.substr(0, slash)));
      spelled_[Lower(folder.substr(0, slash))] = folder.substr(0, slash);
    }
    folders_.insert(Lower(folder));
    spelled_[Lower(folder)] = folder;
    for (const auto& [path, text] : files_) spelled_[Lower(path)] = path;
  }
  std::map<std::string, std::string> files_;
  std::set<std::string> folders_;
  std::map<std::string, std::string> spelled_;
};

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
  const std::string good = "\"AppState\" { \"appid\" \"1234560\" \"installdir\" \"Hollow Voyage\" }";
  struct Row {
    const char* what;
    std::map<std::string, std::string> env;
    std::vector<std::string> plays, others;  // "<prefix>/<user>"
    std::map<std::string, std::string> files;
    std::string savedGames, source;  // "<prefix>/<user>"; empty: none
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
       {{manifest, "\"AppState\" { \"installdir\" \"Other\" }"}}, "", ""},
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
    const TableFiles files(folders, row.files);
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
