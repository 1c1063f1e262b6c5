// Writes the fuzzers' seed corpora, made by the writers: containers, one
// for each shape the reader distinguishes, and saves.
//   modpaths-fuzz-seeds <container folder> [<save folder>]

#include <cstdio>
#include <string>
#include <vector>

#include "app/save_file.h"
#include "testing/toc_fixture.h"

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
               {"/Game/Mods/Foo.Foo", "", "../../../HollowVoyage/Plugins/Extra/Baz.Baz"});
  }
  if (!good) std::fprintf(stderr, "cannot write the seeds\n");
  return good ? 0 : 1;
}
