#pragma once

// Containers for tests, the demo and the benchmark, made by the writer
// direction of the same records the tool reads.

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

#include "iostore/toc_resource.h"

namespace testing_support {

// A folder of a directory index, described by nesting.
struct Folder {
  std::string name;
  std::vector<Folder> folders;
  std::vector<std::string> files;
};

// The directory index of `root` (whose own name is not used): directories
// are numbered depth first with the root at 0, chains follow the order of
// the description, each name is stored once in the string table.
IoStore::FIoDirectoryIndexResource MakeDirectoryIndex(const std::string& mountPoint,
                                                      const Folder& root);

// A directory index made entry by entry, for links no writer would make:
// loops, shared entries, indices and names out of range.
struct RawIndex {
  RawIndex(const std::string& mountPoint, std::initializer_list<const char*> names);
  RawIndex& Dir(uint32_t name, uint32_t firstChild, uint32_t nextSibling, uint32_t firstFile);
  RawIndex& File(uint32_t name, uint32_t nextFile);

  IoStore::FIoDirectoryIndexResource index;
};

// The worked example, shared by tests, seeds and the demo:
//   HollowVoyage/Content/Mods/Foo.uasset, Foo.uexp
//   HollowVoyage/Plugins/Extra/Baz.uasset
// Below the mount point "../../../" its package paths are
// "/Game/Mods/Foo.Foo" and "../../../HollowVoyage/Plugins/Extra/Baz.Baz".
Folder WorkedExample();

// Adds the root and a chain of `depth` directories below it, each named by
// string 0 and the child of the one before; the deepest holds file
// `bottomFile`. The root's file link is kNoEntry.
void AddChain(RawIndex& raw, uint32_t depth, uint32_t bottomFile);

// Adds the root and `levels` levels of two directories (strings 0 and 1)
// whose children are both the next level's first entry, the second of each
// holding file 0: 2^levels paths if every link were followed.
void AddDoubleLinkLadder(RawIndex& raw, uint32_t levels);

// A whole table of contents around `index`, with `chunks` chunk records and
// `blocks` compressed blocks filled with recognisable values, and a header
// whose counts agree.
IoStore::FIoStoreTocResource MakeToc(const IoStore::FIoDirectoryIndexResource& index,
                                     int32_t chunks = 2, int32_t blocks = 1, uint8_t flags = 0);

// Writes the resource through a Write context. False when the write failed.
bool WriteToc(IoStore::FIoStoreTocResource toc, const std::string& path);

}  // namespace testing_support
