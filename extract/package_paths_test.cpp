#include "extract/package_paths.h"

#include <gtest/gtest.h>

#include "fixtures/toc_fixture.h"

namespace modpaths {
namespace {

using testing_support::Folder;
using testing_support::MakeDirectoryIndex;
using testing_support::MakeToc;
using Paths = std::vector<std::string>;

const Folder kWorkedExample = testing_support::WorkedExample();

TEST(ExtractPackagePaths, RewritesTheWorkedExample) {
  for (const char* mount : {"../../../", "../../.."}) {
    EXPECT_EQ(ExtractPackagePaths(MakeToc(MakeDirectoryIndex(mount, kWorkedExample))),
              (Paths{"/Game/Mods/Foo.Foo", "../../../HollowVoyage/Plugins/Extra/Baz.Baz"}))
        << mount;
  }
}

TEST(ExtractPackagePaths, KeepsDuplicatesAndAppendsInWalkOrder) {
  const Folder tree{"", {Folder{"Content", {}, {"A.uasset", "A.uasset"}}}, {"Content/B.uasset"}};
  Paths paths{"earlier"};
  ExtractPackagePaths(MakeToc(MakeDirectoryIndex("", tree)), paths);
  EXPECT_EQ(paths, (Paths{"earlier", "/Game/A.A", "/Game/A.A", "/Game/B.B"}));
}

TEST(ExtractPackagePaths, GivesNothingForAnEncryptedOrUnreadIndex) {
  EXPECT_TRUE(ExtractPackagePaths(IoStore::FIoStoreTocResource()).empty());
}

TEST(MakePackagePath, FollowsTheRewritingRules) {
  struct Case {
    const char* file;
    const char* package;  // null: dropped
  } const cases[] = {
      {"../../../HollowVoyage/Content/Top.uasset", "/Game/Top.Top"},
      // The character after "Content" goes whatever it is.
      {"../../../HollowVoyage/ContentPack/A.uasset", "/Game/ack/A.A"},
      // ... one whole character: "ContentМоды" loses "М", not half of it.
      {"../../../HollowVoyage/Content\xD0\x9C\xD0\xBE\xD0\xB4\xD1\x8B/A.uasset",
       "/Game/\xD0\xBE\xD0\xB4\xD1\x8B/A.A"},
      // ... of three or four bytes too; a lead byte cut short counts as far
      // as its continuation bytes go, a stray continuation byte alone.
      {"Content\xE5\x9C\xB0\xE5\x9B\xBE/A.uasset", "/Game/\xE5\x9B\xBE/A.A"},
      {"Content\xF0\x9F\x98\x80x/A.uasset", "/Game/x/A.A"},
      {"Content\xE5\x9C/A.uasset", "/Game//A.A"},
      {"Content\xF8x/A.uasset", "/Game/x/A.A"},
      {"Content\x80x/A.uasset", "/Game/x/A.A"},
      {"../../../HollowVoyage/Content/Content/X.uasset", "/Game/Content/X.X"},
      // The last ".uasset" decides, and need not end the path.
      {"../../../HollowVoyage/Content/Old/A.uasset.bak", "/Game/Old/A.A"},
      {"../../../HollowVoyage/Content/Mods/My.Asset.uasset", "/Game/Mods/My.Asset.My.Asset"},
      {"../../../HollowVoyage/content/Mods/Foo.uasset",
       "../../../HollowVoyage/content/Mods/Foo.Foo"},
      {"../../../HollowVoyage/Content/Mods/Foo.UASSET", nullptr},
      {"../../../HollowVoyage/Content//Mods/Foo.uasset", "/Game/Mods/Foo.Foo"},
      {"../../..//HollowVoyage/Content/Mods//Foo.uasset", "/Game/Mods//Foo.Foo"},
      {"Foo.uasset", "Foo.Foo"},
      {".uasset", "."},
      // "Content" with nothing after it leaves "/Game/", which names no package.
      {"../../../HollowVoyage/Content", nullptr},
      {"x/Content.uasset", nullptr},  // the dot after "Content" is the one dropped
      {"", nullptr},
  };
  std::string out = "scratch from before";
  for (const Case& c : cases) {
    const bool kept = MakePackagePath(c.file, out);
    EXPECT_EQ(kept, c.package != nullptr) << c.file;
    if (kept && c.package) {
      EXPECT_EQ(out, c.package) << c.file;
    }
  }
}

}  // namespace
}  // namespace modpaths
