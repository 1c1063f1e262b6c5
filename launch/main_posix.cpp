// modpaths-launch for Linux: Proton and the Steam Deck, Heroic, Lutris and
// any launcher that runs a command before the game's. It writes the save
// into the game's Wine prefix as modpaths.exe would there, records what it
// did (modpaths-launch.log beside modpaths), then puts the game's command
// in its own place, so that the launcher follows the game as before.
//   modpaths-launch COMMAND...   update the save, then run COMMAND
//   modpaths-launch              update the save, and say what was done and
//                                what to paste into Steam
//   modpaths-launch --setup [--account NAME]
//                                set Steam's launch option to run it
//   modpaths-launch --remove [--account NAME]
//                                put back what stood there

#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <string>
#include <vector>

#include "app/paths.h"
#include "launch/launch.h"
#include "launch/setup.h"
#include "platform/console.h"
#include "platform/desktop.h"
#include "platform/file_system.h"
#include "platform/process.h"
#include "steam/prefix.h"

namespace {

std::string Home() { return platform::EnvironmentVariable("HOME").value_or(""); }

// Steam runs: its pid file names a live process, or a process of this user
// is Steam's own executable.
bool SteamRuns() {
  if (const auto pid = steam::RealFileSystem().ReadText(Home() + "/.steam/steam.pid", 64)) {
    try {
      if (platform::ProcessAlive(static_cast<uint32_t>(std::stoul(*pid)))) return true;
    } catch (...) {
    }
  }
  return platform::ProgramRunning("steam", "ubuntu12_32/steam");
}

launch::SetupContext ThisSetup() {
  launch::SetupContext context;
  context.hints = steam::HintsOfThisMachine();
  context.steamRunning = SteamRuns();
  context.self = platform::ExecutablePath().value_or("");
  const std::string data = platform::EnvironmentVariable("XDG_DATA_HOME").value_or("");
  context.userFolder = (data.empty() || data[0] != '/' ? Home() + "/.local/share" : data) + "/modpaths";
  context.posix = true;
  return context;
}

// Whether standard output reaches someone: a terminal, or a file or pipe
// that a script reads. A double-click in a file manager gives neither (the
// null device, or the session's log).
bool OutputRead() {
  struct stat info {};
  return platform::IsConsole() ||
         (fstat(STDOUT_FILENO, &info) == 0 && (S_ISREG(info.st_mode) || S_ISFIFO(info.st_mode)));
}

// Says the text where the player sees it: the terminal, else the desktop's
// dialog, else a file beside the wrapper.
void Tell(const std::string& text, bool warning, const std::string& folder) {
  if (OutputRead()) {
    std::fputs(text.c_str(), stdout);
  } else if (!platform::ShowDialog("modpaths", text, warning)) {
    if (std::FILE* file = std::fopen((folder + "/modpaths-setup.txt").c_str(), "w")) {
      std::fputs(text.c_str(), file);
      std::fclose(file);
    }
  }
}

int Setup(const launch::SetupRequest& request, const std::string& folder) {
  const launch::SetupOutcome outcome = launch::RunSetup(request, ThisSetup());
  Tell(outcome.text, !outcome.done, folder);
  return outcome.done ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  // A write beyond the file-size limit fails like any other failed write.
  std::signal(SIGXFSZ, SIG_IGN);
  const std::vector<std::string> arguments(argv + 1, argv + argc);
  const std::string ownFolder = modpaths::GetExecutableDirectory();
  if (const auto request = launch::SetupRequested(arguments)) return Setup(*request, ownFolder);
  const bool byHand = arguments.empty();
  // Nothing before the game may keep it from starting.
  launch::WrapperRun run;
  try {
    std::string toolFolder = ownFolder;
    // The copy that --setup installs finds the game from Steam's command.
    if (!byHand && !launch::HasGame(toolFolder) && !launch::NestedGameFolder(toolFolder)) {
      if (auto game = launch::GameOfCommand(arguments, platform::EnvironmentVariable("SteamAppId"),
                                            steam::HintsOfThisMachine())) {
        toolFolder = *game;
      }
    }
    run = launch::RunWrapper(
        toolFolder, byHand,
        [&] {
          return steam::PrefixSavedGames(toolFolder, [](const std::string& name) {
            return platform::EnvironmentVariable(name);
          });
        },
        platform::kNativePaths);
  } catch (...) {
    run.failed = true;
  }
  if (byHand) {
    // Double-clicked in a file manager, outside a game: offer the setup.
    if (!run.hasGame && !OutputRead()) {
      const auto yes = platform::AskYesNo(
          "modpaths", "Set up modpaths for Hollow Voyage in Steam?\n\nmodpaths then runs at every "
                      "start of the game from Steam, and keeps the mod list up to date. Steam must "
                      "be closed.");
      if (yes && *yes) return Setup(launch::SetupRequest{}, ownFolder);
    }
    std::string text = run.text;
    if (run.hasGame) {
      text += launch::LaunchLineText(run.launchLine, false);
    } else {
      text += "\nOr let modpaths set Steam up: run  modpaths-launch --setup  with Steam closed.\n";
    }
    std::fputs(text.c_str(), stdout);
    return run.failed ? 1 : 0;
  }
  // The game gets the signal handling this process was given.
  std::signal(SIGXFSZ, SIG_DFL);
  const std::string reason = platform::ReplaceProcess(arguments);
  std::fprintf(stderr, "modpaths-launch: cannot start %s: %s\n", argv[1], reason.c_str());
  return 127;
}
