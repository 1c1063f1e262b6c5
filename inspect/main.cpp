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

#include <chrono>
#include <cstdio>
#include <string>

#include "inspect/inspect.h"
#include "platform/console.h"
#include "platform/process.h"

namespace {

// How far a long scan has come, on one line of the console that it keeps
// overwriting; shown only once a run has taken a second, and only where a
// person watches.
class ProgressLine {
 public:
  void Show(uint64_t read, uint64_t total) {
    const auto now = std::chrono::steady_clock::now();
    if (now - start_ < std::chrono::seconds(1) || now - last_ < std::chrono::milliseconds(100))
      return;
    last_ = now;
    shown_ = true;
    platform::WriteText("\rreading containers: " + std::to_string(read) + " of " +
                            std::to_string(total) + " ",
                        true);
  }
  ~ProgressLine() {
    if (shown_) platform::WriteText("\r" + std::string(48, ' ') + "\r", true);
  }

 private:
  const std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
  std::chrono::steady_clock::time_point last_;
  bool shown_ = false;
};

}  // namespace

int main(int argc, char** argv) {
  std::string out;
  std::string err;
  int status;
  {
    ProgressLine line;
    inspect::Progress progress;
    if (platform::IsConsole(true)) {
      progress = [&line](uint64_t read, uint64_t total) { line.Show(read, total); };
    }
    status = inspect::RunCommandLine(platform::CommandLineArguments(argc, argv), out, err,
                                     progress);
  }
  const platform::ConsoleFacts console = platform::DescribeConsole();
  for (const bool toError : {false, true}) {
    const std::string& text = toError ? err : out;
    if (const auto width = platform::WidthToShow(text, platform::ConsoleWidth(toError), console))
      platform::SetConsoleWidth(*width, toError);
  }
  platform::WriteText(out);
  platform::WriteText(err, true);
  // Double-clicked, its window would close before anyone could read it.
  if (platform::WaitsForEnter(console)) {
    platform::WriteText("\nPress Enter to close\n");
    for (int c = 0; c != '\n' && c != EOF;) c = std::getchar();
  }
  return status;
}
