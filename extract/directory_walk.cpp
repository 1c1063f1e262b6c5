#include "extract/directory_walk.h"

namespace modpaths {
namespace {

using IoStore::kNoEntry;

struct Frame {
  uint32_t directory;
  uint32_t nextChild;  // the next subdirectory to walk, or kNoEntry
  size_t pathLength;   // the directory's path is that prefix of the buffer
};

class Walk {
 public:
  Walk(const StringTable& strings, const DirectoryTable& directories, const FileTable& files,
       WalkAnomalies& anomalies)
      : strings_(strings),
        directories_(directories.elements),
        files_(files.elements),
        anomalies_(anomalies),
        directoryMet_(directories_.size()),
        fileMet_(files_.size()),
        budget_(OutputBudget()) {}

  void Run(std::string_view rootPath, uint32_t root, const FilePathVisitor& visit) {
    if (root >= directories_.size()) {
      anomalies_.noRoot = true;
      return;
    }
    std::string path(rootPath);
    std::vector<Frame> stack;
    directoryMet_[root] = true;
    stack.push_back({root, directories_[root].FirstChildEntry, path.size()});

    while (!stack.empty()) {
      Frame& top = stack.back();
      path.resize(top.pathLength);
      if (top.nextChild != kNoEntry) {
        const uint32_t child = top.nextChild;
        std::string_view name;
        if (!EnterDirectory(child, name)) {
          top.nextChild = kNoEntry;
          continue;
        }
        top.nextChild = directories_[child].NextSiblingEntry;
        path += '/';
        path += name;
        stack.push_back({child, directories_[child].FirstChildEntry, path.size()});
        continue;
      }

      // Every subdirectory is done; the directory's own files come last.
      std::string_view name;
      for (uint32_t file = directories_[top.directory].FirstFileEntry;
           file != kNoEntry && EnterFile(file, name); file = files_[file].NextFileEntry) {
        path += '/';
        path += name;
        if (path.size() > budget_) {
          anomalies_.outputLimitReached = true;
          return;
        }
        budget_ -= path.size();
        visit(path);
        path.resize(top.pathLength);
      }
      stack.pop_back();
    }
  }

 private:
  uint64_t OutputBudget() const {
    const uint64_t tableBytes = 16 * uint64_t{directories_.size()} +
                                12 * uint64_t{files_.size()} + strings_.EncodedSize();
    return kPathBytesAllowance + kPathBytesPerTableByte * tableBytes;
  }

  // Each check below ends the chain when it fails.
  bool EnterDirectory(uint32_t index, std::string_view& name) {
    if (index >= directories_.size()) return OutOfRange();
    return Enter(directoryMet_[index], directories_[index].Name, name);
  }

  bool EnterFile(uint32_t index, std::string_view& name) {
    if (index >= files_.size()) return OutOfRange();
    return Enter(fileMet_[index], files_[index].Name, name);
  }

  bool OutOfRange() {
    ++anomalies_.linksOutOfRange;
    return false;
  }

  bool Enter(std::vector<bool>::reference met, uint32_t nameIndex, std::string_view& name) {
    if (met) {
      ++anomalies_.entriesMetTwice;
      return false;
    }
    if (nameIndex >= strings_.size()) {
      ++anomalies_.namesOutOfRange;
      return false;
    }
    met = true;
    name = strings_[nameIndex];
    return true;
  }

  const StringTable& strings_;
  const std::vector<IoStore::FIoDirectoryIndexEntry>& directories_;
  const std::vector<IoStore::FIoFileIndexEntry>& files_;
  WalkAnomalies& anomalies_;
  std::vector<bool> directoryMet_;
  std::vector<bool> fileMet_;
  uint64_t budget_;
};

}  // namespace

void ForEachFilePath(std::string_view directoryPath, uint32_t directoryIndex,
                     const StringTable& stringTable, const DirectoryTable& directoryEntries,
                     const FileTable& fileEntries, const FilePathVisitor& visit,
                     WalkAnomalies* anomalies) {
  WalkAnomalies ignored;
  Walk(stringTable, directoryEntries, fileEntries, anomalies ? *anomalies : ignored)
      .Run(directoryPath, directoryIndex, visit);
}

void WalkDirectoryIndex(const std::string& directoryPath, uint32_t directoryIndex,
                        std::vector<std::string>& filePaths, const StringTable& stringTable,
                        const DirectoryTable& directoryEntries, const FileTable& fileEntries) {
  ForEachFilePath(directoryPath, directoryIndex, stringTable, directoryEntries, fileEntries,
                  [&](std::string_view path) { filePaths.emplace_back(path); });
}

}  // namespace modpaths
