// The demo's sample installation: a template save, base-game containers
// and a few mods, one of them encrypted.
//   modpaths-sample <game folder>

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "testing/test_files.h"
#include "testing/toc_fixture.h"

namespace {

using testing_support::Folder;
using testing_support::MakeFolders;

Folder InContent(std::vector<Folder> folders) {
  return Folder{"", {Folder{"HollowVoyage", {Folder{"Content", std::move(folders), {}}}, {}}}, {}};
}

// A container as the game ships one: the table of contents with its data
// (.ucas) and pak beside it; here they are empty, nothing reads them.
bool Container(const std::string& path, const Folder& tree, uint8_t flags = 0) {
  MakeFolders(path.substr(0, path.rfind('/')));
  const std::string stem = path.substr(0, path.size() - 5);
  testing_support::WriteFile(stem + ".ucas", std::string_view());
  testing_support::WriteFile(stem + ".pak", std::string_view());
  return testing_support::WriteToc(
      testing_support::MakeToc(testing_support::MakeDirectoryIndex("../../../", tree), 4, 1, flags),
      path);
}

int Make(const std::string& game) {
  MakeFolders(game + "/Binaries/Win64");
  // Any bytes do: the tool copies the template without looking inside.
  const char kTemplate[] = "GVAS\x02\x00\x00\x00sample template";
  std::ofstream(game + "/Binaries/Win64/SourceSave.sav", std::ios::binary)
      .write(kTemplate, sizeof kTemplate - 1);

  const std::string paks = game + "/Content/Paks";
  const Folder base = InContent({Folder{"Maps", {}, {"Harbour.umap", "Harbour.uasset"}}});
  const Folder sails =
      InContent({Folder{"Mods",
                        {Folder{"BetterSails",
                                {Folder{"Meshes", {}, {"SM_Sail.uasset", "SM_Sail.uexp"}},
                                 Folder{"Textures", {}, {"T_Sail_D.uasset", "T_Sail_D.ubulk"}}},
                                {"BP_Sail.uasset"}}},
                        {}}});
  const Folder locked = InContent({Folder{"Mods", {}, {"Secret.uasset"}}});
  const bool made =
      Container(paks + "/global.utoc", base) &&
      Container(paks + "/pakchunk0-WindowsNoEditor.utoc", base) &&
      Container(paks + "/ExampleMod.utoc", testing_support::WorkedExample()) &&
      Container(paks + "/Mods/BetterSails.utoc", sails) &&
      Container(paks + "/Mods/LockedMod.utoc", locked, IoStore::ContainerFlags::Encrypted);
  if (!made) std::fprintf(stderr, "cannot write the sample containers\n");
  return made ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s <game folder>\n", argv[0]);
    return 2;
  }
  return Make(argv[1]);
}
