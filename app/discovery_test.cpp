#include "app/discovery.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "platform/file_system.h"
#include "fixtures/test_files.h"
#include "fixtures/toc_fixture.h"

namespace modpaths {
namespace {

using platform::kPosixPaths;
using platform::kWindowsPaths;
using testing_support::Folder;
using testing_support::MakeDirectoryIndex;
using testing_support::MakeFolders;
using testing_support::MakeToc;
using testing_support::TempDir;
using testing_support::WriteFile;
using testing_support::WriteToc;
using Paths = std::vector<std::string>;

TEST(Discovery, TakesTheExtensionFromTheLastDotOfTheWholePath) {
  EXPECT_EQ(GetExtension("D:\\Paks\\Mod.High.utoc"), ".utoc");
  EXPECT_EQ(GetExtension("D:\\Paks\\My.Mods\\Readme"), ".Mods\\Readme");
  EXPECT_EQ(GetExtension("noextension"), "noextension");
}

TEST(Discovery, SelectsModContainersByExtensionAndBaseGameName) {
  const std::map<std::string, bool> cases = {
      {"D:\\Paks\\ExampleMod.utoc", true},
      {"D:\\Paks\\Mods\\ExampleMod.utoc", true},
      {"D:\\Paks\\ExampleMod.High.utoc", true},
      {"D:\\Paks\\ExampleMod.UTOC", false},
      {"D:\\Paks\\ExampleMod.utoc.bak", false},
      {"D:\\Paks\\ExampleMod.ucas", false},
      {"D:\\Paks\\global.utoc", false},
      {"D:\\Paks\\Backup\\global.utoc", false},
      {"D:\\Paks\\Global.utoc", true},
      {"D:\\Paks\\pakchunk3-WindowsNoEditor.utoc", false},
      {"D:\\Paks\\pakchunk25optional-WindowsNoEditor.utoc", false},
      {"D:\\Paks\\pakchunk9-WindowsNoEditor.utoc", true},
      {"D:\\Paks\\pakchunk11-WindowsNoEditor.utoc", true},
      {"D:\\Paks\\pakchunk10optional-WindowsNoEditor.utoc", true},
      {"D:\\Paks\\My.Mods\\Readme", false},
  };
  for (const auto& [path, selected] : cases) {
    EXPECT_EQ(IsModContainer(path, kWindowsPaths), selected) << path;
  }
  for (std::string_view base : BaseGameContainers) {
    EXPECT_FALSE(IsModContainer("D:\\Paks\\" + std::string(base), kWindowsPaths)) << base;
  }
}

class DiscoveryOnDisk : public ::testing::Test {
 protected:
  void Container(const std::string& relative, const std::string& folderName) {
    const std::string path = paks + "/" + relative;
    MakeFolders(path.substr(0, path.rfind('/')));
    const Folder tree{
        "",
        {Folder{
            "HV",
            {Folder{"Content", {Folder{folderName, {}, {"A.uasset", "B.uexp", "C.uasset"}}}, {}}},
            {}}},
        {}};
    ASSERT_TRUE(WriteToc(MakeToc(MakeDirectoryIndex("../../../", tree)), path));
  }
  TempDir dir;
  std::string paks = dir / "Content/Paks";
};

TEST_F(DiscoveryOnDisk, ListsTheFolderAndItsImmediateSubfoldersOnly) {
  MakeFolders(paks + "/Mods/Deep");
  MakeFolders(paks + "/Extra.utoc");
  WriteFile(paks + "/top.utoc", "");
  WriteFile(paks + "/Mods/inner.utoc", "");
  WriteFile(paks + "/Mods/Deep/deep.utoc", "");
  WriteFile(paks + "/Extra.utoc/file.txt", "");
  // The listing joins names with the system's separator.
  auto listed = [&](bool recurse) {
    Paths files = ListFiles(paks, recurse);
    for (std::string& file : files) std::replace(file.begin(), file.end(), '\\', '/');
    std::sort(files.begin(), files.end());
    return files;
  };
  EXPECT_EQ(listed(true),
            (Paths{paks + "/Extra.utoc/file.txt", paks + "/Mods/inner.utoc", paks + "/top.utoc"}));
  EXPECT_EQ(listed(false), Paths{paks + "/top.utoc"});
  EXPECT_TRUE(ListFiles(dir / "missing", true).empty());
}

TEST_F(DiscoveryOnDisk, CollectsEachModContainerOnceAndWhole) {
  Container("First.utoc", "First");
  Container("Mods/Second.utoc", "Second");
  Container("Mods/Global.utoc", "Third");
  Container("global.utoc", "Base");
  Container("Backup/pakchunk0-WindowsNoEditor.utoc", "Base");
  Container("Mods/Deep/Hidden.utoc", "Base");
  Container("Off.utoc.bak", "Base");
  WriteFile(paks + "/Truncated.utoc", testing_support::Bytes(100, 0));
  WriteFile(paks + "/Mods/Readme.txt", "not a container");

  // Containers follow the listing order, which is the system's; within a
  // container the paths keep the walk's order.
  std::map<std::string, Paths> byContainer;
  Paths order;
  for (const std::string& path : CollectModPaths(paks)) {
    const std::string container = path.substr(6, path.find('/', 6) - 6);
    if (byContainer.find(container) == byContainer.end()) order.push_back(container);
    byContainer[container].push_back(path);
  }
  EXPECT_EQ(byContainer.size(), 3u);
  EXPECT_EQ(byContainer["First"], (Paths{"/Game/First/A.A", "/Game/First/C.C"}));
  EXPECT_EQ(byContainer["Second"], (Paths{"/Game/Second/A.A", "/Game/Second/C.C"}));
  EXPECT_EQ(byContainer["Third"], (Paths{"/Game/Third/A.A", "/Game/Third/C.C"}));
  EXPECT_EQ(order.size(), 3u) << "a container's paths were split up";
}

TEST_F(DiscoveryOnDisk, KeepsTheListingOrderAndEveryContainersPathsEvenWhenRepeated) {
  // Enough names that a sorted listing would be a coincidence.
  const std::vector<std::string> top = {"Kestrel", "Albatross", "Mods", "Zephyr", "Heron", "Mods2"};
  for (const std::string& name : top) {
    if (name.rfind("Mods", 0) == 0) {
      Container(name + "/" + name + "Inner.utoc", name + "Inner");
    } else {
      Container(name + ".utoc", name);
    }
  }
  Container("Mods/Again.utoc", "Kestrel");  // gives Kestrel's paths a second time

  // What the system lists, with each subfolder's containers in its place.
  Paths expected;
  auto add = [&](const std::string& folder) {
    for (const std::string file : {"A", "C"})
      expected.push_back("/Game/" + folder + "/" + file + "." + file);
  };
  const auto listed = platform::ListFolder(paks);
  ASSERT_TRUE(listed);
  for (const platform::DirectoryEntry& entry : *listed) {
    if (!entry.isFolder) {
      add(entry.name.substr(0, entry.name.size() - 5));
      continue;
    }
    const auto inner = platform::ListFolder(paks + platform::kNativePaths.separator + entry.name);
    ASSERT_TRUE(inner);
    for (const platform::DirectoryEntry& file : *inner) {
      add(file.name == "Again.utoc" ? "Kestrel" : entry.name + "Inner");
    }
  }
  const Paths collected = CollectModPaths(paks);
  EXPECT_EQ(collected, expected);
  EXPECT_EQ(std::count(collected.begin(), collected.end(), "/Game/Kestrel/A.A"), 2);
}

}  // namespace
}  // namespace modpaths
