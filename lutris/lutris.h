#pragma once

// Lutris as it keeps its files, for setting the wrapper up in one step.
// Pure rules over the file-system interface; YAML read with yaml-cpp, the
// games' list given from pga.db (lutris/game_database.h).
//
// Lutris' settings folder: ~/.config/lutris when it exists, else
// ~/.local/share/lutris; a Flatpak's ~/.var/app/net.lutris.Lutris/config/lutris
// or .../data/lutris. A game's settings are <settings>/games/<configpath>.yml,
// written whole by Lutris (yaml.safe_dump, block style, keys sorted) to a
// temporary renamed over it whenever it saves that game:
//
//   game:
//     exe: /home/deck/Games/hollow-voyage/drive_c/Games/Hollow Voyage/HollowVoyage.exe
//     prefix: /home/deck/Games/hollow-voyage
//   system:
//     prefix_command: gamemoderun
//   wine:
//     version: lutris-GE-Proton8-26-x86_64
//
// system: prefix_command is split as a shell would (shlex) and put before
// the game's command. A yml Lutris cannot parse it reads as empty
// settings: the file is edited only while Lutris is closed, a line at a
// time, and read back.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/process.h"
#include "steam/file_system.h"

namespace lutris {

using steam::FileSystem;

// A game's yml is a few kilobytes.
inline constexpr size_t kMostSettingsBytes = 4u << 20;

struct Lutris {
  std::string settings;             // the folder holding games/
  std::string database;             // pga.db
  std::optional<std::string> data;  // a Flatpak's data folder, which it sees as it lies
};

// The Lutris installations below `home` whose settings folder exists.
std::vector<Lutris> FindLutris(const std::string& home, const FileSystem& files);

// A row of pga.db's games table.
struct DatabaseGame {
  std::string name, slug, runner, directory, configPath;
  bool installed = false;
};

struct Game {
  std::string name;        // as Lutris shows it
  std::string settings;    // its yml
  std::string toolFolder;  // the game's Binaries/Win64
};

// The games of this Lutris that run Hollow Voyage with its mod manager:
// the database's installed games, each by what its yml runs (game: exe:,
// relative to the database's directory when relative); without a
// database, every yml in games/ whose game: exe: lies in the game's folder.
std::vector<Game> FindGames(const Lutris& lutris, const std::optional<std::vector<DatabaseGame>>& database,
                            const FileSystem& files);

// system: prefix_command of a yml: nothing when there is none; `problem`
// when the text is no YAML mapping Lutris reads.
struct PrefixCommand {
  std::optional<std::string> value;
  std::string problem;
};
PrefixCommand PrefixCommandOf(std::string_view yml);

// The yml with system: prefix_command set to `value` (nothing: taken out,
// and a system: it leaves empty with it), the key or the section added in
// Lutris' order of keys; every other line as it was, in the file's line
// ends. Read back before it is given: `problem` set, and `text` empty,
// when the result would not read as the same settings with that one value.
struct Edit {
  std::string text;
  std::string problem;
};
Edit SetPrefixCommand(std::string_view yml, const std::optional<std::string>& value);

// Whether a process is Lutris: its own executable, or an interpreter
// running it.
bool IsLutrisProcess(const platform::ProcessEntry& process);

}  // namespace lutris
