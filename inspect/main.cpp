// modpaths-inspect: shows what modpaths sees, for players and modders whose
// mod does not show up in the game.
//
//   modpaths-inspect                  check the game it lies in (a double-click)
//   modpaths-inspect toc FILE.utoc [--files] [--json]
//   modpaths-inspect scan [GAME_FOLDER] [--json]
//   modpaths-inspect save [FILE.sav] [--template SourceSave.sav] [--json]
//   modpaths-inspect check [GAME_FOLDER] [--save FILE.sav] [--json]
//   modpaths-inspect --version
//
// Exit status: 0 all is well, 1 a problem was found, 2 a usage error or an
// input that cannot be opened.

#include <cstdio>
#include <string>

#include "inspect/inspect.h"
#include "platform/platform.h"

int main(int argc, char** argv) {
  std::string out;
  std::string err;
  const int status = inspect::RunCommandLine(platform::CommandLineArguments(argc, argv), out, err);
  platform::WriteText(out);
  platform::WriteText(err, true);
  // Started from Explorer, its window would close before anyone could read
  // it.
  if (platform::OwnsConsoleWindow()) {
    platform::WriteText("\nPress Enter to close\n");
    for (int c = 0; c != '\n' && c != EOF;) c = std::getchar();
  }
  return status;
}
