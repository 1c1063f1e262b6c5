// What a player sees of the tool: the save it writes, or leaves alone.

#include <optional>

#include "iostore/toc_resource.h"
#include "testing/end_to_end.h"

namespace {

using namespace testing_support;
const std::string kMarker = kClosingMarker;

// Without mods: the save the tool leaves for each starting state, and its
// exit status: 1 only when a template that is there cannot be read.
TEST_P(EndToEnd, WritesTheTemplateAndAnEmptyListOrLeavesTheSaveAlone) {
  const Bytes older = Hex("0F 0E 0D");
  struct Case {
    const char* what;
    std::string game;
    bool saveFolder;
    std::optional<Bytes> previous;
    enum { kBytes, kFolder, kNone } templateKind;
    Bytes templateBytes;
    std::optional<Bytes> expected;  // nullopt: no save folder at all
    int status = 0;
  } const cases[] = {
      {"the template and an empty list", "Game", true, std::nullopt, Case::kBytes,
       Hex("AA BB 00 CC"), Hex("AA BB 00 CC 00 00 00 00" + kMarker)},
      // Cyrillic and CJK, outside any single ANSI code page.
      {"from non-Latin folders", "\xD0\x98\xD0\xB3\xD1\x80\xD0\xB0 \xE6\xB8\xB8\xE6\x88\x8F", true,
       std::nullopt, Case::kBytes, Hex("01 02"), Hex("01 02 00 00 00 00" + kMarker)},
      {"without a template, nothing", "Game", true, older, Case::kNone, {}, older},
      {"with a template that is a folder, nothing, and a failure", "Game", true, older,
       Case::kFolder, {}, older, 1},
      {"no save folders made", "Game", false, std::nullopt, Case::kBytes, Hex("01"), std::nullopt},
      {"an older save replaced whole",
       "Game",
       true,
       Bytes(4096, 0x33),
       Case::kBytes,
       {},
       Hex("00 00 00 00" + kMarker)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    auto install = Install(c.game);
    RemoveTree(install->saveFolder);  // the user's, shared by the cases
    if (c.saveFolder) MakeFolders(install->saveFolder);
    if (c.previous) WriteFile(install->output, *c.previous);
    const std::string templatePath = install->binaries + "/SourceSave.sav";
    if (c.templateKind == Case::kBytes) WriteFile(templatePath, c.templateBytes);
    if (c.templateKind == Case::kFolder) MakeFolders(templatePath);
    EXPECT_EQ(Run(*install), c.status);
    if (!c.expected) {
      EXPECT_FALSE(FileExists(install->saveFolder));
      continue;
    }
    EXPECT_EQ(ReadFile(install->output), *c.expected);
    EXPECT_EQ(ListNames(install->saveFolder), std::vector<std::string>{"ModManager_ModPaths.sav"});
  }
}

TEST_P(EndToEnd, FindsItsWayFromFoldersBeyond260Characters) {
  std::string deep = "Game";
  while (deep.size() < 300) deep += "/Nested Folder Level " + std::to_string(deep.size());
  auto install = Install(deep);
  ASSERT_GT(install->executable.size(), 330u);
  MakeFolders(install->saveFolder);
  WriteFile(install->binaries + "/SourceSave.sav", Hex("01 02"));
  ASSERT_TRUE(PlaceContainer(install->paks + "/Mods/Far.utoc", ModTree("Far", {"F.uasset"})));
  EXPECT_EQ(Run(*install), 0);
  Paths written;
  ASSERT_TRUE(ParseSave(ReadFile(install->output), Hex("01 02"), written));
  EXPECT_EQ(written, Paths{"/Game/Mods/Far/F.F"});
}

TEST_P(EndToEnd, WritesThePackagePathsOfEveryModContainer) {
  const std::string cyrillicCjk = "\xD0\x9C\xD0\xBE\xD0\xB4\xE6\xA8\xA1\xE7\xBB\x84";  // Мод模组
  auto install = Install("\xD0\x98\xD0\xB3\xD1\x80\xD0\xB0 \xE6\xB8\xB8\xE6\x88\x8F");
  MakeFolders(install->saveFolder);
  const Bytes templateBytes = Hex("47 56 41 53 00 01 02 03");
  WriteFile(install->binaries + "/SourceSave.sav", templateBytes);
  const std::string& paks = install->paks;

  ASSERT_TRUE(PlaceContainer(paks + "/ExampleMod.utoc", WorkedExample()));
  ASSERT_TRUE(PlaceContainer(paks + "/Alpha.utoc",
                             ModTree("Alpha", {"A1.uasset", "A1.uexp", "A2.uasset"})));
  ASSERT_TRUE(PlaceContainer(paks + "/Mods/Beta.utoc", ModTree("Beta", {"B.uasset"})));
  ASSERT_TRUE(
      PlaceContainer(paks + "/Mods/" + cyrillicCjk + ".utoc", ModTree(cyrillicCjk, {"X.uasset"})));
  ASSERT_TRUE(PlaceContainer(paks + "/Mods/Global.utoc", ModTree("Gamma", {"G.uasset"})));
  // Skipped: base-game names, other extensions, two levels down.
  ASSERT_TRUE(PlaceContainer(paks + "/global.utoc", ModTree("Base", {"Base.uasset"})));
  ASSERT_TRUE(
      PlaceContainer(paks + "/pakchunk0-WindowsNoEditor.utoc", ModTree("Base", {"Base.uasset"})));
  ASSERT_TRUE(PlaceContainer(paks + "/Mods/pakchunk25optional-WindowsNoEditor.utoc",
                             ModTree("Base", {"Base.uasset"})));
  ASSERT_TRUE(PlaceContainer(paks + "/Alpha.UTOC", ModTree("Base", {"Base.uasset"})));
  ASSERT_TRUE(PlaceContainer(paks + "/Mods/Deep/Deep.utoc", ModTree("Base", {"Base.uasset"})));
  // Read but giving nothing: an encrypted container and a truncated one.
  ASSERT_TRUE(PlaceContainer(paks + "/Secret.utoc", ModTree("Secret", {"S.uasset"}),
                             IoStore::ContainerFlags::Encrypted));
  ASSERT_TRUE(PlaceContainer(paks + "/Cut.utoc", ModTree("Cut", {"C.uasset"})));
  Bytes cut = ReadFile(paks + "/Cut.utoc");
  cut.resize(150);
  WriteFile(paks + "/Cut.utoc", cut);

  EXPECT_EQ(Run(*install), 0);
  Paths written;
  ASSERT_TRUE(ParseSave(ReadFile(install->output), templateBytes, written));
  EXPECT_TRUE(AreContainersInSomeOrder(
      written, {{"/Game/Mods/Foo.Foo", "../../../HollowVoyage/Plugins/Extra/Baz.Baz"},
                {"/Game/Mods/Alpha/A1.A1", "/Game/Mods/Alpha/A2.A2"},
                {"/Game/Mods/Beta/B.B"},
                {"/Game/Mods/" + cyrillicCjk + "/X.X"},
                {"/Game/Mods/Gamma/G.G"}}));
}

// Names in the modder's own language reach the container in the engine's
// UTF-16 form, and the save in the same form, which the game reads whole.
TEST_P(EndToEnd, WritesNamesInAnyLanguageAsTheEngineReadsThem) {
  const std::string mods = "\xD0\x9C\xD0\xBE\xD0\xB4\xD1\x8B";  // Моды
  const std::string map = "\xE5\x9C\xB0\xE5\x9B\xBE";           // 地图
  const std::string ship = "\xF0\x9F\x9A\xA2";                  // U+1F6A2
  const std::string shield = "\xD0\xA9\xD0\xB8\xD1\x82";        // Щит
  auto install = Install();
  MakeFolders(install->saveFolder);
  WriteFile(install->binaries + "/SourceSave.sav", Hex("01"));
  const Folder tree{
      "", {Folder{map, {}, {shield + ".uasset"}}, Folder{ship, {}, {"Caf\xC3\xA9.uasset"}}}, {}};
  ASSERT_TRUE(
      WriteToc(MakeToc(MakeDirectoryIndex("../../../HollowVoyage/Content/" + mods + "/", tree)),
               install->paks + "/" + mods + ".utoc"));
  EXPECT_EQ(Run(*install), 0);
  Paths written;
  ASSERT_TRUE(ParseSave(ReadFile(install->output), Hex("01"), written));
  EXPECT_EQ(written, (Paths{"/Game/" + mods + "/" + map + "/" + shield + "." + shield,
                            "/Game/" + mods + "/" + ship + "/Caf\xC3\xA9.Caf\xC3\xA9"}));
}

INSTANTIATE_TEST_SUITE_P(Runners, EndToEnd, ::testing::Values("native", "wine"),
                         [](const auto& instance) { return instance.param; });

}  // namespace
