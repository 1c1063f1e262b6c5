#pragma once

// What is wrong with one container, from the tool's own values: the read,
// the walk, the header, the paths and the files beside it.

#include <map>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "extract/directory_walk.h"
#include "inspect/problems.h"
#include "iostore/toc_resource.h"

namespace inspect {

// The file names of the folders a command looks into, each folder listed
// once however many containers lie in it. Windows, and Proton, open files
// whatever the case of their names, so names are found without case.
class FolderNames {
 public:
  // The name as spelled on disk of the file `name` in `folder`, in any case.
  std::optional<std::string> Find(const std::string& folder, const std::string& name);

 private:
  // Per folder: lower-case name -> name as spelled.
  std::map<std::string, std::unordered_map<std::string, std::string>> folders_;
  std::string key_;  // scratch: the name looked for, in lower case
};

void DiagnoseContainer(const std::string& path, const IoStore::FIoStoreTocResource& toc,
                       const IoStore::TocReadReport& report, const modpaths::WalkAnomalies& walk,
                       const std::vector<std::string>& packagePaths, FolderNames& folders,
                       Problems& problems);

}  // namespace inspect
