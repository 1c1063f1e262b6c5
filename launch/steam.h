#pragma once

// Where the game's Proton prefix is, for the launch wrapper on Linux: the
// Saved Games folder the game sees is inside it.

#include <optional>
#include <string>
#include <string_view>

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

// The Saved Games folder the game sees inside its Proton prefix:
// $STEAM_COMPAT_DATA_PATH/pfx/drive_c/users/steamuser/Saved Games, as Steam
// sets it for the game. Without that variable (run by hand from a
// terminal), the prefix is found from the library that holds the tool: the
// app id comes from SteamAppId, or else from the app manifest whose
// installdir is the game's folder, and the prefix is
// steamapps/compatdata/<id>/pfx. Nothing, and the reason in `why`, when
// neither leads anywhere.
std::optional<std::string> ProtonSavedGames(const std::string& toolFolder, std::string& why);

}  // namespace launch
