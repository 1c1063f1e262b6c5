#pragma once

// Where the game's Wine prefix is, for the launch wrapper on Linux: the
// Saved Games folder the game sees is inside it.

#include <functional>
#include <optional>
#include <string>

#include "steam/file_system.h"

namespace steam {

// Where the Saved Games folder comes from: the folder, or nothing and why.
// `source` names where it was found, for the record (the variable or the
// Steam library that gave the prefix).
struct SavedGamesLookup {
  std::optional<std::string> folder;
  std::string why;
  std::string source;
};

// The environment as the wrapper reads it: a variable's value, or nothing.
using EnvironmentLookup = std::function<std::optional<std::string>(const std::string& name)>;

// The Saved Games folder the game sees inside its Wine prefix. Launchers
// name the prefix so, and the game looks in no other:
// - STEAM_COMPAT_DATA_PATH (Steam and Heroic with Proton; launchers built on
//   umu-run set WINEPREFIX to the same folder): Proton's prefix, its pfx
//   (or the folder itself, as umu-run lays it out), and Proton's user,
//   steamuser. WINEPREFIX is then not looked at: Proton ignores it.
// - WINEPREFIX alone (Lutris and Heroic with Wine): the prefix itself, and
//   the user as Wine names the folder, after the login name (USER, then
//   LOGNAME), else steamuser, else the only user but Public who has played.
// - neither (started by hand): the prefix Proton made for the game,
//   steamapps/compatdata/<app id>/pfx, in the library that holds the tool
//   or in another of the Steams below HOME (the one locked last, pfx.lock,
//   wins); the app id from SteamAppId or from the installed app whose
//   folder the tool lies in (steam/library.h: InstalledApps).
// A prefix whose user has no Saved Games folder yet still names that
// folder: the save then waits until the game has made it.
SavedGamesLookup PrefixSavedGames(const std::string& toolFolder, const EnvironmentLookup& env,
                                  const FileSystem& files = RealFileSystem());

}  // namespace steam
