#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "iostore/directory_index.h"

namespace modpaths {

using DirectoryTable = IoStore::TArray<IoStore::FIoDirectoryIndexEntry>;
using FileTable = IoStore::TArray<IoStore::FIoFileIndexEntry>;
using StringTable = IoStore::FStringArray;

// What a walk met that a well-formed directory index never has. Each of
// these ends the chain it was found in.
struct WalkAnomalies {
  uint64_t linksOutOfRange = 0;     // a directory or file index outside its table
  uint64_t namesOutOfRange = 0;     // a Name outside the string table
  uint64_t entriesMetTwice = 0;     // a loop, or an entry shared by two parents
  bool noRoot = false;              // the walk's directory is not in the table
  bool outputLimitReached = false;  // the walk stopped at its output budget
};

// A well-formed index lists each file once, so its paths add up to a few
// times the size of its tables. A hostile one can make them grow with the
// square of its size (a deep chain with a file on every level), so a walk
// stops once its paths add up to this many bytes per byte of its tables,
// plus a fixed allowance.
inline constexpr uint64_t kPathBytesPerTableByte = 64;
inline constexpr uint64_t kPathBytesAllowance = uint64_t{16} << 20;

using FilePathVisitor = std::function<void(std::string_view path)>;

// Visits the path of every file below the directory at `directoryIndex`,
// whose own path is `directoryPath`, depth first: at each directory the
// files below its subdirectories come first, in sibling order, then its own
// files in chain order. A path is the directory's path, "/", and the name.
//
// The walk keeps its own stack, so depth costs no native stack, and builds
// each path by appending one name to its parent's. Every entry is visited at
// most once, so the number of paths is bounded by the file table, whatever
// the links say.
void ForEachFilePath(std::string_view directoryPath, uint32_t directoryIndex,
                     const StringTable& stringTable, const DirectoryTable& directoryEntries,
                     const FileTable& fileEntries, const FilePathVisitor& visit,
                     WalkAnomalies* anomalies = nullptr);

// The same walk, appending each path to `filePaths`.
void WalkDirectoryIndex(const std::string& directoryPath, uint32_t directoryIndex,
                        std::vector<std::string>& filePaths, const StringTable& stringTable,
                        const DirectoryTable& directoryEntries, const FileTable& fileEntries);

}  // namespace modpaths
