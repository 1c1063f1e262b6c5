// Makes a small game installation for the demo: the template save beside
// where the tool goes, and a paks folder.
//   modpaths-sample <game folder>

#include <sys/stat.h>

#include <cstdio>
#include <fstream>
#include <string>

namespace {

void MakeFolders(const std::string& path) {
  for (size_t slash = path.find('/', 1);; slash = path.find('/', slash + 1)) {
    mkdir(path.substr(0, slash).c_str(), 0777);
    if (slash == std::string::npos) break;
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s <game folder>\n", argv[0]);
    return 2;
  }
  const std::string game = argv[1];
  MakeFolders(game + "/Binaries/Win64");
  MakeFolders(game + "/Content/Paks");
  // Any bytes do: the tool copies the template without looking inside.
  const char kTemplate[] = "GVAS\x02\x00\x00\x00sample template";
  std::ofstream(game + "/Binaries/Win64/SourceSave.sav", std::ios::binary)
      .write(kTemplate, sizeof kTemplate - 1);
  return 0;
}
