#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "extract/directory_walk.h"
#include "iostore/toc_resource.h"

namespace modpaths {

// Where the rewriting below cuts a file path: at the first "Content", which
// starts at `content`, and through the one character after it, which ends
// at `end`. `content` is npos when the path holds no "Content".
struct ContentCut {
  size_t content = std::string::npos;
  size_t end = std::string::npos;
};

// The first two steps of the rewriting, for tools that explain it: reduces
// the first "//" of `path` to "/", and finds the cut in what is left.
ContentCut ReduceAndFindContent(std::string& path);

// Rewrites one file path of a container into a package path:
//   1. the first "//" loses one "/";
//   2. everything up to the first "Content" and the one character after it
//      becomes "/Game/" (a path without "Content" keeps its form); names
//      are UTF-8, so that character may take several bytes;
//   3. a path without ".uasset" names no package: false;
//   4. the package name ends before the last ".uasset", and the asset name
//      is its part after the last "/";
//   5. the result is package name "." asset name.
// All matching is byte-wise and case-sensitive. `out` is scratch space the
// caller may reuse.
bool MakePackagePath(std::string_view filePath, std::string& out);

// Told each package path as it is made; the text is gone after the call.
using PackagePathSink = std::function<void(std::string_view packagePath)>;

// The package paths of a container's ".uasset" files, in walk order, with
// nothing sorted or merged.
std::vector<std::string> ExtractPackagePaths(const IoStore::FIoStoreTocResource& toc);

// The same, appended to `packagePaths`; what the walk met on the way goes to
// `anomalies` when given.
void ExtractPackagePaths(const IoStore::FIoStoreTocResource& toc,
                         std::vector<std::string>& packagePaths,
                         WalkAnomalies* anomalies = nullptr);

// The same, each handed to `sink`, nothing kept.
void ExtractPackagePaths(const IoStore::FIoStoreTocResource& toc, const PackagePathSink& sink,
                         WalkAnomalies* anomalies = nullptr);

// Told each file path the walk meets and, when it names a package, its
// package path (else nullptr), for tools that explain the rewriting; both
// are gone after the call.
using FileSink = std::function<void(std::string_view filePath, const std::string* packagePath)>;
void ExtractPackagePaths(const IoStore::FIoStoreTocResource& toc, const FileSink& sink,
                         WalkAnomalies* anomalies = nullptr);

}  // namespace modpaths
