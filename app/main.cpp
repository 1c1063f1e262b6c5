// Entry point of the POSIX build. Like the Windows one, it reads no
// arguments, and exits with 1 only when the template could not be read or
// the save could not be written.

#include <csignal>

#include "app/run.h"

int main() {
  // A write beyond the file-size limit then fails like any other failed
  // write, and the temporary save is cleaned up, instead of the process
  // being killed with it still on disk.
  std::signal(SIGXFSZ, SIG_IGN);
  const auto inputs = modpaths::InputsOfThisProcess();
  if (!inputs) return 0;
  return modpaths::RunTool(*inputs).outcome == modpaths::Outcome::Failed ? 1 : 0;
}
