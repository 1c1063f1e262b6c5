#include "extract/package_paths.h"

#include <cstdint>
#include <cstring>

namespace modpaths {

namespace {

// Bytes of the UTF-8 character that starts at `at`: its lead byte's count,
// as far as continuation bytes follow. A stray byte counts alone.
size_t CharacterLength(std::string_view text, size_t at) {
  const auto lead = static_cast<uint8_t>(text[at]);
  const size_t expected = lead >= 0xF0 && lead < 0xF8   ? 4
                          : lead >= 0xE0 && lead < 0xF0 ? 3
                          : lead >= 0xC0 && lead < 0xE0 ? 2
                                                        : 1;
  size_t length = 1;
  while (length < expected && at + length < text.size() &&
         (static_cast<uint8_t>(text[at + length]) & 0xC0) == 0x80) {
    ++length;
  }
  return length;
}

// The paths are short and met by the million: these scan them in place,
// where a search through the C library costs a call per candidate byte (and
// under Wine, whose memchr looks at one byte at a time, more). `word` is a
// constant at every call, so each comparison is a few instructions.
inline bool WordAt(std::string_view text, size_t at, std::string_view word) {
  return std::memcmp(text.data() + at, word.data(), word.size()) == 0;
}

// Where `word` (not empty) first occurs in `text`, or npos.
inline size_t Find(std::string_view text, std::string_view word) {
  if (text.size() < word.size()) return std::string_view::npos;
  for (size_t at = 0, last = text.size() - word.size(); at <= last; ++at) {
    if (text[at] == word[0] && WordAt(text, at, word)) return at;
  }
  return std::string_view::npos;
}

constexpr std::string_view kPackageExtension = ".uasset";

// Where the last ".uasset" starts, searched back from the end.
size_t LastPackageExtension(std::string_view path) {
  if (path.size() < kPackageExtension.size()) return std::string_view::npos;
  for (size_t at = path.size() - kPackageExtension.size() + 1; at-- > 0;) {
    if (path[at] == '.' && WordAt(path, at, kPackageExtension)) return at;
  }
  return std::string_view::npos;
}

}  // namespace

ContentCut ReduceAndFindContent(std::string& path) {
  const size_t doubled = Find(path, "//");
  if (doubled != std::string::npos) path.erase(doubled, 1);
  ContentCut cut;
  cut.content = Find(path, "Content");
  if (cut.content == std::string::npos) return cut;
  // "Content" and the character after it, normally the "/" of the folder;
  // a path that ends right after "Content" keeps nothing.
  const size_t after = cut.content + 7;
  cut.end = after < path.size() ? after + CharacterLength(path, after) : path.size();
  return cut;
}

bool MakePackagePath(std::string_view filePath, std::string& out) {
  // Rewriting neither adds nor splits a ".uasset" (it holds no "/", and
  // "/Game/" ends in one): a path without one is dropped at once.
  if (LastPackageExtension(filePath) == std::string_view::npos) return false;
  out.assign(filePath);
  const ContentCut cut = ReduceAndFindContent(out);
  if (cut.content != std::string::npos) out.replace(0, cut.end, "/Game/");

  const size_t extension = LastPackageExtension(out);
  if (extension == std::string::npos) return false;
  out.resize(extension);

  size_t asset = extension;  // just after the last "/", or 0
  while (asset > 0 && out[asset - 1] != '/') --asset;
  const size_t assetLength = extension - asset;
  out.reserve(extension + 1 + assetLength);  // the append below reads from out itself
  out += '.';
  out.append(out.data() + asset, assetLength);
  return true;
}

void ExtractPackagePaths(const IoStore::FIoStoreTocResource& toc, const FileSink& sink,
                         WalkAnomalies* anomalies) {
  const IoStore::FIoDirectoryIndexResource& index = toc.DirectoryIndex;
  std::string packagePath;
  ForEachFilePath(
      index.MountPoint.Value(), 0, index.StringTable, index.DirectoryEntries, index.FileEntries,
      [&](std::string_view filePath) {
        sink(filePath, MakePackagePath(filePath, packagePath) ? &packagePath : nullptr);
      },
      anomalies);
}

void ExtractPackagePaths(const IoStore::FIoStoreTocResource& toc, const PackagePathSink& sink,
                         WalkAnomalies* anomalies) {
  ExtractPackagePaths(
      toc,
      [&](std::string_view, const std::string* packagePath) {
        if (packagePath) sink(*packagePath);
      },
      anomalies);
}

void ExtractPackagePaths(const IoStore::FIoStoreTocResource& toc,
                         std::vector<std::string>& packagePaths, WalkAnomalies* anomalies) {
  ExtractPackagePaths(
      toc, [&](std::string_view packagePath) { packagePaths.emplace_back(packagePath); },
      anomalies);
}

std::vector<std::string> ExtractPackagePaths(const IoStore::FIoStoreTocResource& toc) {
  std::vector<std::string> packagePaths;
  ExtractPackagePaths(toc, packagePaths);
  return packagePaths;
}

}  // namespace modpaths
