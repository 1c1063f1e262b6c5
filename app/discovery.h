#pragma once

#include <string>
#include <vector>

namespace modpaths {

// The package paths of every mod container in the paks folder and its
// immediate subfolders, container by container in listing order.
std::vector<std::string> CollectModPaths(const std::string& paksFolder);

}  // namespace modpaths
