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
#include "platform/command_line.h"
#include "platform/desktop.h"
#include "platform/file_system.h"
#include "platform/process.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  const std::string line = platform::OwnCommandLine();
  const std::string command(platform::CommandTail(line));
  const bool byHand = command.empty();
  // Nothing before the game may keep it from starting.
  launch::WrapperRun run;
  try {
    run = launch::RunWrapper(
        modpaths::GetExecutableDirectory(), byHand,
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
