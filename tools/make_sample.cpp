// The demo's sample installation, and a reader for what the tool wrote.
//   modpaths-sample make <game folder>
//   modpaths-sample show <save file> <template>

#include <sys/stat.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "testing/toc_fixture.h"

namespace {

using testing_support::Folder;

void MakeFolders(const std::string& path) {
  for (size_t slash = path.find('/', 1);; slash = path.find('/', slash + 1)) {
    mkdir(path.substr(0, slash).c_str(), 0777);
    if (slash == std::string::npos) break;
  }
}

Folder InContent(std::vector<Folder> folders) {
  return Folder{"", {Folder{"HollowVoyage", {Folder{"Content", std::move(folders), {}}}, {}}}, {}};
}

bool Container(const std::string& path, const Folder& tree, uint8_t flags = 0) {
  MakeFolders(path.substr(0, path.rfind('/')));
  return testing_support::WriteToc(
      testing_support::MakeToc(testing_support::MakeDirectoryIndex("../../../", tree), 4, 1, flags), path);
}

int Make(const std::string& game) {
  MakeFolders(game + "/Binaries/Win64");
  // Any bytes do: the tool copies the template without looking inside.
  const char kTemplate[] = "GVAS\x02\x00\x00\x00sample template";
  std::ofstream(game + "/Binaries/Win64/SourceSave.sav", std::ios::binary)
      .write(kTemplate, sizeof kTemplate - 1);

  const std::string paks = game + "/Content/Paks";
  const Folder base = InContent({Folder{"Maps", {}, {"Harbour.umap", "Harbour.uasset"}}});
  const bool made =
      Container(paks + "/global.utoc", base) &&
      Container(paks + "/pakchunk0-WindowsNoEditor.utoc", base) &&
      Container(paks + "/ExampleMod.utoc",
                Folder{"",
                       {Folder{"HollowVoyage",
                               {Folder{"Content", {Folder{"Mods", {}, {"Foo.uasset", "Foo.uexp"}}}, {}},
                                Folder{"Plugins", {Folder{"Extra", {}, {"Baz.uasset"}}}, {}}},
                               {}}},
                       {}}) &&
      Container(paks + "/Mods/BetterSails.utoc",
                InContent({Folder{"Mods",
                                  {Folder{"BetterSails",
                                          {Folder{"Meshes", {}, {"SM_Sail.uasset", "SM_Sail.uexp"}},
                                           Folder{"Textures", {}, {"T_Sail_D.uasset", "T_Sail_D.ubulk"}}},
                                          {"BP_Sail.uasset"}}},
                                  {}}})) &&
      Container(paks + "/Mods/LockedMod.utoc", InContent({Folder{"Mods", {}, {"Secret.uasset"}}}),
                IoStore::ContainerFlags::Encrypted);
  if (!made) std::fprintf(stderr, "cannot write the sample containers\n");
  return made ? 0 : 1;
}

std::vector<uint8_t> Slurp(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

int Show(const std::string& savePath, const std::string& templatePath) {
  const std::vector<uint8_t> save = Slurp(savePath);
  const std::vector<uint8_t> templ = Slurp(templatePath);
  size_t at = templ.size();
  auto word = [&](int32_t& value) {
    if (save.size() - at < 4) return false;
    std::memcpy(&value, &save[at], 4);
    at += 4;
    return true;
  };
  int32_t count = 0;
  if (save.size() < at || !std::equal(templ.begin(), templ.end(), save.begin()) || !word(count)) {
    std::fprintf(stderr, "%s does not start with the template\n", savePath.c_str());
    return 1;
  }
  std::printf("%d package paths after the %zu template bytes:\n", count, templ.size());
  for (int32_t i = 0; i < count; ++i) {
    int32_t length = 0;
    if (!word(length) || length < 1 || save.size() - at < static_cast<size_t>(length)) {
      std::fprintf(stderr, "record %d is damaged\n", i);
      return 1;
    }
    std::printf("  %.*s\n", length - 1, reinterpret_cast<const char*>(&save[at]));
    at += static_cast<size_t>(length);
  }
  static const uint8_t kMarker[13] = {5, 0, 0, 0, 'N', 'o', 'n', 'e', 0, 0, 0, 0, 0};
  const bool marked = save.size() - at == 13 && std::memcmp(&save[at], kMarker, 13) == 0;
  std::printf("closing marker: %s\n", marked ? "present" : "MISSING");
  return marked ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && std::strcmp(argv[1], "make") == 0) return Make(argv[2]);
  if (argc == 4 && std::strcmp(argv[1], "show") == 0) return Show(argv[2], argv[3]);
  std::fprintf(stderr, "usage: %s make <game folder>\n       %s show <save> <template>\n", argv[0], argv[0]);
  return 2;
}
