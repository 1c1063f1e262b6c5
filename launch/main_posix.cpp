// modpaths-launch for Linux: Proton and the Steam Deck, Heroic, Lutris and
// any launcher that runs a command before the game's. It writes the save
// into the game's Wine prefix as modpaths.exe would there, records what it
// did (modpaths-launch.log beside modpaths), then puts the game's command
// in its own place, so that the launcher follows the game as before.
//   modpaths-launch COMMAND...   update the save, then run COMMAND
//   modpaths-launch              update the save, and say what was done and
//                                what to paste into Steam
//   modpaths-launch --setup | --remove [--account NAME] [--app ID]
//                                set Steam's launch option to run it, or
//                                take it out again (launch/setup.h)

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
#include "steam/this_machine.h"

namespace {

constexpr char kCommand[] = "./modpaths-launch";

launch::SetupContext ThisSetup() {
  launch::SetupContext context;
  context.hints = steam::HintsOfThisMachine();
  context.processes = platform::ProcessTable();
  context.steamPid = steam::SteamPidOfThisMachine();
  context.home = platform::EnvironmentVariable("HOME").value_or("");
  context.self = platform::ExecutablePath().value_or("");
  context.userFolder = platform::UserDataFolder().value_or("/tmp") + "/modpaths";
  context.rule = platform::WordRule::Shell;
  context.command = kCommand;
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
// dialog, else modpaths-setup.txt beside the wrapper (or in its per-user
// folder), opened with the desktop's own program for text.
void Tell(const std::string& text, bool warning, const std::string& folder, std::FILE* stream = stdout) {
  if (OutputRead()) {
    std::fputs(text.c_str(), stream);
    return;
  }
  if (platform::ShowDialog("modpaths", text, warning)) return;
  for (const std::string& place : {folder, platform::UserDataFolder().value_or("") + "/modpaths"}) {
    if (place.empty() || place == "/modpaths") continue;
    const std::string file = place + "/modpaths-setup.txt";
    platform::CreateFolders(place);
    if (std::FILE* out = std::fopen(file.c_str(), "w")) {
      const bool written = std::fputs(text.c_str(), out) >= 0;
      if (std::fclose(out) == 0 && written) {
        platform::OpenWithDesktop(file);
        return;
      }
    }
  }
  std::fputs(text.c_str(), stderr);
}

int Setup(launch::SetupRequest request, const std::string& folder) {
  for (;;) {
    const launch::SetupOutcome outcome = launch::RunSetup(request, ThisSetup());
    // Another account offered: asked where there is no terminal to retype in.
    if (outcome.offer && !OutputRead()) {
      const auto yes = platform::AskYesNo(
          "modpaths", outcome.text + "\nSet modpaths up for " + *outcome.offer->account + " instead?");
      if (yes && *yes) {
        request = *outcome.offer;
        continue;
      }
      if (yes) return 1;
    }
    Tell(outcome.text, !outcome.done, folder);
    return outcome.done ? 0 : 1;
  }
}

}  // namespace

int main(int argc, char** argv) {
  // A write beyond the file-size limit fails like any other failed write.
  std::signal(SIGXFSZ, SIG_IGN);
  const std::vector<std::string> arguments(argv + 1, argv + argc);
  const std::string ownFolder = modpaths::GetExecutableDirectory();
  const launch::WrapperCommand command = launch::ParseWrapperCommand(arguments);
  switch (command.kind) {
    case launch::WrapperCommand::Kind::Usage:
      Tell("modpaths-launch: " + command.problem + "\n\n" + launch::WrapperUsage(kCommand), true, ownFolder,
           stderr);
      return 2;
    case launch::WrapperCommand::Kind::Help:
      std::fputs(launch::WrapperUsage(kCommand).c_str(), stdout);
      return 0;
    case launch::WrapperCommand::Kind::Version:
      std::fputs(launch::WrapperVersionLine().c_str(), stdout);
      return 0;
    case launch::WrapperCommand::Kind::Setup:
      return Setup(command.request, ownFolder);
    case launch::WrapperCommand::Kind::Game:
      break;
  }
  const bool byHand = arguments.empty();
  // Nothing before the game may keep it from starting.
  launch::WrapperRun run;
  try {
    std::string toolFolder = ownFolder;
    // The copy that --setup installs finds the game from Steam's command.
    if (!byHand && !launch::HasGame(toolFolder) && !launch::NestedGameFolder(toolFolder)) {
      const launch::CommandEnvironment environment{platform::EnvironmentVariable("SteamAppId"),
                                                   platform::EnvironmentVariable("STEAM_COMPAT_INSTALL_PATH"),
                                                   platform::EnvironmentVariable("HEROIC_APP_NAME"),
                                                   platform::EnvironmentVariable("GAME_DIRECTORY")};
      if (auto game = launch::GameOfCommand(arguments, environment, steam::HintsOfThisMachine()))
        toolFolder = *game;
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
    if (!run.hasGame && !OutputRead()) {
      // Double-clicked in a file manager, outside a game: offer the setup.
      const auto yes = platform::AskYesNo(
          "modpaths", "Set up modpaths for Hollow Voyage in Steam, Heroic and Lutris?\n\nmodpaths then "
                      "runs at every start of the game from each of them that has it, and keeps the mod "
                      "list up to date. The launchers must be closed.");
      if (yes && *yes) return Setup(launch::SetupRequest{}, ownFolder);
      if (!yes) {
        // Nothing to ask with: the way to ask for it, where it is seen.
        Tell("To set modpaths up for Hollow Voyage in Steam, Heroic and Lutris, close them, open a terminal in " +
                 ownFolder +
                 " and run\n\n  " + kCommand + " --setup\n\nmodpaths then runs at every start of the "
                 "game from each of them, and keeps the mod list up to date.\n\n" + run.text,
             false, ownFolder);
        return 1;
      }
    }
    std::string text = run.text;
    if (run.hasGame) {
      text += launch::LaunchLineText(run.launchLine, false);
    } else {
      text += std::string("\nOr let modpaths set Steam up: with Steam closed, run  ") + kCommand +
              " --setup  here.\n";
    }
    if (OutputRead()) {
      std::fputs(text.c_str(), stdout);
    } else {
      Tell(text, run.failed, ownFolder);
    }
    return run.failed ? 1 : 0;
  }
  // The game gets the signal handling this process was given.
  std::signal(SIGXFSZ, SIG_DFL);
  const std::string reason = platform::ReplaceProcess(arguments);
  std::fprintf(stderr, "modpaths-launch: cannot start %s: %s\n", argv[1], reason.c_str());
  return 127;
}
