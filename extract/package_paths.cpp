#include "extract/package_paths.h"

namespace modpaths {

bool MakePackagePath(std::string_view filePath, std::string& out) {
  out.assign(filePath);

  const size_t doubled = out.find("//");
  if (doubled != std::string::npos) out.erase(doubled, 1);

  const size_t content = out.find("Content");
  if (content != std::string::npos) {
    // "Content" and the character after it, normally the "/" of the folder;
    // a path that ends right after "Content" keeps nothing.
    const size_t cut = content + 8 < out.size() ? content + 8 : out.size();
    out.replace(0, cut, "/Game/");
  }

  const size_t extension = out.rfind(".uasset");
  if (extension == std::string::npos) return false;
  out.resize(extension);

  const size_t slash = out.rfind('/');
  const size_t asset = slash == std::string::npos ? 0 : slash + 1;
  const size_t assetLength = extension - asset;
  out.reserve(extension + 1 + assetLength);  // the append below reads from out itself
  out += '.';
  out.append(out.data() + asset, assetLength);
  return true;
}

void ExtractPackagePaths(const IoStore::FIoStoreTocResource& toc,
                         std::vector<std::string>& packagePaths, WalkAnomalies* anomalies) {
  const IoStore::FIoDirectoryIndexResource& index = toc.DirectoryIndex;
  std::string packagePath;
  ForEachFilePath(
      index.MountPoint.Value(), 0, index.StringTable, index.DirectoryEntries, index.FileEntries,
      [&](std::string_view filePath) {
        if (MakePackagePath(filePath, packagePath)) packagePaths.push_back(packagePath);
      },
      anomalies);
}

std::vector<std::string> ExtractPackagePaths(const IoStore::FIoStoreTocResource& toc) {
  std::vector<std::string> packagePaths;
  ExtractPackagePaths(toc, packagePaths);
  return packagePaths;
}

}  // namespace modpaths
