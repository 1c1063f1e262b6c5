#pragma once

// Setting up in one step: `modpaths-launch --setup` finds Steam, the game
// and the account signed in last, puts a copy of the wrapper where moving
// the game cannot break it, and sets the game's launch option in Steam's
// localconfig.vdf to run that copy; `--remove` puts back what stood there.
// A thin layer over steam/; each step that fails says why and changes
// nothing.

#include <optional>
#include <string>
#include <vector>

#include "steam/file_system.h"
#include "steam/install.h"

namespace launch {

// What the system says, gathered by each wrapper's main.
struct SetupContext {
  steam::SteamHints hints;
  std::optional<uint32_t> activeUser;  // Windows: ActiveProcess\ActiveUser
  bool steamRunning = false;
  std::string self;        // this wrapper's own file
  std::string userFolder;  // the per-user folder for the copy (%LOCALAPPDATA%\modpaths, ~/.local/share/modpaths)
  bool posix = true;       // Steam hands the launch option to a shell
};

struct SetupRequest {
  bool remove = false;
  std::optional<std::string> account;  // --account NAME
};

struct SetupOutcome {
  bool done = false;  // exit status 0
  std::string text;   // what to tell the player
};

// The command line of a wrapper asks for setting up: "--setup" or
// "--remove", optionally with "--account NAME", and nothing else; nothing
// for any other command line, which is a game's.
std::optional<SetupRequest> SetupRequested(const std::vector<std::string>& arguments);

SetupOutcome RunSetup(const SetupRequest& request, const SetupContext& context,
                      const steam::FileSystem& files = steam::RealFileSystem());

// Where the game is for a copy started with the game's command: the game's
// Binaries/Win64 that the command names, else that of the game with app id
// SteamAppId in Steam's libraries. Nothing when neither finds it.
std::optional<std::string> GameOfCommand(const std::vector<std::string>& arguments,
                                         const std::optional<std::string>& steamAppId,
                                         const steam::SteamHints& hints,
                                         const steam::FileSystem& files = steam::RealFileSystem());

}  // namespace launch
