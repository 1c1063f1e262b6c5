#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "platform/path_style.h"

namespace modpaths {

// File names of the base game's own containers, wherever they lie below the
// paks folder. Matched exactly, case and all.
extern const std::array<std::string_view, 18> BaseGameContainers;

// Paths of the files in `folder` and, with `recurse`, in its immediate
// subfolders, in the order the system lists them; a subfolder's files stand
// where the subfolder was listed. Folders that cannot be listed give nothing.
std::vector<std::string> ListFiles(const std::string& folder, bool recurse);

// From the last "." of the whole path to its end; the whole path when it
// has no ".". A dot in a folder name counts.
std::string_view GetExtension(std::string_view path);

// The part after the last separator; the whole path when it has none.
std::string_view GetFileName(std::string_view path, const platform::PathStyle& style);

// Whether a listed file is a mod container: a ".utoc" file whose name is not
// a base-game container's.
bool IsModContainer(std::string_view path, const platform::PathStyle& style);

// The package paths of every mod container in the paks folder and its
// immediate subfolders, container by container in listing order.
std::vector<std::string> CollectModPaths(const std::string& paksFolder);

}  // namespace modpaths
