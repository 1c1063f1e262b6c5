#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "iostore/directory_index.h"
#include "iostore/toc_header.h"
#include "serializer/serializable.h"

namespace IoStore {

// Layout (12 bytes): uint64 ChunkId, uint16 ChunkIndex, uint8 ChunkReserved,
// uint8 ChunkType.
struct FIoChunkId : public SerializableClass {
  static constexpr uint64_t kMinEncodedSize = 12;
  void Serialize(SerializeContext* context) override;

  uint64_t ChunkId = 0;
  uint16_t ChunkIndex = 0;
  uint8_t ChunkReserved = 0;
  uint8_t ChunkType = 0;
};

// Two 40-bit numbers, each held as a 32-bit head (its first four bytes in
// host order) and an 8-bit tail (its fifth byte); nothing combines them.
// Layout (10 bytes): Offset head, Offset tail, Length head, Length tail.
struct FIoOffsetAndLength : public SerializableClass {
  static constexpr uint64_t kMinEncodedSize = 10;
  void Serialize(SerializeContext* context) override;

  uint32_t OffsetHead = 0;
  uint8_t OffsetTail = 0;
  uint32_t LengthHead = 0;
  uint8_t LengthTail = 0;
};

// Layout (12 bytes): a 40-bit Offset (32-bit head, 8-bit tail), a 24-bit
// CompressedSize and a 24-bit UncompressedSize (16-bit head, 8-bit tail
// each), then uint8 CompressionMethodIndex.
struct FIoStoreTocCompressedBlockEntry : public SerializableClass {
  static constexpr uint64_t kMinEncodedSize = 12;
  void Serialize(SerializeContext* context) override;

  uint32_t OffsetHead = 0;
  uint8_t OffsetTail = 0;
  uint16_t CompressedSizeHead = 0;
  uint8_t CompressedSizeTail = 0;
  uint16_t UncompressedSizeHead = 0;
  uint8_t UncompressedSizeTail = 0;
  uint8_t CompressionMethodIndex = 0;
};

// Layout (33 bytes): 32 bytes ChunkHash, uint8 Flags.
struct FIoTocChunkMeta : public SerializableClass {
  static constexpr uint64_t kMinEncodedSize = 33;
  void Serialize(SerializeContext* context) override;

  uint8_t ChunkHash[32] = {};
  uint8_t Flags = 0;
};

// The signature block of a signed container; B is the header's
// TocCompressedBlockEntryCount, which the block does not store itself.
// Layout: uint32 HashSize, HashSize bytes TocSignature, HashSize bytes
// BlockSignature, 20 x B bytes ChunkBlockSignatures.
class Signature : public SerializableClass {
 public:
  // The record alone transfers nothing: its size depends on the header.
  void Serialize(SerializeContext* context) override;
  void Serialize(SerializeContext* context, int32_t blockCount);

  uint32_t HashSize = 0;
  std::vector<uint8_t> TocSignature;
  std::vector<uint8_t> BlockSignature;
  std::vector<uint8_t> ChunkBlockSignatures;
};

// What loading a file met, for tools that explain a container: where each
// section began and how reading ended. The tool itself keeps none.
struct TocReadReport : public Tessel::SerializeObserver {
  struct SectionStart {
    std::string_view name;  // the layout's own literal
    int64_t offset;         // -1: not reached, the stream had failed before
  };

  void Section(std::string_view name, int64_t offset) override {
    sections.push_back({name, offset});
  }

  int64_t fileSize = -1;  // -1: the file could not be opened
  std::vector<SectionStart> sections;
  Tessel::StreamFailure failure;  // kind None: the whole layout was read
};

// A whole .utoc file. With N = TocEntryCount and B =
// TocCompressedBlockEntryCount from the header, the file holds, in order:
//
//   header                    144 bytes
//   ChunkIds                  12 x N
//   ChunkOffsetLengths        10 x N
//   CompressionBlocks         12 x B
//   compression method names  32 x max(1, CompressionMethodNameCount)  if Compressed
//   signature block           4 + 2 x HashSize + 20 x B                if Signed
//   directory index           (FIoDirectoryIndexResource)              unless Encrypted
//                                                                      or packed without
//   ChunkMetas                33 x N
//
// The arrays carry no counts of their own here: N and B size them, when
// saving too, so saving resizes each array to the header's counts first
// (dropping or zero-filling elements). An encrypted container's
// directory index is neither read nor skipped, so its ChunkMetas hold
// whatever bytes follow; nothing reads them. A container packed without a
// directory index (DirectoryIndexSize 0, and exactly N chunk metas left
// after the optional sections) has none to read or write.
// What a read makes of the tables around the directory index. Tables that
// are passed over must be there all the same, so that a file cut short or
// stating counts it cannot hold fails as it would when they are built.
enum class Tables : uint8_t {
  Build,        // every table
  IdsAndMetas,  // ChunkIds and ChunkMetas, which tell two containers' data apart
  PassOver,     // none: the directory index alone, as the tool reads it
};

class FIoStoreTocResource : public SerializableClass {
 public:
  using MethodName = std::array<uint32_t, 8>;
  // What a refusal of the header's two counts names.
  static constexpr std::string_view kTableCounts = "TocEntryCount and TocCompressedBlockEntryCount";

  void Serialize(SerializeContext* context) override;

  // Reads the file at `path` into this resource. Nothing is reported: a file
  // that cannot be opened leaves the resource as it was, and one that ends
  // early or states counts it cannot hold leaves the rest at its defaults.
  void LoadFromFile(std::string path);
  void LoadFromFile(std::string path, TocReadReport* report, Tables tables = Tables::Build);

  // Reads only what the directory index needs, for the tool: the tables
  // around the index are passed over in the stream rather than built, and
  // must be there all the same, so that a file cut short or stating counts
  // it cannot hold fails as it would in LoadFromFile. The resource starts
  // as a new one would, except that the index's tables keep the room they
  // took: the tool reads one container after another into one resource.
  void LoadIndexFromFile(std::string path);
  // The same on a context opened for reading.
  void ReadIndex(SerializeContext* context);

  FIoStoreTocHeader Header;
  TArray<FIoChunkId> ChunkIds;
  TArray<FIoOffsetAndLength> ChunkOffsetLengths;
  TArray<FIoStoreTocCompressedBlockEntry> CompressionBlocks;
  // The first compression method name slot ...
  uint32_t CompressionMethodName[8] = {};
  // ... and any further ones the header names, so that writing reproduces
  // the file.
  std::vector<MethodName> MoreCompressionMethodNames;
  Signature SignatureBlock;
  // Set by loading when the container was packed without an index; saving
  // then writes none.
  bool NoDirectoryIndex = false;
  FIoDirectoryIndexResource DirectoryIndex;
  TArray<FIoTocChunkMeta> ChunkMetas;

 private:
  // One statement of the layout for every read and write: loading builds
  // the tables `tables` asks for and passes over the others; saving writes
  // every table it holds.
  void Transfer(SerializeContext* context, Tables tables);
};

}  // namespace IoStore
