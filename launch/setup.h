#pragma once

// Setting up in one step: `modpaths-launch --setup` finds the game in every
// launcher it knows (Steam; on Linux Heroic and Lutris too), puts a copy of
// the wrapper where moving the game cannot break it, and sets each
// launcher that has the game to run that copy before it: Steam's launch
// option in localconfig.vdf, Heroic's wrapperOptions, Lutris' command
// prefix. `--remove` takes out what setup put in. Every file's new bytes
// are planned before any is written (launch/file_changes.h); what setup
// kept of what stood there is launch/setup_state.h; each launcher's own
// part, launch/setup_launchers.h.

#include <optional>
#include <string>
#include <vector>

#include "platform/command_line.h"
#include "platform/process.h"
#include "steam/file_system.h"
#include "steam/install.h"

namespace launch {

// What the system says, gathered by each wrapper's main.
struct SetupContext {
  steam::SteamHints hints;
  std::optional<uint32_t> activeUser;  // Windows: ActiveProcess\ActiveUser
  std::vector<platform::ProcessEntry> processes;  // what runs now
  std::optional<uint32_t> steamPid;    // the pid Steam's own files name
  std::string home;        // HOME, where Heroic and Lutris keep their files (Linux)
  std::string self;        // this wrapper's own file
  std::string userFolder;  // the per-user folder for the copy and the states (...\modpaths)
  platform::WordRule rule = platform::kNativeWords;  // how Steam splits a launch option here
  std::string command;     // how the player runs this program again: "./modpaths-launch"
};

struct SetupRequest {
  bool remove = false;
  std::optional<std::string> account;  // --account NAME
  std::optional<std::string> app;      // --app ID
  std::optional<std::string> launcher;  // --launcher steam|heroic|lutris: that one alone
};

struct SetupOutcome {
  bool done = false;  // exit status 0
  std::string text;   // what to tell the player
  // Another account to set up instead, offered to the player: a request
  // with --account of it.
  std::optional<SetupRequest> offer;
};

// What a wrapper's command line asks for. A launcher starts it with the
// game's command, whose first word is a program; a first word that starts
// with "-" is the wrapper's own: --setup or --remove with --account NAME,
// --app ID and --launcher NAME, --help, --version. Anything else so is a usage error, not a
// game, as is a bare "setup" or "remove" alone.
struct WrapperCommand {
  enum class Kind { Game, Setup, Help, Version, Usage } kind = Kind::Game;
  SetupRequest request;
  std::string problem;  // Usage: what was wrong
};
WrapperCommand ParseWrapperCommand(const std::vector<std::string>& arguments);
std::string WrapperUsage(const std::string& command);

// Runs --setup or --remove. Nothing it meets escapes: a failure, a thrown
// one too, is an outcome that says what was changed.
SetupOutcome RunSetup(const SetupRequest& request, const SetupContext& context,
                      const steam::FileSystem& files = steam::RealFileSystem()) noexcept;

// Where the game is for a copy started with the game's command: the game's
// Binaries/Win64 that the command names, else below STEAM_COMPAT_INSTALL_PATH
// (the game's install folder), else Heroic's game HEROIC_APP_NAME by its
// installed lists, else below Lutris' GAME_DIRECTORY, else that of the
// installed game of app SteamAppId in Steam's libraries. Nothing when none
// finds it.
struct CommandEnvironment {
  std::optional<std::string> steamAppId, installPath;
  std::optional<std::string> heroicAppName, gameDirectory;
};
std::optional<std::string> GameOfCommand(const std::vector<std::string>& arguments,
                                         const CommandEnvironment& environment,
                                         const steam::SteamHints& hints,
                                         const steam::FileSystem& files = steam::RealFileSystem());

// What Heroic and Lutris run before the game, for check: each game of
// theirs that holds the mod manager, and the wrapper of ours its setting
// names before the game's command (empty: none).
struct LauncherWrapper {
  std::string launcher;  // "Heroic", "Lutris"
  std::string game;      // as the launcher shows it
  std::string file;      // the setting's file
  std::string setting;   // its value as it stands: Heroic's wrappers, Lutris' command prefix
  std::string wrapper;
  bool plain = true;     // the wrapper's path names one file wherever it starts (no $, ~, relative path)
};
std::vector<LauncherWrapper> OtherLaunchersWrappers(const std::string& home,
                                                    const steam::FileSystem& files = steam::RealFileSystem());

// The version a wrapper's file carries (its --version mark); nothing for
// one before 1.5.0, which carries none.
std::optional<std::string> WrapperVersionOf(std::string_view bytes);
// This build's mark, as --version prints it.
std::string WrapperVersionLine();

}  // namespace launch
