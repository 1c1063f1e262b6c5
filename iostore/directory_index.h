#pragma once

#include <cstdint>

#include "serializer/serializable.h"

namespace IoStore {

// Marks the end of a chain in the four link fields below.
inline constexpr uint32_t kNoEntry = 0xFFFFFFFF;

// One directory. Layout: four uint32, in field order.
struct FIoDirectoryIndexEntry : public SerializableClass {
  static constexpr uint64_t kMinEncodedSize = 16;

  void Serialize(SerializeContext* context) override;

  uint32_t Name = 0;              // into StringTable
  uint32_t FirstChildEntry = 0;   // into DirectoryEntries
  uint32_t NextSiblingEntry = 0;  // into DirectoryEntries
  uint32_t FirstFileEntry = 0;    // into FileEntries
};

// One file. Layout: three uint32, in field order.
struct FIoFileIndexEntry : public SerializableClass {
  static constexpr uint64_t kMinEncodedSize = 12;

  void Serialize(SerializeContext* context) override;

  uint32_t Name = 0;           // into StringTable
  uint32_t NextFileEntry = 0;  // into FileEntries
  uint32_t UserData = 0;
};

// The names of every file of a container, as a tree of directories rooted
// at DirectoryEntries[0] whose names live once in StringTable. Nothing is
// checked while reading; the walk copes with links that go astray.
//
// Layout, each member in its own encoding, with no size field of its own:
//   FString                  MountPoint
//   TArray<directory entry>  DirectoryEntries
//   TArray<file entry>       FileEntries
//   TArray<FString>          StringTable
struct FIoDirectoryIndexResource : public SerializableClass {
  void Serialize(SerializeContext* context) override;

  // Empty as a new index is, but each table keeps the room it took, for
  // the next container to be read into.
  void Clear();

  FString MountPoint;
  TArray<FIoDirectoryIndexEntry> DirectoryEntries;
  TArray<FIoFileIndexEntry> FileEntries;
  FStringArray StringTable;
};

}  // namespace IoStore
