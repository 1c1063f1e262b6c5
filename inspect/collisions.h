#pragma once

// What mods do to each other in the game: package paths that several
// containers give, of which the game loads one; and containers that share a
// ContainerId, of which the game keeps the package list of one.

#include <cstdint>
#include <string>
#include <vector>

#include "iostore/toc_resource.h"

namespace inspect {

// One container as the engine sees it.
struct MountedContainer {
  std::string path;        // as modpaths lists it
  std::string enginePath;  // its pak's, as the engine knows it (EnginePakPath)
  int32_t order = 0;       // PakOrder of the engine path
  bool mounted = true;     // a .pak beside it, through which the engine mounts it
  bool baseGame = false;   // one of the game's own, which gives no package paths here
  uint64_t containerId = 0;
  uint64_t chunkDigest = 0;  // of its chunk ids and hashes: equal for the same data
  std::vector<std::string> packagePaths;
};

// The indices of the containers involved, the one whose data the game
// takes first: mounted ones before the others, then by TakesPriority.
struct Conflict {
  std::vector<size_t> containers;
  std::vector<std::string> packagePaths;  // spelled as the first giver spells them
  // Not all of them hold the same chunks: the versions of a package may
  // differ, and the game may take its package store entry from one and its
  // data from another.
  bool mayDiffer = true;
};
struct Clash {
  uint64_t containerId = 0;
  std::vector<size_t> containers;
};
struct Collisions {
  std::vector<Conflict> conflicts;
  std::vector<Clash> clashes;
};

// Package paths are compared without case, as the engine compares them; a
// container that gives a path twice is no conflict with itself. Only
// mounted containers clash.
Collisions FindCollisions(const std::vector<MountedContainer>& containers);

// A digest of a container's chunk ids and chunk hashes, whatever their
// order in the file.
uint64_t ChunkDigest(const IoStore::FIoStoreTocResource& toc);

}  // namespace inspect
