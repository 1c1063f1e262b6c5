#include "steam/file_system.h"

namespace steam {
namespace {

class Real final : public FileSystem {
 public:
  bool IsFolder(const std::string& path) const override {
    return platform::IsFolder(platform::FindCaseless(path));
  }
  std::optional<std::vector<platform::DirectoryEntry>> List(const std::string& folder) const override {
    return platform::ListFolder(platform::FindCaseless(folder));
  }
  FileText Read(const std::string& path, size_t most) const override {
    FileText read;
    platform::File file;
    if (!file.Open(platform::FindCaseless(path), platform::FileMode::Read)) return read;
    const int64_t size = file.Size();
    if (size < 0) return read;
    if (static_cast<uint64_t>(size) > most) {
      read.tooLarge = true;
      return read;
    }
    std::string text(static_cast<size_t>(size), '\0');
    size_t got = 0;
    while (got < text.size()) {
      const int64_t chunk = file.Read(text.data() + got, text.size() - got);
      if (chunk <= 0) return read;
      got += static_cast<size_t>(chunk);
    }
    read.text = std::move(text);
    return read;
  }
  std::optional<std::string> Identity(const std::string& path) const override {
    return platform::FileIdentity(platform::FindCaseless(path));
  }
  std::optional<int64_t> ModifiedTime(const std::string& path) const override {
    return platform::ModifiedTime(platform::FindCaseless(path));
  }
};

}  // namespace

std::string Unread(const std::string& path, const FileText& read, size_t most) {
  const std::string shown = platform::InStyle(path, platform::kNativePaths);
  if (read.tooLarge) {
    return shown + " is too large: larger than " +
           (most >= (1u << 20) ? std::to_string(most >> 20) + " MiB"
                               : std::to_string(most >> 10) + " KiB") +
           ", which no file of its kind is";
  }
  return "there is no " + shown + " that can be read";
}

const FileSystem& RealFileSystem() {
  static const Real real;
  return real;
}

}  // namespace steam
