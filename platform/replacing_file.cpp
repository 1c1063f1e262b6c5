#include "platform/replacing_file.h"

#include "platform/process.h"

namespace platform {
namespace {

bool Digits(std::string_view text) {
  return !text.empty() && text.find_first_not_of("0123456789") == std::string_view::npos;
}

}  // namespace

bool ReplacingFile::Create(const std::string& target) {
  Discard();
  error_ = 0;
  for (uint32_t attempt = 0; attempt < 100; ++attempt) {
    const std::string name = TemporaryName(target, ProcessId(), attempt);
    if (claim_.Open(name, FileMode::CreateNew)) {
      // A cleanup that meets the file before the lock is taken leaves it
      // alone for its age.
      claim_.Claim();
      target_ = target;
      temporary_ = name;
      return true;
    }
    error_ = claim_.Error();
    // Nothing there: the folder refuses files.
    if (!PathExists(name)) return false;
  }
  return false;
}

bool ReplacingFile::Commit() {
  if (temporary_.empty()) return false;
  if (!RenameOver(temporary_, target_, &error_)) {
    Discard();
    return false;
  }
  // The rename reaches the disk only with its folder.
  SyncFolder(std::string(ParentFolder(target_, kNativePaths)));
  // Held until now, so that no cleanup could take the file before the rename.
  claim_.Close();
  temporary_.clear();
  return true;
}

void ReplacingFile::Discard() {
  if (temporary_.empty()) return;
  RemoveFile(temporary_);
  claim_.Close();
  temporary_.clear();
}

std::string TemporaryName(const std::string& target, uint32_t processId, uint32_t attempt) {
  return target + "." + std::to_string(processId) +
         (attempt == 0 ? std::string() : "-" + std::to_string(attempt)) + ".tmp";
}

bool IsTemporaryName(std::string_view name, std::string_view targetName) {
  // <file>.<digits>[-<digits>].tmp, as every version has named them.
  if (name.size() <= targetName.size() + 5 || name.compare(0, targetName.size(), targetName) != 0 ||
      name[targetName.size()] != '.' || name.compare(name.size() - 4, 4, ".tmp") != 0) {
    return false;
  }
  const std::string_view middle =
      name.substr(targetName.size() + 1, name.size() - targetName.size() - 5);
  const size_t dash = middle.find('-');
  return Digits(middle.substr(0, dash)) &&
         (dash == std::string_view::npos || Digits(middle.substr(dash + 1)));
}

std::vector<std::string> LeftoverTemporaries(const std::string& target) {
  const std::string folder(ParentFolder(target, kNativePaths));
  const std::string_view name = BaseName(target, kNativePaths);
  std::vector<std::string> found;
  const auto entries = ListFolder(folder);
  if (!entries) return found;
  for (const DirectoryEntry& entry : *entries) {
    if (!entry.isFolder && IsTemporaryName(entry.name, name))
      found.push_back(folder + kNativePaths.separator + entry.name);
  }
  return found;
}

uint32_t RemoveLeftoverTemporaries(const std::string& target, int64_t minimumAge) {
  uint32_t removed = 0;
  for (const std::string& path : LeftoverTemporaries(target))
    if (RemoveIfAbandoned(path, minimumAge)) ++removed;
  return removed;
}

}  // namespace platform
