// modpaths-launch.exe: Steam's launch options run it with the game's whole
// command line after its own name. It writes the save as modpaths.exe does,
// then starts that command exactly as Steam gave it, waits for the game and
// exits with the game's exit code. A GUI-subsystem program: no console
// window flashes up before the game.

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <string>

#include "app/paths.h"
#include "launch/launch.h"
#include "platform/command_line.h"
#include "platform/platform.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  const modpaths::RunResult result = launch::UpdateSave(modpaths::InputsOfThisProcess());
  const std::string line = platform::OwnCommandLine();
  const std::string command(platform::CommandTail(line));
  if (command.empty()) {
    // Double-clicked: say what was done, and how to have it done by Steam.
    const std::string text =
        launch::Summary(result, "the Saved Games folder cannot be found",
                        modpaths::LaunchOptionsLine(modpaths::GetExecutableDirectory(),
                                                    platform::kNativePaths)) +
        "\n(Ctrl+C copies this message.)";
    platform::ShowMessage("modpaths", text, result.outcome == modpaths::Outcome::Failed);
    return result.outcome == modpaths::Outcome::Failed ? 1 : 0;
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
