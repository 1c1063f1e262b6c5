#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "extract/directory_walk.h"
#include "extract/package_paths.h"
#include "iostore/toc_resource.h"
#include "platform/path_style.h"

namespace modpaths {

// What discovery makes of one entry below the paks folder.
enum class Decision {
  ModContainer,       // read, and its package paths written
  BaseGameContainer,  // a ".utoc" with a base-game name
  NotUtoc,            // any other file
  Folder,             // a subfolder, whose files are listed
  TooDeep,            // a folder inside a subfolder: never looked into
  Unreadable,         // a folder that cannot be listed
};

// Told what discovery sees and decides, for tools that explain a run. The
// tool itself passes none, and nothing it does depends on one.
class DiscoveryObserver {
 public:
  virtual ~DiscoveryObserver() = default;
  // Every entry, in listing order, with the decision taken on it.
  virtual void Listed(const std::string& path, Decision decision) = 0;
  // What the observer needs of each mod container's tables.
  virtual IoStore::Tables TablesWanted() const { return IoStore::Tables::Build; }
  // Each file path of a mod container, as the one walk of its index meets
  // it, with its package path when it gives one (else nullptr) ...
  virtual void File(std::string_view filePath, const std::string* packagePath) = 0;
  // ... and then the container, read and walked.
  virtual void Read(const std::string& path, const IoStore::FIoStoreTocResource& toc,
                    const IoStore::TocReadReport& report, const WalkAnomalies& walk) = 0;
};

// File names of the base game's own containers, wherever they lie below the
// paks folder. Matched exactly, case and all.
extern const std::array<std::string_view, 18> BaseGameContainers;

// Paths of the files in `folder` and, with `recurse`, in its immediate
// subfolders, in the order the system lists them; a subfolder's files stand
// where the subfolder was listed. Folders that cannot be listed give nothing.
std::vector<std::string> ListFiles(const std::string& folder, bool recurse,
                                   DiscoveryObserver* observer = nullptr);

// From the last "." of the whole path to its end; the whole path when it
// has no ".". A dot in a folder name counts.
std::string_view GetExtension(std::string_view path);

// What becomes of a listed file: a mod container is a ".utoc" file whose
// name is not a base-game container's.
Decision DecideFile(std::string_view path, const platform::PathStyle& style);
bool IsModContainer(std::string_view path, const platform::PathStyle& style);

// The package paths of every mod container in the paks folder and its
// immediate subfolders, container by container in listing order.
std::vector<std::string> CollectModPaths(const std::string& paksFolder,
                                         DiscoveryObserver* observer = nullptr);

// The same, each handed to `sink` as it is made, nothing kept. Without an
// observer only what the paths need is read of each container.
void CollectModPaths(const std::string& paksFolder, const PackagePathSink& sink,
                     DiscoveryObserver* observer = nullptr);

}  // namespace modpaths
