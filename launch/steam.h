#pragma once

// Where the game's Proton prefix is, for the launch wrapper on Linux: the
// Saved Games folder the game sees is inside it.

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "launch/launch.h"

namespace launch {

// A game in a Steam library: <library>/steamapps/common/<installDir>/...
struct SteamGame {
  std::string steamapps;   // the library's steamapps folder, as spelled on disk
  std::string installDir;  // the game's folder below steamapps/common
};

// The Steam library and install folder that `path` lies in, from its last
// "steamapps/common/<folder>" (in any case); nothing when it lies in none.
std::optional<SteamGame> SteamGameOf(std::string_view path);

// The value of `key`, compared without case, in the top block of a Steam
// app manifest: Valve's key-value text, such as
//   "AppState" { "appid" "1234560"  "installdir" "Hollow Voyage" ... }
// with quoted or bare words, backslash escapes and // comments. Nothing
// when the key is not there.
std::optional<std::string> ManifestValue(std::string_view manifest, std::string_view key);

// The environment as the wrapper reads it: a variable's value, or nothing.
using EnvironmentLookup = std::function<std::optional<std::string>(const std::string& name)>;

// The Saved Games folder the game sees inside its Wine prefix, and which
// variable or library gave the prefix. Launchers name the prefix so:
// Steam and Heroic with Proton set STEAM_COMPAT_DATA_PATH (the prefix is
// its pfx), Lutris and Heroic with Wine set WINEPREFIX (the prefix
// itself), launchers built on umu-run set both to one folder. The first of
// $STEAM_COMPAT_DATA_PATH/pfx, $STEAM_COMPAT_DATA_PATH and $WINEPREFIX that
// holds the game's Saved Games folder is taken, else the first that holds
// drive_c; without any (run by hand from a terminal), the prefix is found
// from the Steam library that holds the tool: the app id comes from
// SteamAppId, or else from the app manifest whose installdir is the
// game's folder, and the prefix is steamapps/compatdata/<id>/pfx.
//
// Inside a prefix the user's folder is steamuser (Proton's) when that
// holds the game's Saved Games folder, else the one named by USER (or
// LOGNAME), else the only one but Public that holds it; names are found in
// any case, as Wine finds them.
SavedGamesLookup PrefixSavedGames(const std::string& toolFolder, const EnvironmentLookup& env);

}  // namespace launch
