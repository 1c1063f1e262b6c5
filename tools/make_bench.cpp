// Makes a large game installation for the benchmark: `containers` mod
// containers of `files` files each, in a tree shaped like a real mod's,
// each with the .ucas and .pak a packed mod has beside it.
//   modpaths-bench-install <game folder> [containers [files]]

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "fixtures/test_files.h"
#include "fixtures/toc_fixture.h"

namespace {

using testing_support::Folder;
using testing_support::MakeFolders;

// Content/Mods/<mod>/<kind>/<group>/<prefix>_<kind>_<n>.{uasset,uexp}
Folder ModTree(const std::string& mod, int files) {
  static const char* const kKinds[][2] = {{"Meshes", "SM"},
                                          {"Textures", "T"},
                                          {"Materials", "MI"},
                                          {"Blueprints", "BP"},
                                          {"Animations", "A"}};
  const int groupsPerKind = 10;
  const int perGroup = files / (5 * groupsPerKind * 2);
  Folder modFolder{mod, {}, {}};
  int made = 0;
  // A small mod keeps its few assets in its own folder.
  for (; perGroup == 0 && made + 2 <= files; made += 2) {
    modFolder.files.push_back("SM_" + mod + "_" + std::to_string(made / 2) + ".uasset");
    modFolder.files.push_back("SM_" + mod + "_" + std::to_string(made / 2) + ".uexp");
  }
  for (const auto& kind : kKinds) {
    Folder kindFolder{kind[0], {}, {}};
    for (int group = 0; group < groupsPerKind; ++group) {
      Folder groupFolder{"Set" + std::to_string(group), {}, {}};
      for (int i = 0; i < perGroup; ++i, made += 2) {
        const std::string stem = std::string(kind[1]) + "_" + mod + "_" + std::to_string(group) +
                                 "_" + std::to_string(i);
        groupFolder.files.push_back(stem + ".uasset");
        groupFolder.files.push_back(stem + ".uexp");
      }
      kindFolder.folders.push_back(std::move(groupFolder));
    }
    modFolder.folders.push_back(std::move(kindFolder));
  }
  for (; perGroup > 0 && made < files; ++made)
    modFolder.files.push_back("Extra_" + std::to_string(made) + ".ubulk");
  return Folder{
      "",
      {Folder{"HollowVoyage", {Folder{"Content", {Folder{"Mods", {modFolder}, {}}}, {}}}, {}}},
      {}};
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2 || argc > 4) {
    std::fprintf(stderr, "usage: %s <game folder> [containers [files]]\n", argv[0]);
    return 2;
  }
  const std::string game = argv[1];
  const int containers = argc > 2 ? std::atoi(argv[2]) : 100;
  const int files = argc > 3 ? std::atoi(argv[3]) : 10000;
  MakeFolders(game + "/Binaries/Win64");
  MakeFolders(game + "/Content/Paks/Mods");
  std::ofstream(game + "/Binaries/Win64/SourceSave.sav", std::ios::binary) << "GVAS benchmark";
  for (int c = 0; c < containers; ++c) {
    const std::string mod = "Mod" + std::to_string(c);
    // Each file is a chunk; a tenth of them are split into compressed blocks.
    auto toc = testing_support::MakeToc(
        testing_support::MakeDirectoryIndex("../../../", ModTree(mod, files)), files, files / 10,
        IoStore::ContainerFlags::Compressed);
    toc.Header.ContainerId = 0xB0000000u + static_cast<uint64_t>(c);  // one each, as packed
    const std::string folder = game + "/Content/Paks" + (c % 2 ? "/Mods/" : "/");
    if (!testing_support::WriteToc(std::move(toc), folder + mod + ".utoc")) {
      std::fprintf(stderr, "cannot write %s\n", (folder + mod + ".utoc").c_str());
      return 1;
    }
    // The data and the pak a packed mod has beside its table of contents.
    testing_support::WriteFile(folder + mod + ".ucas", testing_support::Bytes{});
    testing_support::WriteFile(folder + mod + ".pak", testing_support::Bytes{});
  }
  return 0;
}
