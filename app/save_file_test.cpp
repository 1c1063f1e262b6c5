#include "app/save_file.h"

#include <gtest/gtest.h>

#include "platform/process.h"
#include "platform/replacing_file.h"
#include "testing/process.h"
#include "fixtures/test_files.h"

namespace modpaths {
namespace {

using testing_support::Bytes;
using testing_support::Hex;
using testing_support::ListNames;
using testing_support::ReadFile;
using testing_support::TempDir;
using testing_support::WriteFile;

const char* const kMarker = testing_support::kClosingMarker;

class SaveFileTest : public ::testing::Test {
 protected:
  Bytes Written(const Bytes& templateBytes, const std::vector<std::string>& paths) {
    EXPECT_TRUE(WriteModPathsSave(output, templateBytes, paths));
    return ReadFile(output);
  }
  TempDir dir;
  std::string output = dir / "ModManager_ModPaths.sav";
};

TEST_F(SaveFileTest, LaysOutTemplateCountRecordsAndMarker) {
  EXPECT_EQ(Written(Hex("AA BB"), {"ab"}),
            Hex("AA BB 01 00 00 00 03 00 00 00 61 62 00" + std::string(kMarker)));
  EXPECT_EQ(Written(Hex("AA BB"), {}), Hex("AA BB 00 00 00 00" + std::string(kMarker)));
  EXPECT_EQ(Written({}, {""}), Hex("01 00 00 00 01 00 00 00 00" + std::string(kMarker)));
}

TEST_F(SaveFileTest, WritesLongPathsWithTheirLengthAndTerminator) {
  const std::string path40 = "/Game/Mods/Folder/Sub/Asset_012.Asset_01";
  ASSERT_EQ(path40.size(), 40u);
  const Bytes out = Written(Hex("00 FF 00"), {path40, "/Game/X.X"});
  Bytes expected = Hex("00 FF 00 02 00 00 00 29 00 00 00");
  expected.insert(expected.end(), path40.begin(), path40.end());
  expected.push_back(0);
  const Bytes second = Hex("0A 00 00 00 2F 47 61 6D 65 2F 58 2E 58 00");
  expected.insert(expected.end(), second.begin(), second.end());
  const Bytes marker = Hex(kMarker);
  expected.insert(expected.end(), marker.begin(), marker.end());
  EXPECT_EQ(out, expected);
}

TEST_F(SaveFileTest, ReplacesALongerOutputAndLeavesNoTemporaryFile) {
  WriteFile(output, Bytes(5000, 0x55));
  EXPECT_EQ(Written(Hex("01"), {}), Hex("01 00 00 00 00" + std::string(kMarker)));
  EXPECT_EQ(ListNames(dir.path()), std::vector<std::string>{"ModManager_ModPaths.sav"});
}

TEST_F(SaveFileTest, CreatesNoFolders) {
  const std::string deep = dir / "Corvane/HollowVoyage/ModManager_ModPaths.sav";
  EXPECT_FALSE(WriteModPathsSave(deep, Hex("01"), {"a"}));
  EXPECT_TRUE(ListNames(dir.path()).empty());
}

TEST_F(SaveFileTest, LeavesAReadOnlyOutputUntouched) {
  WriteFile(output, Hex("01 02 03"));
  testing_support::SetReadOnly(output);
  EXPECT_FALSE(WriteModPathsSave(output, Hex("AA"), {"/Game/A.A"}));
  EXPECT_EQ(ReadFile(output), Hex("01 02 03"));
  EXPECT_EQ(ListNames(dir.path()), std::vector<std::string>{"ModManager_ModPaths.sav"});
}

TEST_F(SaveFileTest, AWriteThatFailsMidwayKeepsThePreviousOutput) {
  const Bytes previous = Hex("DE AD BE EF");
  WriteFile(output, previous);
  // A child process with a 64 KiB file-size limit writes a 1 MiB save: the
  // write fails partway, as on a full disk.
  const std::optional<int> status = testing_support::RunInChildWithFileSizeLimit(64 * 1024, [&] {
    return WriteModPathsSave(output, Bytes(1 << 20, 0x42), {"/Game/A.A"}) ? 1 : 0;
  });
  if (!status) GTEST_SKIP() << "needs fork and RLIMIT_FSIZE; Windows has neither";
  EXPECT_EQ(*status, 0) << "the save was reported as written";
  EXPECT_EQ(ReadFile(output), previous);
  EXPECT_EQ(ListNames(dir.path()), std::vector<std::string>{"ModManager_ModPaths.sav"});
}

// A killed run's temporary file is removed by the next, once it is old
// enough that no writer can own it; one a live writer has claimed is not,
// even between its last write and its rename; a collection that throws
// leaves none.
TEST_F(SaveFileTest, RemovesOnlyTheTemporaryFilesThatNoWriterOwns) {
  using platform::LeftoverTemporaries;
  using platform::RemoveLeftoverTemporaries;
  for (const char* name : {".77.tmp", ".78-1.tmp", ".held.tmp", ".79.tmp.bak"})
    WriteFile(output + name, Hex("01"));
  EXPECT_EQ(RemoveLeftoverTemporaries(output), 0u) << "just written: a writer may own them";
  {
    platform::ReplacingFile writer;
    ASSERT_TRUE(writer.Create(output));
    ASSERT_TRUE(writer.file().Write("new", 3) && writer.file().Sync());
    EXPECT_EQ(LeftoverTemporaries(output).size(), 3u);
    EXPECT_EQ(RemoveLeftoverTemporaries(output, 0), 2u);
    ASSERT_TRUE(writer.Commit()) << "the live writer's file was taken";
    EXPECT_EQ(ReadFile(output), Bytes({'n', 'e', 'w'}));
  }
  EXPECT_EQ(ListNames(dir.path()).size(), 3u) << "names of other shapes are not ours";
  EXPECT_THROW(StreamModPathsSave(output, Hex("01"), [](SaveEncoder&) { throw std::bad_alloc(); }),
               std::bad_alloc);
  EXPECT_EQ(ListNames(dir.path()).size(), 3u);
  // A name this process would take, already there, is passed by; a folder
  // of that shape, and a folder that cannot be listed, are no leftovers.
  const std::string taken = platform::TemporaryName(output, platform::ProcessId(), 0);
  testing_support::MakeFolders(taken);
  EXPECT_TRUE(WriteModPathsSave(output, Hex("01"), {}));
  EXPECT_TRUE(LeftoverTemporaries(output).empty());
  EXPECT_TRUE(LeftoverTemporaries(dir / "Gone/ModManager_ModPaths.sav").empty());
}

TEST_F(SaveFileTest, ReadsTheTemplateVerbatim) {
  Bytes bytes(70000);
  for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<uint8_t>(i % 251);
  WriteFile(dir / "SourceSave.sav", bytes);
  Bytes read;
  ASSERT_TRUE(ReadSaveTemplate(dir / "SourceSave.sav", read));
  EXPECT_EQ(read, bytes);

  WriteFile(dir / "Empty.sav", Bytes{});
  ASSERT_TRUE(ReadSaveTemplate(dir / "Empty.sav", read));
  EXPECT_TRUE(read.empty());
}

TEST_F(SaveFileTest, RefusesTemplatesThatAreNotReadableFiles) {
  Bytes read;
  EXPECT_FALSE(ReadSaveTemplate(dir / "missing.sav", read));
  testing_support::MakeFolders(dir / "SourceSave.sav");
  EXPECT_FALSE(ReadSaveTemplate(dir / "SourceSave.sav", read));
  // 2 GiB, sparse: refused from its size, before anything is read.
  const std::string huge = dir / "Huge.sav";
  WriteFile(huge, Bytes{});
  testing_support::ResizeFile(huge, uint64_t{1} << 31);
  EXPECT_FALSE(ReadSaveTemplate(huge, read));
  EXPECT_TRUE(read.empty());
}

TEST_F(SaveFileTest, EncodesInMemoryWhatItWritesToDisk) {
  const std::vector<std::string> paths = {"/Game/A.A", "", "/Game/Mods/B.B"};
  EXPECT_EQ(EncodeModPathsSave(Hex("01 02"), paths), Written(Hex("01 02"), paths));
}

TEST(DecodeModPathsSave, NamesTheFirstDamageAndWhereItIs) {
  const std::string marker = kMarker;
  struct Case {
    std::string hex;
    uint64_t templateSize;
    const char* problem;
    int64_t offset;
  };
  const Case cases[] = {
      {"AA", 2, "the file is shorter than the template", 1},
      {"AA 00 00", 1, "the path count is cut short", 1},
      {"AA FF FF FF FF" + marker, 1, "the path count is negative: -1", 1},
      {"AA 01 00 00 00 02 00", 1, "path 0: the length is cut short", 5},
      {"AA 01 00 00 00 09 00 00 00 61 00", 1, "path 0: length 9 does not fit in the 2 bytes left",
       5},
      {"AA 01 00 00 00 00 00 00 00" + marker, 1,
       "path 0: not one zero-terminated string of length 0", 5},
      {"AA 01 00 00 00 03 00 00 00 61 00 62" + marker, 1,
       "path 0: not one zero-terminated string of length 3", 5},
      {"AA 00 00 00 00 05 00 00 00 4E 6F 6E 65 00 01 00 00 00", 1,
       "no closing marker after the last path", 5},
      {"AA 00 00 00 00" + marker + " FF", 1, "1 bytes after the closing marker", 18},
      {"AA 01 00 00 00 FD FF FF FF 61 00", 1,
       "path 0: length 3 UTF-16 units does not fit in the 2 bytes left", 5},
      {"AA 01 00 00 00 FD FF FF FF 61 00 62 00 00 00" + marker, 1,  // 7-bit: never UTF-16
       "path 0: not the UTF-16 form modpaths writes (3 units)", 5},
      {"AA 00 00 00 00 FB FF FF FF 4E 00 6F 00 6E 00 65 00 00 00 00 00 00 00", 1,
       "no closing marker after the last path", 5},
  };
  for (const Case& c : cases) {
    const DecodedSave decoded = DecodeModPathsSave(Hex(c.hex), c.templateSize);
    EXPECT_FALSE(decoded.valid) << c.hex;
    EXPECT_EQ(decoded.problem, c.problem) << c.hex;
    EXPECT_EQ(decoded.problemOffset, c.offset) << c.hex;
  }
  // Without a template, a file that does not end in the marker has no list.
  for (const char* hex : {"01 02 03 04 05 06 07 08", "00 00 00 00 F8 00 00 00 4E 6F 6E 65 00 00 00 00 00"}) {
    const DecodedSave nothing = DecodeModPathsSave(Hex(hex), std::nullopt);
    EXPECT_FALSE(nothing.valid) << hex;
    EXPECT_EQ(nothing.listOffset, -1) << hex;
    EXPECT_EQ(nothing.problemOffset, 0) << hex;
  }

  const DecodedSave good =
      DecodeModPathsSave(Hex("AA 01 00 00 00 02 00 00 00 61 00" + marker), std::nullopt);
  ASSERT_TRUE(good.valid);
  EXPECT_EQ(good.listOffset, 1);
  EXPECT_EQ(good.paths, std::vector<std::string>{"a"});
  EXPECT_EQ(good.eightBitPaths, 0);

  // Without a template: a UTF-16 path ending in "A" ends in 41 00 00 00,
  // which reads as a count of 65, with 65 good records after it.
  std::vector<std::string> paths;
  for (int i = 0; i < 66; ++i) {
    paths.push_back("/Game/\xD0\x9C\xD0\xBE\xD0\xB4\xD1\x8B/" + std::to_string(i) + "A");
  }
  // And behind a template that holds a count of -2^31 and surrogates
  // alone, with an emoji's surrogate pair in the list.
  for (const Bytes& templ : {Hex("47 56 41 53 00"), Hex("47 56 41 53 00 00 00 80 3D D8 41 00 00 DC")}) {
    if (templ.size() > 5) paths.push_back("/Game/\xF0\x9F\x98\x80.\xF0\x9F\x98\x80");
    const DecodedSave inferred = DecodeModPathsSave(EncodeModPathsSave(templ, paths), std::nullopt);
    ASSERT_TRUE(inferred.valid);
    EXPECT_EQ(inferred.listOffset, static_cast<int64_t>(templ.size()));
    EXPECT_EQ(inferred.paths, paths);
  }

  // "Щ" as 1.0.0 wrote it, in UTF-8 bytes the game reads as "??", and as
  // modpaths writes it now.
  const DecodedSave old = DecodeModPathsSave(Hex("01 00 00 00 03 00 00 00 D0 A9 00" + marker), 0);
  ASSERT_TRUE(old.valid);
  EXPECT_EQ(old.eightBitPaths, 1);
  const DecodedSave now =
      DecodeModPathsSave(Hex("01 00 00 00 FE FF FF FF 29 04 00 00" + marker), 0);
  ASSERT_TRUE(now.valid);
  EXPECT_EQ(now.paths, std::vector<std::string>{"\xD0\xA9"});
  EXPECT_EQ(now.eightBitPaths, 0);
}

}  // namespace
}  // namespace modpaths
