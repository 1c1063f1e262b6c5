// Entry point of the POSIX build. Like the Windows one, it reads no
// arguments and always exits with 0.

#include "app/run.h"

int main() {
  modpaths::RunTool();
  return 0;
}
