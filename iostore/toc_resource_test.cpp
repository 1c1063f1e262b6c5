#include "iostore/toc_resource.h"

#include <gtest/gtest.h>

#include <cstring>

#include "fixtures/record_io.h"
#include "fixtures/toc_fixture.h"

namespace IoStore {
namespace {

using testing_support::Bytes;
using testing_support::Folder;
using testing_support::Hex;
using testing_support::Join;
using testing_support::MakeDirectoryIndex;
using testing_support::MakeToc;
using testing_support::ReadFile;
using testing_support::SaveRecord;
using testing_support::TempDir;
using testing_support::WriteFile;

FIoDirectoryIndexResource SampleIndex() {
  return MakeDirectoryIndex(
      "../../../",
      Folder{"",
             {Folder{"HollowVoyage",
                     {Folder{"Content", {Folder{"Mods", {}, {"Foo.uasset", "Foo.uexp"}}}, {}}},
                     {}}},
             {"root.txt"}});
}

class TocResourceTest : public ::testing::Test {
 protected:
  std::string Store(const Bytes& bytes) {
    const std::string path = dir / "container.utoc";
    WriteFile(path, bytes);
    return path;
  }
  FIoStoreTocResource Load(const Bytes& bytes) {
    FIoStoreTocResource toc;
    toc.LoadFromFile(Store(bytes));
    return toc;
  }
  TempDir dir;
};

TEST_F(TocResourceTest, ReadsTheDirectoryIndexAt200ForTwoChunksAndOneBlock) {
  const Bytes file = SaveRecord(MakeToc(SampleIndex(), 2, 1, 0));
  const Bytes index = SaveRecord(SampleIndex());
  // header 144, ids 24, offsets and lengths 20, one block 12, then the index.
  ASSERT_EQ(file.size(), 200 + index.size() + 66);
  EXPECT_EQ(Bytes(file.begin() + 200, file.begin() + 200 + static_cast<long>(index.size())), index);

  const FIoStoreTocResource toc = Load(file);
  EXPECT_EQ(toc.ChunkIds.elements.at(1).ChunkId, 0xC0DE000000000001u);
  EXPECT_EQ(toc.ChunkOffsetLengths.elements.at(1).OffsetHead, 0x10000u);
  EXPECT_EQ(toc.ChunkOffsetLengths.elements.at(1).LengthTail, 1);
  EXPECT_EQ(toc.CompressionBlocks.elements.at(0).CompressedSizeHead, 0x7FFF);
  EXPECT_EQ(toc.DirectoryIndex.MountPoint.Value(), "../../../");
  EXPECT_EQ(toc.DirectoryIndex.StringTable.size(), 6u);
  EXPECT_EQ(toc.ChunkMetas.elements.at(1).ChunkHash[31], 0xA1);
}

TEST_F(TocResourceTest, TakesTheOptionalSectionsInFileOrderForEveryFlagCombination) {
  const Bytes index = SaveRecord(SampleIndex());
  for (uint8_t flags = 0; flags < 8; ++flags) {
    SCOPED_TRACE(static_cast<int>(flags));
    FIoStoreTocResource original = MakeToc(SampleIndex(), 2, 1, flags);
    const Bytes file = SaveRecord(original);

    size_t at = 200;
    if (flags & ContainerFlags::Compressed) {
      EXPECT_EQ(std::memcmp(&file[at], "Oodle", 5), 0);
      at += 32;
    }
    if (flags & ContainerFlags::Signed) {
      EXPECT_EQ(
          Bytes(file.begin() + static_cast<long>(at), file.begin() + static_cast<long>(at) + 5),
          Hex("14 00 00 00 51"));
      at += 4 + 20 + 20 + 20;
    }
    if (!(flags & ContainerFlags::Encrypted)) {
      EXPECT_EQ(Bytes(file.begin() + static_cast<long>(at),
                      file.begin() + static_cast<long>(at + index.size())),
                index);
      at += index.size();
    }
    EXPECT_EQ(file.size(), at + 66);

    const FIoStoreTocResource loaded = Load(file);
    EXPECT_EQ(SaveRecord(loaded), file);
    EXPECT_EQ(loaded.DirectoryIndex.DirectoryEntries.elements.empty(),
              (flags & ContainerFlags::Encrypted) != 0);
    EXPECT_EQ(loaded.ChunkMetas.elements.at(0).Flags, 1);
  }
}

TEST_F(TocResourceTest, OptionalSectionsTakeTheirSizeWhateverTheirCounts) {
  const Bytes plain = SaveRecord(MakeToc(SampleIndex(), 1, 0, 0));
  auto sizeWith = [](uint8_t flags, void (*adjust)(FIoStoreTocResource&)) {
    FIoStoreTocResource toc = MakeToc(SampleIndex(), 1, 0, flags);
    adjust(toc);
    const Bytes file = SaveRecord(toc);
    // Loading takes as many bytes as saving gave, and gives them back.
    FIoStoreTocResource loaded;
    EXPECT_EQ(testing_support::LoadRecord(file, loaded), 0) << static_cast<int>(flags);
    EXPECT_EQ(SaveRecord(loaded), file) << static_cast<int>(flags);
    return file.size();
  };
  // A name count of 0 still means the one 32-byte slot.
  EXPECT_EQ(sizeWith(ContainerFlags::Compressed,
                     [](FIoStoreTocResource& toc) { toc.Header.CompressionMethodNameCount = 0; }),
            plain.size() + 32);
  // No hash and no blocks: the signature block is its HashSize word alone.
  EXPECT_EQ(sizeWith(ContainerFlags::Signed,
                     [](FIoStoreTocResource& toc) {
                       toc.SignatureBlock = Signature();
                       toc.SignatureBlock.HashSize = 0;
                     }),
            plain.size() + 4);
  // Bits 3 to 7 name nothing the reader knows: alone they read as no flags.
  for (uint8_t bit = 0x08; bit != 0; bit = static_cast<uint8_t>(bit << 1)) {
    Bytes file = SaveRecord(MakeToc(SampleIndex(), 1, 0, bit));
    ASSERT_EQ(file.size(), plain.size()) << static_cast<int>(bit);
    EXPECT_EQ(file[80], bit);
    file[80] = 0;
    EXPECT_EQ(file, plain) << static_cast<int>(bit);
    EXPECT_EQ(Load(SaveRecord(MakeToc(SampleIndex(), 1, 0, bit)))
                  .DirectoryIndex.FileEntries.elements.size(),
              3u);
  }
}

TEST_F(TocResourceTest, ReadsAFileOfZeroHeaderAsAnEmptyIndexRightAfterIt) {
  const Bytes file = Join({Bytes(144), SaveRecord(SampleIndex())});
  const FIoStoreTocResource toc = Load(file);
  EXPECT_TRUE(toc.ChunkIds.elements.empty());
  EXPECT_EQ(toc.DirectoryIndex.FileEntries.elements.size(), 3u);
}

TEST_F(TocResourceTest, AContainerPackedWithoutAnIndexHasOnlyChunkMetasAfterTheOptionalSections) {
  FIoStoreTocResource packed = MakeToc(SampleIndex(), 2, 1, ContainerFlags::Signed);
  packed.NoDirectoryIndex = true;
  packed.Header.DirectoryIndexSize = 0;
  const Bytes file = SaveRecord(packed);
  ASSERT_EQ(file.size(), 200 + 4 + 20 + 20 + 20 + 66u);
  FIoStoreTocResource loaded;
  ASSERT_EQ(testing_support::LoadRecord(file, loaded), 0);
  EXPECT_TRUE(loaded.NoDirectoryIndex);
  EXPECT_TRUE(loaded.DirectoryIndex.DirectoryEntries.elements.empty());
  EXPECT_EQ(loaded.ChunkMetas.elements.at(1).ChunkHash[0], 0xA1);
  EXPECT_EQ(SaveRecord(loaded), file);

  // The same bytes with a stated index size are a file cut short.
  Bytes cut = file;
  cut[48] = 1;
  FIoStoreTocResource truncated;
  EXPECT_EQ(testing_support::LoadRecord(cut, truncated), -1);
  EXPECT_FALSE(truncated.NoDirectoryIndex);
}

TEST_F(TocResourceTest, IgnoresMagicAndSizesItDoesNotUse) {
  FIoStoreTocResource toc = MakeToc(SampleIndex(), 1, 1, ContainerFlags::Compressed | 0xF0);
  std::memcpy(toc.Header.TocMagic, "definitely not!!", 16);
  toc.Header.Version = 99;
  toc.Header.TocHeaderSize = 200;
  toc.Header.TocCompressedBlockEntrySize = 16;
  toc.Header.CompressionMethodNameLength = 64;
  toc.Header.DirectoryIndexSize = 1;
  const FIoStoreTocResource loaded = Load(SaveRecord(toc));
  EXPECT_EQ(loaded.Header.TocHeaderSize, 200u);
  EXPECT_EQ(loaded.ChunkIds.elements.at(0).ChunkId, 0xC0DE000000000000u);
  EXPECT_EQ(loaded.DirectoryIndex.MountPoint.Value(), "../../../");
}

TEST_F(TocResourceTest, AMissingFileGivesTheEmptyResource) {
  FIoStoreTocResource toc;
  toc.LoadFromFile(dir / "missing.utoc");
  EXPECT_EQ(SaveRecord(toc), SaveRecord(FIoStoreTocResource()));
  EXPECT_TRUE(toc.DirectoryIndex.DirectoryEntries.elements.empty());
  EXPECT_EQ(toc.DirectoryIndex.MountPoint.Value(), "");
}

TEST_F(TocResourceTest, EveryPrefixLoadsAndLeavesWhatIsPastTheCutAtZero) {
  const FIoStoreTocResource full =
      MakeToc(SampleIndex(), 3, 2, ContainerFlags::Compressed | ContainerFlags::Signed);
  const Bytes file = SaveRecord(full);
  const size_t indexStart = 144 + 22 * 3 + 12 * 2 + 32 + 4 + 20 + 20 + 40;
  const size_t metasStart = file.size() - 33 * 3;
  const std::string whole = dir / "whole.utoc";
  WriteFile(whole, file);
  FIoStoreTocResource reused;
  for (size_t cut = 0; cut < file.size(); ++cut) {
    SCOPED_TRACE(cut);
    const FIoStoreTocResource toc =
        Load(Bytes(file.begin(), file.begin() + static_cast<long>(cut)));
    // The index read over a whole container's is the index read afresh.
    FIoStoreTocResource fresh;
    fresh.LoadIndexFromFile(dir / "container.utoc");
    reused.LoadIndexFromFile(whole);
    reused.LoadIndexFromFile(dir / "container.utoc");
    EXPECT_EQ(SaveRecord(reused), SaveRecord(fresh));
    // The last meta's flag byte is the last byte of the file.
    for (const FIoTocChunkMeta& meta : toc.ChunkMetas.elements) {
      EXPECT_EQ(&meta == &toc.ChunkMetas.elements.back() ? meta.Flags : 0, 0);
    }
    if (cut < metasStart) {
      for (const FIoTocChunkMeta& meta : toc.ChunkMetas.elements) EXPECT_EQ(meta.ChunkHash[0], 0);
    }
    if (cut < 144 + 55 * 3 + 12 * 2) {
      // Too short for the body the header announces: nothing is sized.
      EXPECT_TRUE(toc.ChunkIds.elements.empty());
    }
    if (cut <= indexStart) {
      EXPECT_TRUE(toc.DirectoryIndex.DirectoryEntries.elements.empty());
      EXPECT_EQ(toc.DirectoryIndex.MountPoint.Value(), "");
    }
    EXPECT_LE(toc.DirectoryIndex.StringTable.size(),
              full.DirectoryIndex.StringTable.size());
  }
}

TEST_F(TocResourceTest, RefusesCountsTheFileCannotHold) {
  struct Case {
    const char* what;
    int32_t chunks, blocks;
  } const cases[] = {
      {"2^31 - 1 chunks", INT32_MAX, 0}, {"2^31 - 1 blocks", 0, INT32_MAX},
      {"negative chunks", -1, 0},        {"negative blocks", 0, INT32_MIN},
      {"just one chunk too many", 6, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    FIoStoreTocResource toc = MakeToc(SampleIndex(), 0, 0);
    Bytes file = SaveRecord(toc.Header);
    std::memcpy(&file[24], &c.chunks, 4);
    std::memcpy(&file[28], &c.blocks, 4);
    file.resize(144 + 55 * 6 - 1, 0x41);  // 400-ish bytes in all
    const FIoStoreTocResource loaded = Load(file);
    EXPECT_EQ(loaded.ChunkIds.elements.capacity(), 0u);
    EXPECT_EQ(loaded.CompressionBlocks.elements.capacity(), 0u);
    EXPECT_EQ(loaded.ChunkMetas.elements.capacity(), 0u);
    EXPECT_TRUE(loaded.DirectoryIndex.StringTable.empty());
  }
}

TEST_F(TocResourceTest, RefusesSignatureSizesTheFileCannotHold) {
  FIoStoreTocResource toc = MakeToc(SampleIndex(), 0, 0, ContainerFlags::Signed);
  Bytes file = SaveRecord(toc);
  const uint32_t hugeHash = 0xFFFFFFF0;
  std::memcpy(&file[144], &hugeHash, 4);
  FIoStoreTocResource loaded = Load(file);
  EXPECT_EQ(loaded.SignatureBlock.HashSize, 0u);
  EXPECT_EQ(loaded.SignatureBlock.TocSignature.capacity(), 0u);
  EXPECT_TRUE(loaded.DirectoryIndex.StringTable.empty());

  // 20 x B for B = 2^31 - 1 does not wrap around 32 bits into something small.
  toc = MakeToc(SampleIndex(), 0, 0, ContainerFlags::Signed);
  file = SaveRecord(toc);
  const int32_t blocks = INT32_MAX;
  std::memcpy(&file[28], &blocks, 4);
  loaded = Load(file);
  EXPECT_EQ(loaded.SignatureBlock.ChunkBlockSignatures.capacity(), 0u);
}

TEST_F(TocResourceTest, ReadsEveryCompressionMethodNameSlot) {
  FIoStoreTocResource toc = MakeToc(SampleIndex(), 1, 1, ContainerFlags::Compressed);
  toc.Header.CompressionMethodNameCount = 3;
  toc.MoreCompressionMethodNames.resize(2);
  std::memcpy(toc.MoreCompressionMethodNames[0].data(), "Zlib", 4);
  std::memcpy(toc.MoreCompressionMethodNames[1].data(), "LZ4", 3);
  const Bytes file = SaveRecord(toc);
  EXPECT_EQ(std::memcmp(&file[144 + 22 + 12 + 32], "Zlib", 4), 0);

  const FIoStoreTocResource loaded = Load(file);
  EXPECT_EQ(std::memcmp(loaded.CompressionMethodName, "Oodle", 5), 0);
  ASSERT_EQ(loaded.MoreCompressionMethodNames.size(), 2u);
  EXPECT_EQ(std::memcmp(loaded.MoreCompressionMethodNames[1].data(), "LZ4", 3), 0);
  EXPECT_EQ(loaded.DirectoryIndex.MountPoint.Value(), "../../../");
  EXPECT_EQ(SaveRecord(loaded), file);

  toc.Header.CompressionMethodNameCount = 0xFFFFFFFF;
  toc.MoreCompressionMethodNames.clear();
  Bytes hostile = SaveRecord(toc.Header);
  hostile.resize(144 + 22 + 12 + 33 + 64, 0);
  EXPECT_TRUE(Load(hostile).MoreCompressionMethodNames.empty());
}

TEST_F(TocResourceTest, CopiesKeepEveryValue) {
  const FIoStoreTocResource original = Load(SaveRecord(
      MakeToc(SampleIndex(), 2, 2, ContainerFlags::Compressed | ContainerFlags::Signed)));
  FIoStoreTocResource copy = original;
  EXPECT_EQ(SaveRecord(copy), SaveRecord(original));
  EXPECT_EQ(copy.DirectoryIndex.FileEntries.elements.at(2).UserData,
            original.DirectoryIndex.FileEntries.elements.at(2).UserData);
}

}  // namespace
}  // namespace IoStore
