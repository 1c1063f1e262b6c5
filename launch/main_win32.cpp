// modpaths-launch.exe: a launcher (Steam's launch options, a non-Steam
// shortcut, Vortex, Mod Organizer 2) runs it with the game's whole command
// line after its own name. It writes the save as modpaths.exe does, records
// what it did beside itself (modpaths-launch.log), then starts that command
// exactly as given, waits for the game and exits with the game's exit
// code. A GUI-subsystem program: no console window flashes up before the
// game.

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <string>

#include "app/paths.h"
#include "launch/launch.h"
#include "launch/setup.h"
#include "platform/command_line.h"
#include "platform/desktop.h"
#include "platform/file_system.h"
#include "platform/process.h"
#include "platform/registry.h"

namespace {

constexpr char kSteamKey[] = "Software\\Valve\\Steam";

launch::SetupContext ThisSetup() {
  launch::SetupContext context;
  context.hints = steam::HintsOfThisMachine();
  const std::string active = std::string(kSteamKey) + "\\ActiveProcess";
  context.activeUser = steam::ActiveUserOfThisMachine();
  const std::optional<uint32_t> pid = platform::RegistryNumber(false, active, "pid");
  context.steamRunning =
      platform::ProgramRunning("steam.exe") || (pid && *pid != 0 && platform::ProcessAlive(*pid));
  context.self = platform::ExecutablePath().value_or("");
  context.userFolder = platform::EnvironmentVariable("LOCALAPPDATA").value_or("") + "\\modpaths";
  context.posix = false;
  return context;
}

int Setup(const launch::SetupRequest& request) {
  const launch::SetupOutcome outcome = launch::RunSetup(request, ThisSetup());
  platform::ShowMessage("modpaths", outcome.text, !outcome.done);
  return outcome.done ? 0 : 1;
}

// The program the command line starts: its first token.
std::string FirstToken(std::string_view command) {
  if (!command.empty() && command[0] == '"') {
    const size_t end = command.find('"', 1);
    return std::string(command.substr(1, end == std::string_view::npos ? end : end - 1));
  }
  return std::string(command.substr(0, command.find_first_of(" \t")));
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  const std::string line = platform::OwnCommandLine();
  const std::string command(platform::CommandTail(line));
  const std::vector<std::string> arguments = [] {
    std::vector<std::string> all = platform::CommandLineArguments(0, nullptr);
    if (!all.empty()) all.erase(all.begin());
    return all;
  }();
  if (const auto request = launch::SetupRequested(arguments)) return Setup(*request);
  const bool byHand = command.empty();
  // Nothing before the game may keep it from starting.
  launch::WrapperRun run;
  try {
    std::string toolFolder = modpaths::GetExecutableDirectory();
    // The copy that --setup installs finds the game from Steam's command.
    if (!byHand && !launch::HasGame(toolFolder) && !launch::NestedGameFolder(toolFolder)) {
      if (auto game = launch::GameOfCommand({FirstToken(command)},
                                            platform::EnvironmentVariable("SteamAppId"),
                                            steam::HintsOfThisMachine())) {
        toolFolder = *game;
      }
    }
    run = launch::RunWrapper(
        toolFolder, byHand,
        [] {
          launch::SavedGamesLookup lookup;
          lookup.folder = platform::SavedGamesFolder();
          if (!lookup.folder) lookup.why = "the Saved Games folder cannot be found";
          return lookup;
        },
        platform::kNativePaths);
  } catch (...) {
    run.failed = true;
  }
  if (byHand) {
    // Double-clicked outside a game: offer the setup.
    if (!run.hasGame) {
      const auto yes = platform::AskYesNo(
          "modpaths", run.text + "\nSet up modpaths for Hollow Voyage in Steam now? It then runs "
                                 "at every start of the game from Steam and keeps the mod list up "
                                 "to date. Steam must be closed.");
      if (yes && *yes) return Setup(launch::SetupRequest{});
      return 1;
    }
    // Double-clicked: say what was done, and how to have it done by Steam.
    std::string text = run.text;
    if (run.hasGame)
      text += launch::LaunchLineText(run.launchLine, platform::CopyToClipboard(run.launchLine));
    platform::ShowMessage("modpaths", text, run.failed);
    return run.failed ? 1 : 0;
  }
  std::string why;
  const platform::Process game = platform::StartCommandLine(command, &why);
  if (game <= 0) {
    platform::ShowMessage("modpaths", "The game could not be started:\n\n" + command + "\n\n" + why,
                          true);
    return 127;
  }
  return platform::WaitProgram(game).exitStatus;
}
