#include "app/discovery.h"

#include "extract/package_paths.h"
#include "iostore/toc_resource.h"
#include "platform/platform.h"

namespace modpaths {

const std::array<std::string_view, 18> BaseGameContainers = {
    "global.utoc",
    "pakchunk0optional-WindowsNoEditor.utoc",
    "pakchunk0-WindowsNoEditor.utoc",
    "pakchunk1-WindowsNoEditor.utoc",
    "pakchunk2-WindowsNoEditor.utoc",
    "pakchunk3-WindowsNoEditor.utoc",
    "pakchunk4-WindowsNoEditor.utoc",
    "pakchunk5-WindowsNoEditor.utoc",
    "pakchunk6-WindowsNoEditor.utoc",
    "pakchunk7-WindowsNoEditor.utoc",
    "pakchunk8-WindowsNoEditor.utoc",
    "pakchunk10-WindowsNoEditor.utoc",
    "pakchunk15optional-WindowsNoEditor.utoc",
    "pakchunk15-WindowsNoEditor.utoc",
    "pakchunk20optional-WindowsNoEditor.utoc",
    "pakchunk20-WindowsNoEditor.utoc",
    "pakchunk25optional-WindowsNoEditor.utoc",
    "pakchunk25-WindowsNoEditor.utoc",
};

std::vector<std::string> ListFiles(const std::string& folder, bool recurse) {
  std::vector<std::string> files;
  std::vector<platform::DirectoryEntry> entries;
  if (!platform::ListFolder(folder, entries)) return files;
  const char separator = platform::kNativePaths.separator;
  for (const platform::DirectoryEntry& entry : entries) {
    if (entry.isFolder) {
      if (entry.name == "." || entry.name == ".." || !recurse) continue;
      std::vector<std::string> inner = ListFiles(folder + separator + entry.name, false);
      files.insert(files.end(), std::make_move_iterator(inner.begin()),
                   std::make_move_iterator(inner.end()));
    } else {
      files.push_back(folder + separator + entry.name);
    }
  }
  return files;
}

std::string_view GetExtension(std::string_view path) {
  const size_t dot = path.rfind('.');
  return dot == std::string_view::npos ? path : path.substr(dot);
}

std::string_view GetFileName(std::string_view path, const platform::PathStyle& style) {
  const size_t separator = path.rfind(style.separator);
  return separator == std::string_view::npos ? path : path.substr(separator + 1);
}

bool IsModContainer(std::string_view path, const platform::PathStyle& style) {
  if (GetExtension(path) != ".utoc") return false;
  const std::string_view name = GetFileName(path, style);
  for (std::string_view base : BaseGameContainers) {
    if (name == base) return false;
  }
  return true;
}

std::vector<std::string> CollectModPaths(const std::string& paksFolder) {
  std::vector<std::string> packagePaths;
  for (const std::string& file : ListFiles(paksFolder, true)) {
    if (!IsModContainer(file, platform::kNativePaths)) continue;
    // One container at a time: its tables are gone before the next is read.
    IoStore::FIoStoreTocResource toc;
    toc.LoadFromFile(file);
    ExtractPackagePaths(toc, packagePaths);
  }
  return packagePaths;
}

}  // namespace modpaths
