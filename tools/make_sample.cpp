// The demo's sample installation: a template save, base-game containers
// and a few mods, some of them with the mistakes modpaths-inspect names.
//   modpaths-sample <game folder>

#include <cstdio>

#include "fixtures/installation.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s <game folder>\n", argv[0]);
    return 2;
  }
  if (!testing_support::MakeSampleInstallation(argv[1])) {
    std::fprintf(stderr, "cannot write the sample containers\n");
    return 1;
  }
  return 0;
}
