#include "iostore/toc_header.h"

#include <gtest/gtest.h>

#include <cstring>

#include "fixtures/record_io.h"
#include "testing/expect_layout.h"

namespace IoStore {
namespace {

using testing_support::Bytes;
using testing_support::Hex;
using testing_support::LoadRecord;
using testing_support::SaveRecord;

const Bytes kHeader =
    Hex("2D 3D 3D 2D 2D 3D 3D 2D 2D 3D 3D 2D 2D 3D 3D 2D"  // TocMagic "-==--==--==--==-"
        "03 00 00 00"                                      // Version 3
        "90 00 00 00"                                      // TocHeaderSize 144
        "02 00 00 00"                                      // TocEntryCount 2
        "01 00 00 00"                                      // TocCompressedBlockEntryCount 1
        "0C 00 00 00"                                      // TocCompressedBlockEntrySize 12
        "01 00 00 00"                                      // CompressionMethodNameCount 1
        "20 00 00 00"                                      // CompressionMethodNameLength 32
        "00 00 01 00"                                      // CompressionBlockSize 65536
        "34 12 00 00"                                      // DirectoryIndexSize
        "01 00 00 00"                                      // PartitionCount 1
        "88 77 66 55 44 33 22 11"                          // ContainerId
        "01 00 00 00 02 00 00 00 03 00 00 00 04 00 00 00"  // EncryptionKeyGuid 1 2 3 4
        "05"                                               // ContainerFlags Compressed|Signed
        "A1 A2 A3 A4 A5 A6 A7"                             // Reserved0
        "FF FF FF FF FF FF FF FF"                          // PartitionSize
        "B0 B1 B2 B3 B4 B5 B6 B7 B8 B9 BA BB BC BD BE BF"  // Reserved1
        "C0 C1 C2 C3 C4 C5 C6 C7 C8 C9 CA CB CC CD CE CF"
        "D0 D1 D2 D3 D4 D5 D6 D7 D8 D9 DA DB DC DD DE DF");

TEST(TocHeader, ReadsEveryFieldAtItsOffsetAndWritesBackTheSame144Bytes) {
  ASSERT_EQ(kHeader.size(), FIoStoreTocHeader::kSize);
  testing_support::ExpectLayout<FIoStoreTocHeader>(kHeader, [](const FIoStoreTocHeader& header) {
    EXPECT_EQ(std::memcmp(header.TocMagic, "-==--==--==--==-", 16), 0);
    EXPECT_EQ(header.Version, 3u);
    EXPECT_EQ(header.TocHeaderSize, 144u);
    EXPECT_EQ(header.TocEntryCount, 2);
    EXPECT_EQ(header.TocCompressedBlockEntryCount, 1);
    EXPECT_EQ(header.CompressionBlockSize, 0x10000u);
    EXPECT_EQ(header.DirectoryIndexSize, 0x1234u);
    EXPECT_EQ(header.ContainerId, 0x1122334455667788u);
    EXPECT_EQ(header.EncryptionKeyGuid.D, 4u);
    EXPECT_EQ(header.ContainerFlags, 5);
    EXPECT_EQ(header.Reserved0[6], 0xA7);
    EXPECT_EQ(header.PartitionSize, UINT64_MAX);
    EXPECT_EQ(header.Reserved1[47], 0xDF);
  });
}

TEST(TocHeader, KeepsFieldsPastAShortFileAtZero) {
  FIoStoreTocHeader header;
  EXPECT_EQ(LoadRecord(Bytes(kHeader.begin(), kHeader.begin() + 30), header), -1);
  EXPECT_EQ(header.TocEntryCount, 2);
  // TocCompressedBlockEntryCount got two of its four bytes.
  EXPECT_EQ(header.TocCompressedBlockEntryCount, 1);
  EXPECT_EQ(header.TocCompressedBlockEntrySize, 0u);
  EXPECT_EQ(header.ContainerFlags, 0);
  EXPECT_EQ(header.PartitionSize, 0u);
}

}  // namespace
}  // namespace IoStore
