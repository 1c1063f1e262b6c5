#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "extract/directory_walk.h"
#include "iostore/toc_resource.h"

namespace modpaths {

// Rewrites one file path of a container into a package path:
//   1. the first "//" loses one "/";
//   2. everything up to the first "Content" and the one character after it
//      becomes "/Game/" (a path without "Content" keeps its form);
//   3. a path without ".uasset" names no package: false;
//   4. the package name ends before the last ".uasset", and the asset name
//      is its part after the last "/";
//   5. the result is package name "." asset name.
// All matching is byte-wise and case-sensitive. `out` is scratch space the
// caller may reuse.
bool MakePackagePath(std::string_view filePath, std::string& out);

// The package paths of a container's ".uasset" files, in walk order, with
// nothing sorted or merged.
std::vector<std::string> ExtractPackagePaths(const IoStore::FIoStoreTocResource& toc);

// The same, appended to `packagePaths`; what the walk met on the way goes to
// `anomalies` when given.
void ExtractPackagePaths(const IoStore::FIoStoreTocResource& toc,
                         std::vector<std::string>& packagePaths,
                         WalkAnomalies* anomalies = nullptr);

}  // namespace modpaths
