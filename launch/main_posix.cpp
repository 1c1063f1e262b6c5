// modpaths-launch for Linux, Proton and the Steam Deck: Steam's launch
// options run it with the game's whole command (Proton's) after it. It
// writes the save into the game's Proton prefix as modpaths.exe would
// there, then puts that command in its own place, so that Steam follows the
// game as before.
//   modpaths-launch COMMAND...   update the save, then run COMMAND
//   modpaths-launch              update the save, and say what to paste
//                                into Steam

#include <csignal>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "app/paths.h"
#include "launch/launch.h"
#include "launch/steam.h"
#include "platform/platform.h"

int main(int argc, char** argv) {
  // A write beyond the file-size limit fails like any other failed write.
  std::signal(SIGXFSZ, SIG_IGN);
  const std::string toolFolder = modpaths::GetExecutableDirectory();
  std::string why = "the folder this program lies in cannot be found";
  std::optional<modpaths::ToolInputs> inputs;
  if (!toolFolder.empty()) {
    if (auto savedGames = launch::ProtonSavedGames(toolFolder, why))
      inputs = modpaths::ToolInputs{toolFolder, std::move(*savedGames)};
  }
  const modpaths::RunResult result = launch::UpdateSave(inputs);
  if (argc < 2) {
    const std::string text = launch::Summary(
        result, why, modpaths::LaunchOptionsLine(toolFolder, platform::kNativePaths));
    std::fputs(text.c_str(), stdout);
    return result.outcome == modpaths::Outcome::Failed ? 1 : 0;
  }
  // The game gets the signal handling this process was given.
  std::signal(SIGXFSZ, SIG_DFL);
  const std::string reason =
      platform::ReplaceProcess(std::vector<std::string>(argv + 1, argv + argc));
  std::fprintf(stderr, "modpaths-launch: cannot start %s: %s\n", argv[1], reason.c_str());
  return 127;
}
