#pragma once

// What a scan of the paks folder adds to each container's own diagnosis:
// where mods lie and how they are named, and what mods do to each other.

#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "app/discovery.h"
#include "inspect/collisions.h"
#include "inspect/diagnosis.h"
#include "inspect/problems.h"

namespace inspect {

// What scan reports of each entry and each mod container, typed: its text
// is rendered from these without a document, and their JSON made only
// when it is asked for (ScanJson).
struct EntryReport {
  std::string path;
  modpaths::Decision decision;
};
const char* DecisionName(modpaths::Decision decision);

struct ContainerReport {
  std::string path;
  uint64_t packagePaths = 0;
  int32_t order = 0;
  bool mounted = true;
  uint64_t containerId = 0;
  IoStore::TocReadReport read;
  bool encrypted = false;
  int64_t directoryIndexSize = 0;
  bool indexRead = true;
  modpaths::WalkAnomalies walk;
  Problems problems;  // its own
};

// Told how many of a scan's mod containers have been read, of how many.
using Progress = std::function<void(uint64_t read, uint64_t total)>;

// Collects what discovery reports while the tool's own CollectModPaths runs:
// each entry's decision, each container's read and diagnosis, the placement
// and naming mistakes (a mod too deep, one named like a base-game container,
// a .utoc spelled otherwise, a .pak without a .utoc) and, at the end, the
// conflicts between mods.
class ScanObserver : public modpaths::DiscoveryObserver {
 public:
  // `describe`: keep each entry and container, for scan.
  ScanObserver(std::string paksFolder, Progress progress, bool describe = true)
      : paks_(std::move(paksFolder)), progress_(std::move(progress)), describe_(describe) {}

  void Listed(const std::string& path, modpaths::Decision decision) override;
  // The chunk ids and metas tell containers' data apart; nothing else of
  // the tables around the index is needed.
  IoStore::Tables TablesWanted() const override { return IoStore::Tables::IdsAndMetas; }
  void File(std::string_view filePath, const std::string* packagePath) override;
  void Read(const std::string& path, const IoStore::FIoStoreTocResource& toc,
            const IoStore::TocReadReport& report, const modpaths::WalkAnomalies& walk) override;
  // Once every container is read: the package paths two or more of them
  // give and the ContainerIds they share, with whose the game takes, and
  // the .pak files that come without a table of contents.
  void Finish();

  std::vector<EntryReport> entries;
  std::vector<ContainerReport> containers;
  // The mod containers read, in listing order, then the base game's own
  // in the paks folder, read no further than their headers.
  std::vector<MountedContainer> mods;
  std::vector<MountedContainer> baseGame;
  Problems problems;

  // The engine's view of a container that modpaths lists at `path`: its
  // pak as the engine knows it, its order, and whether that pak is there.
  MountedContainer AsMounted(const std::string& path);

 private:
  // The .utoc files at any depth below a folder that modpaths never looks
  // into, each a problem.
  void AddTooDeep(const std::string& folder);

  std::string paks_;
  Progress progress_;
  bool describe_;
  FolderNames folders_;
  // The container being walked: what its names say, and its paths.
  PackageNames names_;
  PathList paths_;
  std::vector<std::string> pakFiles_;
  uint64_t toRead_ = 0;
  size_t tooDeepFolders_ = 0;  // looked into by AddTooDeep, all of them
};

}  // namespace inspect
