#include "extract/directory_walk.h"

#include <gtest/gtest.h>

#include "fixtures/toc_fixture.h"

namespace modpaths {
namespace {

using IoStore::FIoDirectoryIndexResource;
using IoStore::kNoEntry;
using testing_support::Folder;
using testing_support::MakeDirectoryIndex;

// Hand-made indices here all have the mount point "M".
struct RawIndex : testing_support::RawIndex {
  RawIndex(std::initializer_list<const char*> names) : testing_support::RawIndex("M", names) {}
};
using Paths = std::vector<std::string>;

Paths Walk(const FIoDirectoryIndexResource& index, WalkAnomalies* anomalies = nullptr) {
  Paths paths;
  ForEachFilePath(
      index.MountPoint.Value(), 0, index.StringTable, index.DirectoryEntries, index.FileEntries,
      [&](std::string_view path) { paths.emplace_back(path); }, anomalies);
  return paths;
}

TEST(DirectoryWalk, ListsSubdirectoriesFirstThenTheDirectorysOwnFiles) {
  const auto index = MakeDirectoryIndex(
      "M",
      Folder{
          "", {Folder{"A", {}, {"a1"}}, Folder{"B", {Folder{"C", {}, {"c1"}}}, {"b1"}}}, {"r1"}});
  EXPECT_EQ(Walk(index), (Paths{"M/A/a1", "M/B/C/c1", "M/B/b1", "M/r1"}));

  Paths viaList;
  WalkDirectoryIndex("M", 0, viaList, index.StringTable, index.DirectoryEntries, index.FileEntries);
  EXPECT_EQ(viaList, Walk(index));
}

TEST(DirectoryWalk, KeepsTheMountPointAsStored) {
  const Folder tree{"", {Folder{"Content", {}, {"x.uasset", "x.uasset"}}}, {}};
  EXPECT_EQ(Walk(MakeDirectoryIndex("", tree)), (Paths{"/Content/x.uasset", "/Content/x.uasset"}));
  EXPECT_EQ(Walk(MakeDirectoryIndex("../../../", tree)).front(), "../../..//Content/x.uasset");
}

TEST(DirectoryWalk, FollowsLinksRatherThanTableOrder) {
  // Root's files linked 1 -> 0; UserData plays no part.
  RawIndex raw({"zero", "one"});
  raw.Dir(kNoEntry, kNoEntry, kNoEntry, 1).File(0, kNoEntry).File(1, 0);
  raw.index.FileEntries.elements[0].UserData = 12345;
  EXPECT_EQ(Walk(raw.index), (Paths{"M/one", "M/zero"}));
}

TEST(DirectoryWalk, GivesNothingWithoutARootOrEntries) {
  WalkAnomalies anomalies;
  EXPECT_TRUE(Walk(FIoDirectoryIndexResource(), &anomalies).empty());
  EXPECT_TRUE(anomalies.noRoot);
  EXPECT_TRUE(Walk(MakeDirectoryIndex("M", Folder{})).empty());
}

TEST(DirectoryWalk, EndsChainsAtLinksAndNamesOutOfRange) {
  RawIndex raw({"a", "f"});
  raw.Dir(kNoEntry, 1, kNoEntry, 0)
      .Dir(0, 7, 2, 5)         // child out of range; file out of range
      .Dir(9, kNoEntry, 3, 0)  // name out of range: ends the root's children here
      .Dir(0, kNoEntry, kNoEntry, kNoEntry)
      .File(1, 1)
      .File(4, kNoEntry);  // name out of range
  WalkAnomalies anomalies;
  EXPECT_EQ(Walk(raw.index, &anomalies), (Paths{"M/f"}));
  EXPECT_EQ(anomalies.linksOutOfRange, 2u);
  EXPECT_EQ(anomalies.namesOutOfRange, 2u);
}

TEST(DirectoryWalk, EndsLoopsAndVisitsSharedEntriesOnce) {
  RawIndex raw({"d", "e", "f", "g"});
  raw.Dir(kNoEntry, 1, kNoEntry, 0)
      .Dir(0, 1, 2, 1)  // its own child
      .Dir(1, 1, 1, 1)  // shares directory 1 and file 1; loops through its sibling
      .File(2, 0)       // a chain back to itself
      .File(3, kNoEntry);
  WalkAnomalies anomalies;
  EXPECT_EQ(Walk(raw.index, &anomalies), (Paths{"M/d/g", "M/f"}));
  EXPECT_EQ(anomalies.entriesMetTwice, 5u);
}

TEST(DirectoryWalk, DoesNotMultiplyPathsThroughDoubleLinks) {
  // 60 levels, each with two entries whose children are both the next
  // level's first entry: 2^60 paths if every link were followed.
  RawIndex raw({"x", "y", "leaf"});
  testing_support::AddDoubleLinkLadder(raw, 60);
  raw.File(2, kNoEntry);
  WalkAnomalies anomalies;
  const Paths paths = Walk(raw.index, &anomalies);
  ASSERT_EQ(paths.size(), 1u);
  EXPECT_EQ(paths[0].size(), 1 + 60 * 2 + 5u);
  EXPECT_EQ(anomalies.entriesMetTwice, 2 * 59u);  // each second entry: its child and its file
}

TEST(DirectoryWalk, WalksA100000LevelTree) {
  RawIndex raw({"d", "deepest.uasset", "top.uasset"});
  const uint32_t depth = 100000;
  testing_support::AddChain(raw, depth, 0);
  raw.index.DirectoryEntries.elements[0].FirstFileEntry = 1;  // the root's own file
  raw.File(1, kNoEntry).File(2, kNoEntry);
  const Paths paths = Walk(raw.index);
  ASSERT_EQ(paths.size(), 2u);
  EXPECT_EQ(paths[0].size(), 1 + 2 * depth + 15);
  EXPECT_EQ(paths[0].substr(paths[0].size() - 19), "/d/d/deepest.uasset");
  EXPECT_EQ(paths[1], "M/top.uasset");
}

TEST(DirectoryWalk, StopsWhenPathsOutgrowTheTablesQuadratically) {
  // A chain 20 000 levels deep with a file on every level: 20 000 paths of
  // up to 40 000 bytes, 400 MB from tables of well under 1 MB.
  RawIndex raw({"d", "f.uasset"});
  const uint32_t depth = 20000;
  for (uint32_t level = 0; level < depth; ++level) {
    raw.Dir(0, level + 1 < depth ? level + 1 : kNoEntry, kNoEntry, level);
    raw.File(1, kNoEntry);
  }
  WalkAnomalies anomalies;
  uint64_t bytes = 0;
  uint64_t count = 0;
  ForEachFilePath(
      "M", 0, raw.index.StringTable, raw.index.DirectoryEntries, raw.index.FileEntries,
      [&](std::string_view path) { bytes += path.size(), ++count; }, &anomalies);
  EXPECT_TRUE(anomalies.outputLimitReached);
  EXPECT_LE(bytes, kPathBytesAllowance + kPathBytesPerTableByte * (28 * depth + 20));
  EXPECT_GT(count, 0u);
}

}  // namespace
}  // namespace modpaths
