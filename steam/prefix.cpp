#include "steam/prefix.h"

#include <set>
#include <vector>

#include "app/paths.h"
#include "steam/install.h"
#include "steam/library.h"

namespace steam {
namespace {

using modpaths::SameLetters;

// Below a user's folder in a prefix: the game's own folder, which tells
// the user who plays it.
constexpr std::string_view kGameSaves = "/Saved Games/Corvane/HollowVoyage";

// Wine's user for a prefix of its own, by the rule above.
std::string WineUser(const std::string& users, const EnvironmentLookup& env,
                     const FileSystem& files) {
  std::optional<std::string> login;
  for (const char* variable : {"USER", "LOGNAME"}) {
    const std::optional<std::string> name = env(variable);
    if (!name || name->empty() || name->find('/') != std::string::npos) continue;
    if (!login) login = *name;
    if (files.IsFolder(users + "/" + *name)) return *name;
  }
  if (files.IsFolder(users + "/steamuser")) return "steamuser";
  std::optional<std::string> only;
  if (const auto entries = files.List(users)) {
    for (const platform::DirectoryEntry& entry : *entries) {
      if (!entry.isFolder || SameLetters(entry.name, "Public") ||
          !files.IsFolder(users + "/" + entry.name + std::string(kGameSaves))) {
        continue;
      }
      if (only) {
        only.reset();  // two players: no one's is the only one
        break;
      }
      only = entry.name;
    }
  }
  return only ? *only : login.value_or("steamuser");
}

std::optional<std::string> Given(const EnvironmentLookup& env, const char* name) {
  std::optional<std::string> value = env(name);
  if (value) {
    while (value->size() > 1 && value->back() == '/') value->pop_back();
  }
  return value && !value->empty() ? value : std::nullopt;
}

std::string ProtonSavedGames(const std::string& prefix) {
  return prefix + "/drive_c/users/steamuser/Saved Games";
}

}  // namespace

SavedGamesLookup PrefixSavedGames(const std::string& toolFolder, const EnvironmentLookup& env,
                                  const FileSystem& files) {
  if (const auto data = Given(env, "STEAM_COMPAT_DATA_PATH")) {
    for (const std::string& prefix : {*data + "/pfx", *data}) {
      if (files.IsFolder(prefix + "/drive_c"))
        return {ProtonSavedGames(prefix), {}, "STEAM_COMPAT_DATA_PATH"};
    }
    return {std::nullopt,
            "STEAM_COMPAT_DATA_PATH names " + *data +
                ", which holds no Wine prefix yet (no pfx/drive_c): start the game once, so that "
                "Proton makes it",
            "STEAM_COMPAT_DATA_PATH"};
  }
  if (const auto wine = Given(env, "WINEPREFIX")) {
    if (!files.IsFolder(*wine + "/drive_c")) {
      return {std::nullopt,
              "WINEPREFIX names " + *wine +
                  ", which is no Wine prefix yet (no drive_c): start the game once, so that Wine "
                  "makes it",
              "WINEPREFIX"};
    }
    const std::string users = *wine + "/drive_c/users";
    return {users + "/" + WineUser(users, env, files) + "/Saved Games", {}, "WINEPREFIX"};
  }

  SavedGamesLookup lookup;
  const std::optional<SteamGame> game = SteamGameOf(toolFolder);
  if (!game) {
    lookup.why = toolFolder + " lies in no Steam library (steamapps/common/...), and neither "
                 "STEAM_COMPAT_DATA_PATH nor WINEPREFIX, which launchers set for the game, is set";
    return lookup;
  }
  std::optional<std::string> appId = env("SteamAppId");
  if (!appId || appId->empty()) appId = AppIdOf(*game, files);
  if (!appId) {
    lookup.why = "no app manifest in " + game->steamapps + " that can be read names the folder \"" +
                 game->installDir + "\", and SteamAppId is not set";
    return lookup;
  }
  // Proton may keep the prefix in another library than the game's: each
  // library of the Steams found, the game's first; of several prefixes, the
  // one Proton locked last.
  std::vector<std::string> steamapps{game->steamapps};
  std::set<std::string> seen;
  if (const auto identity = files.Identity(game->steamapps)) seen.insert(*identity);
  SteamHints hints;
  hints.home = env("HOME");
  for (const SteamFolder& steam : FindSteamFolders(hints, files)) {
    for (const Library& library : Libraries(steam, files)) {
      const std::string folder = library.folder + "/steamapps";
      const auto identity = files.Identity(folder);
      if (identity && seen.insert(*identity).second) steamapps.push_back(folder);
    }
  }
  std::optional<std::string> best;
  std::optional<int64_t> bestLock;
  for (const std::string& folder : steamapps) {
    const std::string compat = folder + "/compatdata/" + *appId;
    if (!files.IsFolder(compat + "/pfx/drive_c")) continue;
    const std::optional<int64_t> lock = files.ModifiedTime(compat + "/pfx.lock");
    if (!best || (lock && (!bestLock || *lock > *bestLock))) {
      best = compat + "/pfx";
      bestLock = lock;
    }
  }
  if (!best) {
    lookup.why = "there is no Proton prefix at " + game->steamapps + "/compatdata/" + *appId +
                 "/pfx yet: start the game once from Steam, so that Proton makes it";
    return lookup;
  }
  return {ProtonSavedGames(*best), {}, "the Steam library"};
}

}  // namespace steam
