// modpaths-inspect: shows what modpaths sees, for players and modders whose
// mod does not show up in the game.
//
//   modpaths-inspect toc FILE.utoc [--files] [--json]
//   modpaths-inspect scan FOLDER [--json]
//   modpaths-inspect save FILE.sav [--template SourceSave.sav] [--json]
//   modpaths-inspect check GAME_FOLDER [--save FILE.sav] [--json]
//   modpaths-inspect --version
//
// Exit status: 0 all is well, 1 a problem was found, 2 a usage error or an
// input that cannot be opened.

#include <cstdio>
#include <string>

#include "inspect/inspect.h"
#include "platform/platform.h"

int main(int argc, char** argv) {
  platform::UseUtf8Console();
  std::string out;
  std::string err;
  const int status = inspect::RunCommandLine(platform::CommandLineArguments(argc, argv), out, err);
  std::fwrite(out.data(), 1, out.size(), stdout);
  std::fwrite(err.data(), 1, err.size(), stderr);
  return status;
}
