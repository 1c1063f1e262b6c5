// Entry point of the POSIX build. Like the Windows one, it reads no
// arguments and always exits with 0.

#include <csignal>

#include "app/run.h"

int main() {
  // A write beyond the file-size limit then fails like any other failed
  // write, and the temporary save is cleaned up, instead of the process
  // being killed with it still on disk.
  std::signal(SIGXFSZ, SIG_IGN);
  modpaths::RunTool();
  return 0;
}
