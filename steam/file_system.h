#pragma once

// What the rules about a launcher's files read of the disk, behind a small
// interface, so that each rule is a pure function tested on a table of
// folders and files.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/file_system.h"

namespace steam {

// A file's text, or why there is none.
struct FileText {
  std::optional<std::string> text;
  bool tooLarge = false;  // it is there, but larger than the reader takes
};

class FileSystem {
 public:
  virtual ~FileSystem() = default;
  // Paths are found without regard to case where the system minds it, as
  // Wine finds a Windows program's files.
  virtual bool IsFolder(const std::string& path) const = 0;
  virtual std::optional<std::vector<platform::DirectoryEntry>> List(const std::string& folder) const = 0;
  // The file's text, if it can be read and holds at most `most` bytes.
  virtual FileText Read(const std::string& path, size_t most) const = 0;
  // What tells a folder apart whatever path reaches it (platform::FileIdentity).
  virtual std::optional<std::string> Identity(const std::string& path) const = 0;
  // The file's last change, in seconds since 1970.
  virtual std::optional<int64_t> ModifiedTime(const std::string& path) const = 0;

  std::optional<std::string> ReadText(const std::string& path, size_t most) const {
    return Read(path, most).text;
  }
  bool Exists(const std::string& path) const { return Identity(path).has_value(); }
};

// Why `path` gave no text, in words: too large, or not there to read.
std::string Unread(const std::string& path, const FileText& read, size_t most);

// The machine's own.
const FileSystem& RealFileSystem();

}  // namespace steam
