#pragma once

#include <cstdint>

#include "serializer/serializable.h"

namespace IoStore {

// Bits of FIoStoreTocHeader::ContainerFlags that the reader consults; the
// others are kept as read.
namespace ContainerFlags {
inline constexpr uint8_t Compressed = 1;  // compression method names follow the block entries
inline constexpr uint8_t Encrypted = 2;   // the directory index is not read
inline constexpr uint8_t Signed = 4;      // a signature block follows
}  // namespace ContainerFlags

// The first 144 bytes of every .utoc file. Nothing in it is validated: the
// magic, version and sizes are kept as read, and a header always takes 144
// bytes whatever TocHeaderSize says.
//
//   offset  size  field
//        0    16  TocMagic
//       16     4  Version
//       20     4  TocHeaderSize
//       24     4  TocEntryCount                  int32, chunks (N)
//       28     4  TocCompressedBlockEntryCount   int32, compressed blocks (B)
//       32     4  TocCompressedBlockEntrySize
//       36     4  CompressionMethodNameCount
//       40     4  CompressionMethodNameLength
//       44     4  CompressionBlockSize
//       48     4  DirectoryIndexSize
//       52     4  PartitionCount
//       56     8  ContainerId
//       64    16  EncryptionKeyGuid              FGUID
//       80     1  ContainerFlags
//       81     7  Reserved0
//       88     8  PartitionSize
//       96    48  Reserved1
class FIoStoreTocHeader : public SerializableClass {
 public:
  static constexpr uint32_t kSize = 144;

  void Serialize(SerializeContext* context) override;

  uint8_t TocMagic[16] = {};
  uint32_t Version = 0;
  uint32_t TocHeaderSize = 0;
  int32_t TocEntryCount = 0;
  int32_t TocCompressedBlockEntryCount = 0;
  uint32_t TocCompressedBlockEntrySize = 0;
  uint32_t CompressionMethodNameCount = 0;
  uint32_t CompressionMethodNameLength = 0;
  uint32_t CompressionBlockSize = 0;
  uint32_t DirectoryIndexSize = 0;
  uint32_t PartitionCount = 0;
  uint64_t ContainerId = 0;
  FGUID EncryptionKeyGuid;
  uint8_t ContainerFlags = 0;
  uint8_t Reserved0[7] = {};
  uint64_t PartitionSize = 0;
  uint8_t Reserved1[48] = {};
};

}  // namespace IoStore
