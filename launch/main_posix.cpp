// modpaths-launch for Linux: Proton and the Steam Deck, Heroic, Lutris and
// any launcher that runs a command before the game's. It writes the save
// into the game's Wine prefix as modpaths.exe would there, records what it
// did beside itself (modpaths-launch.log), then puts the game's command in
// its own place, so that the launcher follows the game as before.
//   modpaths-launch COMMAND...   update the save, then run COMMAND
//   modpaths-launch              update the save, and say what was done and
//                                what to paste into Steam

#include <csignal>
#include <cstdio>
#include <string>
#include <vector>

#include "app/paths.h"
#include "launch/launch.h"
#include "steam/prefix.h"
#include "platform/file_system.h"
#include "platform/process.h"

int main(int argc, char** argv) {
  // A write beyond the file-size limit fails like any other failed write.
  std::signal(SIGXFSZ, SIG_IGN);
  const bool byHand = argc < 2;
  // Nothing before the game may keep it from starting.
  launch::WrapperRun run;
  try {
    const std::string toolFolder = modpaths::GetExecutableDirectory();
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
    std::string text = run.text;
    if (run.hasGame) text += launch::LaunchLineText(run.launchLine, false);
    std::fputs(text.c_str(), stdout);
    return run.failed ? 1 : 0;
  }
  // The game gets the signal handling this process was given.
  std::signal(SIGXFSZ, SIG_DFL);
  const std::string reason =
      platform::ReplaceProcess(std::vector<std::string>(argv + 1, argv + argc));
  std::fprintf(stderr, "modpaths-launch: cannot start %s: %s\n", argv[1], reason.c_str());
  return 127;
}
