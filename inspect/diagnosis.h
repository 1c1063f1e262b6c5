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
  // A file of a folder that someone else lists whole (discovery): the
  // folder is then not listed again.
  void Note(std::string_view folder, std::string_view name);

 private:
  // Per folder: lower-case name -> name as spelled.
  using Names = std::unordered_map<std::string, std::string>;
  std::map<std::string, Names, std::less<>> folders_;
  std::string key_;  // scratch: the name looked for, in lower case
};

// Where modpaths and the engine part ways on a container's file paths,
// gathered as the one walk of its index meets them (File), then said as
// problems. Where modpaths and the engine name a package differently,
// modpaths' rules stand (they are what the save holds); the problem says
// what the engine will look for instead.
class PackageNames {
 public:
  // A file path of the walk, and the package path modpaths writes for it
  // (nullptr: none).
  void File(std::string_view filePath, const std::string* packagePath);
  void AddProblems(Problems& problems) const;
  // For the next container.
  void Clear();

  uint64_t PackagePaths() const { return packagePaths_; }
  // Files the engine takes as packages that modpaths leaves out.
  bool UassetInOtherCase() const { return !caseExtension_.empty(); }
  // Package paths outside /Game/ for no reason said above, and the first.
  uint64_t Outside() const { return outside_; }
  const std::string& FirstOutside() const { return firstOutside_; }

 private:
  std::vector<std::string> plugin_, engine_, inName_, caseFolder_, caseExtension_;
  uint64_t packagePaths_ = 0;
  uint64_t outside_ = 0;
  std::string firstOutside_;
  // Scratch, kept from file to file.
  std::string theirs_, reduced_;
};

// Everything wrong with one container read and walked, `names` holding
// what its walk met.
void DiagnoseContainer(const std::string& path, const IoStore::FIoStoreTocResource& toc,
                       const IoStore::TocReadReport& report, const modpaths::WalkAnomalies& walk,
                       const PackageNames& names, FolderNames& folders, Problems& problems);

}  // namespace inspect
