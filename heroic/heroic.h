#pragma once

// Heroic Games Launcher (Epic, GOG, Amazon and side-loaded games) as it
// keeps its files, for setting the wrapper up in one step. Pure rules over
// the file-system interface; JSON read and written with nlohmann/json.
//
// Heroic's folder: ~/.config/heroic, or a Flatpak's
// ~/.var/app/com.heroicgameslauncher.hgl/config/heroic. In it:
//   legendaryConfig/legendary/installed.json  Epic: { "<app>": { "title", "install_path", "platform" } }
//   gog_store/installed.json                  GOG: { "installed": [ { "appName", "install_path" } ] }
//   nile_config/nile/installed.json           Amazon: [ { "id", "path" } ]
//   sideload_apps/library.json                { "games": [ { "app_name", "title", "folder_name",
//                                                            "install": { "executable" } } ] }
//   GamesConfig/<app>.json                    { "<app>": { settings }, "version": "v0", "explicit": true }
// A game's setting "wrapperOptions", [ { "exe": "<absolute path>", "args": "<string>" } ], runs
// before the game's command: <exe> <args> <the game's command>. Heroic
// writes the settings file whole, as JSON.stringify(config, null, 2), and
// keeps every game's settings in memory while it runs: the file is edited
// only while Heroic is closed.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "steam/file_system.h"

namespace heroic {

using steam::FileSystem;

// Heroic's lists and a game's settings are kilobytes.
inline constexpr size_t kMostSettingsBytes = 16u << 20;

struct Heroic {
  std::string folder;              // Heroic's own folder
  std::optional<std::string> data;  // a Flatpak's data folder, the one folder of the home it sees
};

// The Heroic folders below `home` that exist: the native one, the Flatpak's.
std::vector<Heroic> FindHeroic(const std::string& home, const FileSystem& files);

// A game Heroic installed.
struct Game {
  std::string appName, title;
  std::string store;        // "Epic", "GOG", "Amazon", "side-loaded"
  std::string installPath;  // the game's folder
};

// Every game of Heroic's installed lists that can be read; a list that
// cannot is skipped.
std::vector<Game> InstalledGames(const Heroic& heroic, const FileSystem& files);

// The game's Binaries/Win64 in its folder, when the folder holds the game
// with its mod manager (HollowVoyage/Binaries/Win64/SourceSave.sav).
std::optional<std::string> ToolFolderOf(const Game& game, const FileSystem& files);

// <Heroic>/GamesConfig/<app>.json
std::string GamesConfigPath(const Heroic& heroic, const std::string& appName);

// One entry of wrapperOptions.
struct Wrapper {
  std::string exe, args;
};

// The game's wrappers, in order, from its settings file; `problem` set when
// the file is no settings file Heroic reads.
struct Wrappers {
  std::vector<Wrapper> list;
  std::string problem;
};
Wrappers WrappersOf(std::string_view settings, const std::string& appName);

// The settings file with the wrapper first in wrapperOptions (an older
// wrapper of ours taken out, every other entry kept in order), or made in
// Heroic's shape when there is none (`settings` nothing). Every other
// member keeps its value and its place; the text is written as Heroic
// writes it. `problem` set when the file cannot be read: then `text` is
// empty.
struct Edit {
  std::string text;
  std::string problem;
};
Edit WithWrapper(const std::optional<std::string>& settings, const std::string& appName,
                 const std::string& wrapperPath);
// The inverse: the entries naming `wrapperPath` taken out.
Edit WithoutWrapper(std::string_view settings, const std::string& appName, const std::string& wrapperPath);

// Whether a process is Heroic's own (its Electron executable, "heroic").
bool IsHeroicExecutable(std::string_view executable);

}  // namespace heroic
