// Writes the fuzzers' seed corpora, made by the writers: containers, one
// for each shape the reader distinguishes, and saves.
//   modpaths-fuzz-seeds <container folder> [<save folder>]

#include <cstdio>
#include <string>
#include <vector>

#include "app/save_file.h"
#include "fixtures/toc_fixture.h"

namespace {

using testing_support::Folder;
using testing_support::MakeDirectoryIndex;
using testing_support::MakeToc;

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2 && argc != 3) {
    std::fprintf(stderr, "usage: %s <container folder> [<save folder>]\n", argv[0]);
    return 2;
  }
  const std::string folder = argv[1];
  Folder worked = testing_support::WorkedExample();
  worked.files.push_back("root.uasset");
  Folder deep{"", {}, {}};
  Folder* level = &deep;
  for (int i = 0; i < 40; ++i) {
    level->folders.push_back(
        Folder{i % 7 == 3 ? "Content" : "d" + std::to_string(i), {}, {"x.uasset"}});
    level = &level->folders.back();
  }

  int written = 0;
  bool good = true;
  auto seed = [&](IoStore::FIoStoreTocResource toc) {
    good = good && testing_support::WriteToc(
                       std::move(toc), folder + "/seed" + std::to_string(written++) + ".utoc");
  };
  for (uint8_t flags = 0; flags < 8; ++flags)
    seed(MakeToc(MakeDirectoryIndex("../../../", worked), 2, 1, flags));
  // Names beyond 7-bit go out in the engine's UTF-16 form, with negative
  // counts: Cyrillic, CJK, an emoji (a surrogate pair) and an accent.
  const Folder beyondAscii{"",
                           {Folder{"\xD0\x9C\xD0\xBE\xD0\xB4\xD1\x8B",
                                   {Folder{"Content", {}, {"\xE5\x9C\xB0\xE5\x9B\xBE.uasset"}}},
                                   {"\xF0\x9F\x9A\xA2.uasset", "Caf\xC3\xA9.uasset"}}},
                           {}};
  seed(MakeToc(MakeDirectoryIndex("../../../\xD0\x98\xD0\xB3\xD1\x80\xD0\xB0/", beyondAscii), 1, 0,
               0));
  auto bare = MakeToc(MakeDirectoryIndex("../../../", worked), 2, 0, 0);
  bare.NoDirectoryIndex = true;
  bare.Header.DirectoryIndexSize = 0;
  seed(bare);
  seed(MakeToc(MakeDirectoryIndex("", deep), 0, 0, 0));
  seed(MakeToc(MakeDirectoryIndex("../../..", Folder{}), 0, 0, 0));
  auto named =
      MakeToc(MakeDirectoryIndex("../../../", worked), 1, 2, IoStore::ContainerFlags::Compressed);
  named.Header.CompressionMethodNameCount = 3;
  named.MoreCompressionMethodNames.resize(2);
  seed(named);
  if (argc == 3) {
    const std::string saves = argv[2];
    const std::vector<uint8_t> templ = {'G', 'V', 'A', 'S', 0, 1, 2, 3};
    good = good && modpaths::WriteModPathsSave(saves + "/empty.sav", {}, {}) &&
           modpaths::WriteModPathsSave(saves + "/none.sav", templ, {}) &&
           modpaths::WriteModPathsSave(
               saves + "/some.sav", templ,
               {"/Game/Mods/Foo.Foo", "", "../../../HollowVoyage/Plugins/Extra/Baz.Baz"}) &&
           modpaths::WriteModPathsSave(saves + "/wide.sav", templ,
                                       {"/Game/\xD0\x9C\xD0\xBE\xD0\xB4\xD1\x8B/\xD0\xA9.\xD0\xA9",
                                        "/Game/\xF0\x9F\x9A\xA2.\xF0\x9F\x9A\xA2", "/Game/A.A"});
    // UTF-16 records whose last unit and terminator read as a small count.
    std::vector<std::string> misleading;
    for (int i = 0; i < 66; ++i)
      misleading.push_back("/Game/\xD0\x9C\xD0\xBE\xD0\xB4\xD1\x8B/" + std::to_string(i) + "A");
    good = good && modpaths::WriteModPathsSave(saves + "/counts-inside.sav", templ, misleading);
  }
  if (!good) std::fprintf(stderr, "cannot write the seeds\n");
  return good ? 0 : 1;
}
