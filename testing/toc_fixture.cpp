#include "testing/toc_fixture.h"

#include <cstring>
#include <map>
#include <utility>

namespace testing_support {
namespace {

using IoStore::kNoEntry;

class IndexBuilder {
 public:
  explicit IndexBuilder(IoStore::FIoDirectoryIndexResource& index) : index_(index) {}

  uint32_t AddFolder(const Folder& folder) {
    auto& directories = index_.DirectoryEntries.elements;
    const auto self = static_cast<uint32_t>(directories.size());
    directories.emplace_back();
    // The root's name is never used; a real container leaves it unset too.
    directories[self].Name = self == 0 ? kNoEntry : Name(folder.name);
    directories[self].FirstChildEntry = kNoEntry;
    directories[self].NextSiblingEntry = kNoEntry;
    directories[self].FirstFileEntry = kNoEntry;

    uint32_t previous = kNoEntry;
    for (const Folder& child : folder.folders) {
      const uint32_t index = AddFolder(child);
      if (previous == kNoEntry) {
        directories[self].FirstChildEntry = index;
      } else {
        directories[previous].NextSiblingEntry = index;
      }
      previous = index;
    }

    auto& files = index_.FileEntries.elements;
    previous = kNoEntry;
    for (const std::string& name : folder.files) {
      const auto index = static_cast<uint32_t>(files.size());
      files.emplace_back();
      files[index].Name = Name(name);
      files[index].NextFileEntry = kNoEntry;
      files[index].UserData = index * 3 + 1;
      if (previous == kNoEntry) {
        directories[self].FirstFileEntry = index;
      } else {
        files[previous].NextFileEntry = index;
      }
      previous = index;
    }
    return self;
  }

 private:
  uint32_t Name(const std::string& name) {
    auto [at, added] = names_.try_emplace(name, static_cast<uint32_t>(names_.size()));
    if (added) index_.StringTable.elements.emplace_back(name);
    return at->second;
  }

