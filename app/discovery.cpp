#include "app/discovery.h"

#include "extract/package_paths.h"
#include "iostore/toc_resource.h"
#include "platform/file_system.h"

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

namespace {

// The files of a folder already listed, and with `recurse` those of its
// subfolders, each listed once.
void AddFiles(const std::string& folder, const std::vector<platform::DirectoryEntry>& entries,
              bool recurse, DiscoveryObserver* observer, std::vector<std::string>& files) {
  const char separator = platform::kNativePaths.separator;
  for (const platform::DirectoryEntry& entry : entries) {
    std::string path = folder + separator + entry.name;
    if (!entry.isFolder) {
      if (observer) observer->Listed(path, DecideFile(path, platform::kNativePaths));
      files.push_back(std::move(path));
      continue;
    }
    if (!recurse) {
      if (observer) observer->Listed(path, Decision::TooDeep);
      continue;
    }
    const auto inner = platform::ListFolder(path);
    if (observer) observer->Listed(path, inner ? Decision::Folder : Decision::Unreadable);
    if (inner) AddFiles(path, *inner, false, observer, files);
  }
}

}  // namespace

std::vector<std::string> ListFiles(const std::string& folder, bool recurse,
                                   DiscoveryObserver* observer) {
  std::vector<std::string> files;
  const auto entries = platform::ListFolder(folder);
  if (!entries) {
    if (observer) observer->Listed(folder, Decision::Unreadable);
    return files;
  }
  AddFiles(folder, *entries, recurse, observer, files);
  return files;
}

std::string_view GetExtension(std::string_view path) {
  const size_t dot = path.rfind('.');
  return dot == std::string_view::npos ? path : path.substr(dot);
}

Decision DecideFile(std::string_view path, const platform::PathStyle& style) {
  if (GetExtension(path) != ".utoc") return Decision::NotUtoc;
  const std::string_view name = platform::BaseName(path, style);
  for (std::string_view base : BaseGameContainers) {
    if (name == base) return Decision::BaseGameContainer;
  }
  return Decision::ModContainer;
}

bool IsModContainer(std::string_view path, const platform::PathStyle& style) {
  return DecideFile(path, style) == Decision::ModContainer;
}

void CollectModPaths(const std::string& paksFolder, const PackagePathSink& sink,
                     DiscoveryObserver* observer) {
  // One container at a time, each read over the last, so that the room its
  // tables need is found once rather than once per container.
  IoStore::FIoStoreTocResource index;
  for (const std::string& file : ListFiles(paksFolder, true, observer)) {
    if (!IsModContainer(file, platform::kNativePaths)) continue;
    if (observer == nullptr) {
      index.LoadIndexFromFile(file);
      ExtractPackagePaths(index, sink);
      continue;
    }
    IoStore::FIoStoreTocResource toc;
    IoStore::TocReadReport report;
    WalkAnomalies walk;
    toc.LoadFromFile(file, &report, observer->TablesWanted());
    ExtractPackagePaths(
        toc,
        [&](std::string_view filePath, const std::string* packagePath) {
          observer->File(filePath, packagePath);
          if (packagePath) sink(*packagePath);
        },
        &walk);
    observer->Read(file, toc, report, walk);
  }
}

std::vector<std::string> CollectModPaths(const std::string& paksFolder,
                                         DiscoveryObserver* observer) {
  std::vector<std::string> packagePaths;
  CollectModPaths(
      paksFolder, [&](std::string_view path) { packagePaths.emplace_back(path); }, observer);
  return packagePaths;
}

}  // namespace modpaths
