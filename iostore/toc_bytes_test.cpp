// The records of a table of contents against bytes written out by hand, not
// by the records' own writer: a field order that is wrong the same way in
// both directions fails here. Each record's values are all different, so
// that two fields swapped show.

#include <gtest/gtest.h>

#include "extract/package_paths.h"
#include "iostore/toc_resource.h"
#include "fixtures/record_io.h"
#include "testing/expect_layout.h"

namespace IoStore {
namespace {

using testing_support::Bytes;
using testing_support::Hex;
using testing_support::LoadRecord;
using testing_support::SaveRecord;

using testing_support::ExpectLayout;

TEST(TocRecordBytes, ChunkIdOffsetsBlocksAndMetasLieAsWrittenByHand) {
  ExpectLayout<FIoChunkId>(
      "08 07 06 05 04 03 02 01"  // ChunkId
      "0A 0B"                    // ChunkIndex
      "0C"                       // ChunkReserved
      "0D",                      // ChunkType
      [](const FIoChunkId& id) {
        EXPECT_EQ(id.ChunkId, 0x0102030405060708u);
        EXPECT_EQ(id.ChunkIndex, 0x0B0A);
        EXPECT_EQ(id.ChunkReserved, 0x0C);
        EXPECT_EQ(id.ChunkType, 0x0D);
      });
  ExpectLayout<FIoOffsetAndLength>(
      "11 12 13 14"  // OffsetHead
      "15"           // OffsetTail
      "21 22 23 24"  // LengthHead
      "25",          // LengthTail
      [](const FIoOffsetAndLength& entry) {
        EXPECT_EQ(entry.OffsetHead, 0x14131211u);
        EXPECT_EQ(entry.OffsetTail, 0x15);
        EXPECT_EQ(entry.LengthHead, 0x24232221u);
        EXPECT_EQ(entry.LengthTail, 0x25);
      });
  ExpectLayout<FIoStoreTocCompressedBlockEntry>(
      "31 32 33 34"  // OffsetHead
      "35"           // OffsetTail
      "41 42"        // CompressedSizeHead
      "43"           // CompressedSizeTail
      "51 52"        // UncompressedSizeHead
      "53"           // UncompressedSizeTail
      "60",          // CompressionMethodIndex
      [](const FIoStoreTocCompressedBlockEntry& block) {
        EXPECT_EQ(block.OffsetHead, 0x34333231u);
        EXPECT_EQ(block.OffsetTail, 0x35);
        EXPECT_EQ(block.CompressedSizeHead, 0x4241);
        EXPECT_EQ(block.CompressedSizeTail, 0x43);
        EXPECT_EQ(block.UncompressedSizeHead, 0x5251);
        EXPECT_EQ(block.UncompressedSizeTail, 0x53);
        EXPECT_EQ(block.CompressionMethodIndex, 0x60);
      });
  ExpectLayout<FIoTocChunkMeta>(
      "80 81 82 83 84 85 86 87 88 89 8A 8B 8C 8D 8E 8F"  // ChunkHash[0..15]
      "90 91 92 93 94 95 96 97 98 99 9A 9B 9C 9D 9E 9F"  // ChunkHash[16..31]
      "A0",                                              // Flags
      [](const FIoTocChunkMeta& meta) {
        EXPECT_EQ(meta.ChunkHash[0], 0x80);
        EXPECT_EQ(meta.ChunkHash[31], 0x9F);
        EXPECT_EQ(meta.Flags, 0xA0);
      });
}

// A whole container: one chunk, one block, the Compressed flag and so one
// compression-name slot, and a directory index of the root, two folders and
// three files. 420 bytes.
const char kContainer[] =
    // header, 144 bytes
    "2D 3D 3D 2D 2D 3D 3D 2D 2D 3D 3D 2D 2D 3D 3D 2D"  // TocMagic
    "03 00 00 00"                                      // Version 3
    "90 00 00 00"                                      // TocHeaderSize 144
    "01 00 00 00"                                      // TocEntryCount N = 1
    "01 00 00 00"                                      // TocCompressedBlockEntryCount B = 1
    "0C 00 00 00"                                      // TocCompressedBlockEntrySize 12
    "01 00 00 00"                                      // CompressionMethodNameCount 1
    "20 00 00 00"                                      // CompressionMethodNameLength 32
    "00 00 01 00"                                      // CompressionBlockSize 65536
    "B1 00 00 00"                                      // DirectoryIndexSize 177
    "01 00 00 00"                                      // PartitionCount 1
    "EF CD AB 89 67 45 23 01"                          // ContainerId
    "00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00"  // EncryptionKeyGuid
    "01"                                               // ContainerFlags: Compressed
    "00 00 00 00 00 00 00"                             // Reserved0
    "FF FF FF FF FF FF FF FF"                          // PartitionSize
    "00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00"  // Reserved1, 48 bytes
    "00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00"
    "00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00"
    // ChunkIds, 12 x N: ChunkId, ChunkIndex, ChunkReserved, ChunkType
    "01 EE 00 00 00 00 00 00  00 00  00  02"
    // ChunkOffsetLengths, 10 x N: offset 0 (head, tail), length 0x1234
    "00 00 00 00  00  34 12 00 00  00"
    // CompressionBlocks, 12 x B: offset 0, compressed 0x1000, uncompressed
    // 0x1234, method 1
    "00 00 00 00  00  00 10  00  34 12  00  01"
    // compression method names, one 32-byte slot: "Zlib"
    "5A 6C 69 62 00 00 00 00 00 00 00 00 00 00 00 00"
    "00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00"
    // directory index, 177 bytes
    "0A 00 00 00 2E 2E 2F 2E 2E 2F 2E 2E 2F 00"  // MountPoint "../../../"
    // 3 directories: Name, FirstChildEntry, NextSiblingEntry, FirstFileEntry
    "03 00 00 00"
    "FF FF FF FF 01 00 00 00 FF FF FF FF FF FF FF FF"  // 0 the root, child 1
    "00 00 00 00 02 00 00 00 FF FF FF FF 00 00 00 00"  // 1 "Content", child 2, file 0
    "01 00 00 00 FF FF FF FF FF FF FF FF 01 00 00 00"  // 2 "Mods", files from 1
    // 3 files: Name, NextFileEntry, UserData
    "03 00 00 00"
    "02 00 00 00 FF FF FF FF 00 00 00 00"              // 0 "Ship.uasset"
    "03 00 00 00 02 00 00 00 00 00 00 00"              // 1 "Sail.uasset", then 2
    "04 00 00 00 FF FF FF FF 00 00 00 00"              // 2 "Sail.uexp"
    "05 00 00 00"                                      // 5 strings
    "08 00 00 00 43 6F 6E 74 65 6E 74 00"              // "Content"
    "05 00 00 00 4D 6F 64 73 00"                       // "Mods"
    "0C 00 00 00 53 68 69 70 2E 75 61 73 73 65 74 00"  // "Ship.uasset"
    "0C 00 00 00 53 61 69 6C 2E 75 61 73 73 65 74 00"  // "Sail.uasset"
    "0A 00 00 00 53 61 69 6C 2E 75 65 78 70 00"        // "Sail.uexp"
    // ChunkMetas, 33 x N: ChunkHash, Flags
    "C0 C1 C2 C3 C4 C5 C6 C7 C8 C9 CA CB CC CD CE CF"
    "D0 D1 D2 D3 D4 D5 D6 D7 D8 D9 DA DB DC DD DE DF"
    "01";

TEST(TocRecordBytes, AHandWrittenContainerDecodesToItsPackagePaths) {
  const Bytes bytes = Hex(kContainer);
  ASSERT_EQ(bytes.size(), 420u);
  FIoStoreTocResource toc;
  ASSERT_EQ(LoadRecord(bytes, toc), 0);

  EXPECT_EQ(toc.Header.ContainerId, 0x0123456789ABCDEFu);
  EXPECT_EQ(toc.ChunkIds.elements.at(0).ChunkId, 0xEE01u);
  EXPECT_EQ(toc.ChunkIds.elements.at(0).ChunkType, 2);
  EXPECT_EQ(toc.ChunkOffsetLengths.elements.at(0).LengthHead, 0x1234u);
  EXPECT_EQ(toc.CompressionBlocks.elements.at(0).CompressedSizeHead, 0x1000);
  EXPECT_EQ(toc.CompressionBlocks.elements.at(0).CompressionMethodIndex, 1);
  EXPECT_EQ(toc.CompressionMethodName[0], 0x62696C5Au);  // "Zlib"
  EXPECT_TRUE(toc.MoreCompressionMethodNames.empty());
  EXPECT_EQ(toc.DirectoryIndex.DirectoryEntries.elements.at(2).FirstFileEntry, 1u);
  EXPECT_EQ(toc.DirectoryIndex.StringTable[4], "Sail.uexp");
  EXPECT_EQ(toc.ChunkMetas.elements.at(0).ChunkHash[0], 0xC0);
  EXPECT_EQ(toc.ChunkMetas.elements.at(0).Flags, 1);

  // A folder's subfolders come before its own files; ".uexp" is dropped.
  EXPECT_EQ(modpaths::ExtractPackagePaths(toc),
            (std::vector<std::string>{"/Game/Mods/Sail.Sail", "/Game/Ship.Ship"}));
  EXPECT_EQ(SaveRecord(toc), bytes);
}

}  // namespace
}  // namespace IoStore
