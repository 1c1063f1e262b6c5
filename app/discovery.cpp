#include "app/discovery.h"

namespace modpaths {

std::vector<std::string> CollectModPaths(const std::string&) { return {}; }

}  // namespace modpaths