  IoStore::FIoDirectoryIndexResource& index_;
  std::map<std::string, uint32_t> names_;
};

}  // namespace

IoStore::FIoDirectoryIndexResource MakeDirectoryIndex(const std::string& mountPoint,
                                                      const Folder& root) {
  IoStore::FIoDirectoryIndexResource index;
  index.MountPoint = IoStore::FString(mountPoint);
  IndexBuilder(index).AddFolder(root);
  return index;
}

Folder WorkedExample() {
  return Folder{"",
                {Folder{"HollowVoyage",
                        {Folder{"Content", {Folder{"Mods", {}, {"Foo.uasset", "Foo.uexp"}}}, {}},
                         Folder{"Plugins", {Folder{"Extra", {}, {"Baz.uasset"}}}, {}}},
                        {}}},
                {}};
}

void AddChain(RawIndex& raw, uint32_t depth, uint32_t bottomFile) {
  for (uint32_t level = 0; level <= depth; ++level) {
    raw.Dir(level == 0 ? IoStore::kNoEntry : 0, level < depth ? level + 1 : IoStore::kNoEntry,
            IoStore::kNoEntry, level == depth ? bottomFile : IoStore::kNoEntry);
  }
}

void AddDoubleLinkLadder(RawIndex& raw, uint32_t levels) {
  raw.Dir(IoStore::kNoEntry, 1, IoStore::kNoEntry, IoStore::kNoEntry);
  for (uint32_t level = 0; level < levels; ++level) {
    const uint32_t first = 1 + 2 * level;
    const uint32_t next = level + 1 < levels ? first + 2 : IoStore::kNoEntry;
    raw.Dir(0, next, first + 1, IoStore::kNoEntry).Dir(1, next, IoStore::kNoEntry, 0);
  }
}

RawIndex::RawIndex(const std::string& mountPoint, std::initializer_list<const char*> names) {
  index.MountPoint = IoStore::FString(mountPoint);
  for (const char* name : names) index.StringTable.elements.emplace_back(name);
}

RawIndex& RawIndex::Dir(uint32_t name, uint32_t firstChild, uint32_t nextSibling,
                        uint32_t firstFile) {
  IoStore::FIoDirectoryIndexEntry entry;
  entry.Name = name;
  entry.FirstChildEntry = firstChild;
  entry.NextSiblingEntry = nextSibling;
  entry.FirstFileEntry = firstFile;
  index.DirectoryEntries.elements.push_back(entry);
  return *this;
}

RawIndex& RawIndex::File(uint32_t name, uint32_t nextFile) {
  IoStore::FIoFileIndexEntry entry;
  entry.Name = name;
  entry.NextFileEntry = nextFile;
  index.FileEntries.elements.push_back(entry);
  return *this;
}

IoStore::FIoStoreTocResource MakeToc(const IoStore::FIoDirectoryIndexResource& index,
                                     int32_t chunks, int32_t blocks, uint8_t flags) {
  IoStore::FIoStoreTocResource toc;
  IoStore::FIoStoreTocHeader& header = toc.Header;
  std::memcpy(header.TocMagic, "-==--==--==--==-", 16);
  header.Version = 3;
  header.TocHeaderSize = IoStore::FIoStoreTocHeader::kSize;
  header.TocEntryCount = chunks;
  header.TocCompressedBlockEntryCount = blocks;
  header.TocCompressedBlockEntrySize = 12;
  header.CompressionMethodNameCount = (flags & IoStore::ContainerFlags::Compressed) ? 1 : 0;
  header.CompressionMethodNameLength = 32;
  header.CompressionBlockSize = 0x10000;
  header.PartitionCount = 1;
  header.ContainerId = 0x1122334455667788;
  header.ContainerFlags = flags;
  header.PartitionSize = UINT64_MAX;

  for (int32_t i = 0; i < chunks; ++i) {
    IoStore::FIoChunkId id;
    id.ChunkId = 0xC0DE000000000000u + static_cast<uint64_t>(i);
    id.ChunkIndex = static_cast<uint16_t>(i);
    id.ChunkType = 2;
    toc.ChunkIds.elements.push_back(id);
    IoStore::FIoOffsetAndLength where;
    where.OffsetHead = static_cast<uint32_t>(i) * 0x10000;
    where.LengthHead = 0x1234;
    where.LengthTail = 1;
    toc.ChunkOffsetLengths.elements.push_back(where);
    IoStore::FIoTocChunkMeta meta;
    std::memset(meta.ChunkHash, 0xA0 + (i & 0xF), sizeof meta.ChunkHash);
    meta.Flags = 1;
    toc.ChunkMetas.elements.push_back(meta);
  }
  for (int32_t i = 0; i < blocks; ++i) {
    IoStore::FIoStoreTocCompressedBlockEntry block;
    block.OffsetHead = static_cast<uint32_t>(i) * 0x8000;
    block.CompressedSizeHead = 0x7FFF;
    block.UncompressedSizeHead = 0xFFFF;
    block.UncompressedSizeTail = 0;
    block.CompressionMethodIndex = 1;
    toc.CompressionBlocks.elements.push_back(block);
  }
  std::memcpy(toc.CompressionMethodName, "Oodle", 5);
  toc.SignatureBlock.HashSize = 20;
  toc.SignatureBlock.TocSignature.assign(20, 0x51);
  toc.SignatureBlock.BlockSignature.assign(20, 0x52);
  toc.SignatureBlock.ChunkBlockSignatures.assign(20 * static_cast<size_t>(blocks), 0x53);
  toc.DirectoryIndex = index;
  // The engine's packer states the index's size, and 0 only for a container
  // packed without one.
  std::vector<uint8_t> indexBytes;
  Tessel::SerializeContext context;
  context.OpenMemory(&indexBytes);
  toc.DirectoryIndex.Serialize(&context);
  header.DirectoryIndexSize = static_cast<uint32_t>(indexBytes.size());
  return toc;
}

bool WriteToc(IoStore::FIoStoreTocResource toc, const std::string& path) {
  Tessel::SerializeContext context;
  context.Open(path, Tessel::OpenMode::Write);
  toc.Serialize(&context);
  context.serializer->Close();
  return !context.serializer->IsFailed();
}

}  // namespace testing_support
