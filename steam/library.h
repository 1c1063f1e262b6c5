#pragma once

// The Steam library a game lies in, and its app manifests.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "steam/file_system.h"

namespace steam {

// A game in a Steam library: <library>/steamapps/common/<installDir>/...
struct SteamGame {
  std::string steamapps;   // the library's steamapps folder, as spelled on disk
  std::string installDir;  // the game's folder below steamapps/common
};

// The Steam library and install folder that `path` lies in, from its last
// "steamapps/common/<folder>" (in any case); nothing when it lies in none.
std::optional<SteamGame> SteamGameOf(std::string_view path);

// An app manifest's "AppState" block, such as
//   "AppState" { "appid" "1234560"  "StateFlags" "4"  "installdir" "Hollow Voyage" ... }
// as key and value; nothing, with `why`, when the text does not read whole
// or has no such block.
std::optional<std::string> ManifestValue(std::string_view manifest, std::string_view key,
                                         std::string* why = nullptr);

// The apps installed in a library's steamapps folder, by their manifests
// (appmanifest_<id>.acf). A manifest counts only when it reads whole, its
// appid is the number in its name and its StateFlags say "fully
// installed" (4): Steam leaves damaged, half-written and uninstalled ones
// behind. Playtests and demos are apps of their own.
struct AppManifest {
  std::string appId, installDir;
};
std::vector<AppManifest> InstalledApps(const std::string& steamapps, const FileSystem& files);

// The app id of the installed app whose installdir is the game's, the
// folder compared as Windows compares names.
std::optional<std::string> AppIdOf(const SteamGame& game, const FileSystem& files);

}  // namespace steam
