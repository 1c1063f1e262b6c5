#include "iostore/toc_resource.h"

#include <cstring>
#include <utility>

namespace IoStore {
namespace {

// Bytes the body after the header needs at least per chunk and per block:
// id, offset and length, meta; block entry.
constexpr int64_t kBytesPerChunk = 12 + 10 + 33;
constexpr int64_t kBytesPerBlock = 12;

template <typename T>
void Put(uint8_t* image, const T& value) {
  std::memcpy(image, &value, sizeof value);
}

template <typename T>
void Take(const uint8_t* image, T& value) {
  std::memcpy(&value, image, sizeof value);
}

// A container packed without a directory index says so with a
// DirectoryIndexSize of 0, and then only the chunk metas follow the optional
// sections. A file cut short could leave exactly that many bytes too, so
// both must agree.
bool OnlyChunkMetasLeft(SerializeContext* context, const FIoStoreTocResource& toc) {
  Tessel::BaseSerializer& reader = *context->serializer;
  if (reader.IsFailed() || toc.Header.DirectoryIndexSize != 0) return false;
  const int64_t left = reader.GetSize() - reader.Tell();
  return left == int64_t{FIoTocChunkMeta::kMinEncodedSize} * toc.Header.TocEntryCount;
}

// Moves the reader past `count` records of the kind, without making them,
// when all their bytes are there; otherwise reads them into one scratch
// record, so that the stream fails exactly where reading them would.
template <typename Record>
void PassOver(SerializeContext* context, int32_t count) {
  Tessel::BaseSerializer& reader = *context->serializer;
  const uint64_t bytes = uint64_t{Record::kMinEncodedSize} * static_cast<uint32_t>(count);
  if (count > 0 && reader.BytesLeft() >= bytes) {
    reader.Seek(reader.Tell() + static_cast<int64_t>(bytes));
    return;
  }
  Record scratch;
  for (int32_t i = 0; i < count && !reader.IsFailed(); ++i) scratch.Serialize(context);
}

}  // namespace

void FIoChunkId::Serialize(SerializeContext* context) {
  Tessel::BaseSerializer& s = *context->serializer;
  s.Serialize(&ChunkId, 8, true);
  s.Serialize(&ChunkIndex, 2, true);
  s.Serialize(&ChunkReserved, 1, true);
  s.Serialize(&ChunkType, 1, true);
}

void FIoOffsetAndLength::Serialize(SerializeContext* context) {
  // The parts are moved through a byte image of the record, in file order.
  uint8_t image[10];
  Put(image + 0, OffsetHead);
  Put(image + 4, OffsetTail);
  Put(image + 5, LengthHead);
  Put(image + 9, LengthTail);
  SerializeArray(context, image, sizeof image, 1);
  Take(image + 0, OffsetHead);
  Take(image + 4, OffsetTail);
  Take(image + 5, LengthHead);
  Take(image + 9, LengthTail);
}

void FIoStoreTocCompressedBlockEntry::Serialize(SerializeContext* context) {
  uint8_t image[11];
  Put(image + 0, OffsetHead);
  Put(image + 4, OffsetTail);
  Put(image + 5, CompressedSizeHead);
  Put(image + 7, CompressedSizeTail);
  Put(image + 8, UncompressedSizeHead);
  Put(image + 10, UncompressedSizeTail);
  SerializeArray(context, image, sizeof image, 1);
  context->serializer->Serialize(&CompressionMethodIndex, 1, true);
  Take(image + 0, OffsetHead);
  Take(image + 4, OffsetTail);
  Take(image + 5, CompressedSizeHead);
  Take(image + 7, CompressedSizeTail);
  Take(image + 8, UncompressedSizeHead);
  Take(image + 10, UncompressedSizeTail);
}

void FIoTocChunkMeta::Serialize(SerializeContext* context) {
  SerializeArray(context, ChunkHash, sizeof ChunkHash, 1);
  context->serializer->Serialize(&Flags, 1, true);
}

void Signature::Serialize(SerializeContext*) {}

void Signature::Serialize(SerializeContext* context, int32_t blockCount) {
  uint32_t hashSize = HashSize;
  context->serializer->Serialize(&hashSize, 4, true);
  if (context->isLoading) {
    // Both hashes must fit in what is left before either is made.
    if (!context->serializer->CanHold(hashSize, 2, "HashSize")) return;
    HashSize = hashSize;
  }
  SerializeArray(context, TocSignature, HashSize);
  SerializeArray(context, BlockSignature, HashSize);
  SerializeArray(context, ChunkBlockSignatures, 20 * static_cast<int64_t>(blockCount));
}

void FIoStoreTocResource::Serialize(SerializeContext* context) { Transfer(context, Tables::Build); }

void FIoStoreTocResource::Transfer(SerializeContext* context, Tables tables) {
  Tessel::MarkSection(context, "header");
  Header.Serialize(context);
  const int32_t chunks = Header.TocEntryCount;
  const int32_t blocks = Header.TocCompressedBlockEntryCount;
  // The header is whole here: a refused count below runs out in the tables.
  Tessel::MarkSection(context, "ChunkIds");

  // The counts come from the header, which a hostile file fills at will:
  // nothing is sized from them unless the rest of the file can hold that
  // many records.
  const int64_t bodyBytes =
      chunks < 0 || blocks < 0 ? -1 : kBytesPerChunk * chunks + kBytesPerBlock * blocks;
  if (!context->isLoading) tables = Tables::Build;
  const bool fit =
      !context->isLoading || context->serializer->CanHold(bodyBytes, 1, kTableCounts);
  const bool ids = tables != Tables::PassOver, all = tables == Tables::Build;
  // A table that does not fit stays empty, and reading it moves nothing.
  auto table = [&](auto& array, int32_t count, bool build) {
    using Element = typename std::decay_t<decltype(array.elements)>::value_type;
    if (fit && !build) {
      PassOver<Element>(context, count);
      return;
    }
    if (fit) array.Resize(count);
    for (Element& element : array.elements) element.Serialize(context);
  };
  table(ChunkIds, chunks, ids);
  Tessel::MarkSection(context, "ChunkOffsetLengths");
  table(ChunkOffsetLengths, chunks, all);
  Tessel::MarkSection(context, "CompressionBlocks");
  table(CompressionBlocks, blocks, all);

  if (Header.ContainerFlags & ContainerFlags::Compressed) {
    Tessel::MarkSection(context, "CompressionMethodNames");
    SerializeArray(context, CompressionMethodName, 8, 4);
    // A container may name several methods, one 32-byte slot each; a count
    // of 0 or 1 means the one slot above.
    const uint32_t named = Header.CompressionMethodNameCount;
    const int64_t more = named > 1 ? static_cast<int64_t>(named) - 1 : 0;
    if (!context->isLoading ||
        context->serializer->CanHold(more, sizeof(MethodName), "CompressionMethodNameCount")) {
      MoreCompressionMethodNames.resize(static_cast<size_t>(more));
      for (MethodName& name : MoreCompressionMethodNames) {
        SerializeArray(context, name.data(), name.size(), 4);
      }
    }
  }
  if (Header.ContainerFlags & ContainerFlags::Signed) {
    Tessel::MarkSection(context, "SignatureBlock");
    SignatureBlock.Serialize(context, blocks);
  }
  if (!(Header.ContainerFlags & ContainerFlags::Encrypted)) {
    if (context->isLoading) NoDirectoryIndex = OnlyChunkMetasLeft(context, *this);
    if (!NoDirectoryIndex) DirectoryIndex.Serialize(context);
  }
  Tessel::MarkSection(context, "ChunkMetas");
  table(ChunkMetas, chunks, ids);
  Tessel::MarkSection(context, "end");
}

void FIoStoreTocResource::LoadFromFile(std::string path) { LoadFromFile(std::move(path), nullptr); }

void FIoStoreTocResource::LoadIndexFromFile(std::string path) {
  FIoDirectoryIndexResource index = std::move(DirectoryIndex);
  index.Clear();
  *this = FIoStoreTocResource();
  DirectoryIndex = std::move(index);
  Tessel::SerializeContext context;
  context.Open(std::move(path), Tessel::OpenMode::Read);
  ReadIndex(&context);
  context.serializer->Close();
}

void FIoStoreTocResource::ReadIndex(SerializeContext* context) { Transfer(context, Tables::PassOver); }

void FIoStoreTocResource::LoadFromFile(std::string path, TocReadReport* report, Tables tables) {
  Tessel::SerializeContext context;
  context.Open(std::move(path), Tessel::OpenMode::Read);
  context.observer = report;
  if (report) report->fileSize = context.serializer->GetSize();
  Transfer(&context, tables);
  if (report) report->failure = context.serializer->Failure();
  context.serializer->Close();
}

}  // namespace IoStore
