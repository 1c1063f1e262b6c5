#include "iostore/toc_header.h"

namespace IoStore {

void FIoStoreTocHeader::Serialize(SerializeContext* context) {
  Tessel::BaseSerializer& s = *context->serializer;
  SerializeArray(context, TocMagic, sizeof TocMagic, 1);
  s.Serialize(&Version, 4, true);
  s.Serialize(&TocHeaderSize, 4, true);
  s.Serialize(&TocEntryCount, 4, true);
  s.Serialize(&TocCompressedBlockEntryCount, 4, true);
  s.Serialize(&TocCompressedBlockEntrySize, 4, true);
  s.Serialize(&CompressionMethodNameCount, 4, true);
  s.Serialize(&CompressionMethodNameLength, 4, true);
  s.Serialize(&CompressionBlockSize, 4, true);
  s.Serialize(&DirectoryIndexSize, 4, true);
  s.Serialize(&PartitionCount, 4, true);
  s.Serialize(&ContainerId, 8, true);
  EncryptionKeyGuid.Serialize(context);
  s.Serialize(&ContainerFlags, 1, true);
  SerializeArray(context, Reserved0, sizeof Reserved0, 1);
  s.Serialize(&PartitionSize, 8, true);
  SerializeArray(context, Reserved1, sizeof Reserved1, 1);
}

}  // namespace IoStore
