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
  std::optional<std::string> ReadText(const std::string& path, size_t most) const override {
    platform::File file;
    if (!file.Open(platform::FindCaseless(path), platform::FileMode::Read)) return std::nullopt;
    const int64_t size = file.Size();
    if (size < 0 || static_cast<uint64_t>(size) > most) return std::nullopt;
    std::string text(static_cast<size_t>(size), '\0');
    size_t got = 0;
    while (got < text.size()) {
      const int64_t read = file.Read(text.data() + got, text.size() - got);
      if (read <= 0) return std::nullopt;
      got += static_cast<size_t>(read);
    }
    return text;
  }
  std::optional<std::string> Identity(const std::string& path) const override {
    return platform::FileIdentity(platform::FindCaseless(path));
  }
};

}  // namespace

const FileSystem& RealFileSystem() {
  static const Real real;
  return real;
}

}  // namespace steam
