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
#include "steam/this_machine.h"

namespace {

constexpr char kCommand[] = "modpaths-launch.exe";

launch::SetupContext ThisSetup() {
  launch::SetupContext context;
  context.hints = steam::HintsOfThisMachine();
  context.activeUser = steam::ActiveUserOfThisMachine();
  context.processes = platform::ProcessTable();
  context.steamPid = steam::SteamPidOfThisMachine();
  context.self = platform::ExecutablePath().value_or("");
  context.userFolder = platform::UserDataFolder().value_or("C:") + "\\modpaths";
  context.rule = platform::WordRule::Windows;
  context.command = kCommand;
  return context;
}

int Setup(launch::SetupRequest request) {
  for (;;) {
    const launch::SetupOutcome outcome = launch::RunSetup(request, ThisSetup());
    if (outcome.offer) {
      const auto yes = platform::AskYesNo(
          "modpaths", outcome.text + "\nSet modpaths up for " + *outcome.offer->account + " instead?");
      if (yes && *yes) {
        request = *outcome.offer;
        continue;
      }
      return 1;
    }
    platform::ShowMessage("modpaths", outcome.text, !outcome.done);
    return outcome.done ? 0 : 1;
  }
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
  const launch::WrapperCommand parsed = launch::ParseWrapperCommand(arguments);
  switch (parsed.kind) {
    case launch::WrapperCommand::Kind::Usage:
      platform::ShowMessage("modpaths", "modpaths-launch: " + parsed.problem + "\n\n" + launch::WrapperUsage(kCommand),
                            true);
      return 2;
    case launch::WrapperCommand::Kind::Help:
      platform::ShowMessage("modpaths", launch::WrapperUsage(kCommand), false);
      return 0;
    case launch::WrapperCommand::Kind::Version:
      platform::ShowMessage("modpaths", launch::WrapperVersionLine(), false);
      return 0;
    case launch::WrapperCommand::Kind::Setup:
      return Setup(parsed.request);
    case launch::WrapperCommand::Kind::Game:
      break;
  }
  const bool byHand = command.empty();
  // Nothing before the game may keep it from starting.
  launch::WrapperRun run;
  try {
    std::string toolFolder = modpaths::GetExecutableDirectory();
    // The copy that --setup installs finds the game from Steam's command.
    if (!byHand && !launch::HasGame(toolFolder) && !launch::NestedGameFolder(toolFolder)) {
      std::vector<std::string> words;
      for (const platform::Word& word : platform::SplitWords(command, platform::WordRule::Windows).words)
        words.push_back(word.text);
      const launch::CommandEnvironment environment{platform::EnvironmentVariable("SteamAppId"),
                                                   platform::EnvironmentVariable("STEAM_COMPAT_INSTALL_PATH"),
                                                   std::nullopt, std::nullopt};
      if (auto game = launch::GameOfCommand(words, environment, steam::HintsOfThisMachine()))
        toolFolder = *game;
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
    // Double-clicked outside a game: the setup asked first, the way by
    // hand shown after No.
    if (!run.hasGame) {
      const auto yes = platform::AskYesNo(
          "modpaths", "Set up modpaths for Hollow Voyage in Steam now?\n\nmodpaths then runs at every "
                      "start of the game from Steam and keeps the mod list up to date. Steam must be "
                      "closed.");
      if (yes && *yes) return Setup(launch::SetupRequest{});
      platform::ShowMessage("modpaths", run.text, false);
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
