#pragma once

// Setting up in one step: `modpaths-launch --setup` finds Steam, the game
// and the account, puts a copy of the wrapper where moving the game cannot
// break it, and sets the game's launch option in Steam's localconfig.vdf to
// run that copy; `--remove` takes out what setup put in. Every file's new
// bytes are planned before any is written (launch/file_changes.h); what
// setup kept of what stood there is launch/setup_state.h.

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
  std::optional<uint32_t> activeUser;              // Windows: ActiveProcess\ActiveUser
  std::optional<platform::ProcessEntry> steamRuns;  // the Steam process, when one runs
  std::string self;        // this wrapper's own file
  std::string userFolder;  // the per-user folder for the copy and the states (...\modpaths)
  platform::WordRule rule = platform::kNativeWords;  // how Steam splits a launch option here
  std::string command;     // how the player runs this program again: "./modpaths-launch"
};

struct SetupRequest {
  bool remove = false;
  std::optional<std::string> account;  // --account NAME
  std::optional<std::string> app;      // --app ID
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
// with "-" is the wrapper's own: --setup or --remove with --account NAME and
// --app ID, --help, --version. Anything else so is a usage error, not a
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
// (the game's install folder), else that of the installed game of app
// SteamAppId in Steam's libraries. Nothing when none finds it.
struct CommandEnvironment {
  std::optional<std::string> steamAppId, installPath;
};
std::optional<std::string> GameOfCommand(const std::vector<std::string>& arguments,
                                         const CommandEnvironment& environment,
                                         const steam::SteamHints& hints,
                                         const steam::FileSystem& files = steam::RealFileSystem());

// The version a wrapper's file carries (its --version mark); nothing for
// one before 1.5.0, which carries none.
std::optional<std::string> WrapperVersionOf(std::string_view bytes);
// This build's mark, as --version prints it.
std::string WrapperVersionLine();

}  // namespace launch
