#pragma once

// What the rules about Steam's files read of the disk, behind a small
// interface, so that each rule is a pure function tested on a table of
// folders and files.

#include <optional>
#include <string>
#include <vector>

#include "platform/file_system.h"

namespace steam {

class FileSystem {
 public:
  virtual ~FileSystem() = default;
  // Paths are found without regard to case where the system minds it, as
  // Wine finds a Windows program's files.
  virtual bool IsFolder(const std::string& path) const = 0;
  virtual std::optional<std::vector<platform::DirectoryEntry>> List(const std::string& folder) const = 0;
  // The file's text; nothing when it cannot be read or is larger than `most`.
  virtual std::optional<std::string> ReadText(const std::string& path, size_t most) const = 0;
  // What tells a folder apart whatever path reaches it (platform::FileIdentity).
  virtual std::optional<std::string> Identity(const std::string& path) const = 0;
  bool Exists(const std::string& path) const { return Identity(path).has_value(); }
};

// The machine's own.
const FileSystem& RealFileSystem();

}  // namespace steam
