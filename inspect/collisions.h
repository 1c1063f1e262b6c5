#pragma once

// What mods do to each other in the game: package paths that several
// containers give, of which the game loads one; and containers that share a
// ContainerId, of which the game keeps the package list of one.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "iostore/toc_resource.h"

namespace inspect {

// Package paths in one buffer: a container gives tens of thousands, and a
// string each cost more to make and to free than the rest of their use.
class PathList {
 public:
  void Add(std::string_view path) {
    text_.append(path);
    ends_.push_back(text_.size());
  }
  size_t size() const { return ends_.size(); }
  bool empty() const { return ends_.empty(); }
  std::string_view operator[](size_t i) const {
    const size_t start = i == 0 ? 0 : ends_[i - 1];
    return std::string_view(text_).substr(start, ends_[i] - start);
  }

 private:
  std::string text_;
  std::vector<size_t> ends_;
};

// A hash of a path, its ASCII letters taken in one case when `caseless`.
uint64_t PathHash(std::string_view path, bool caseless);

// Sorts items by their `hash` field, equal ones kept in the order they
// came: a byte of the hash a pass, from the lowest, each pass stable.
template <typename Item>
void SortByHash(std::vector<Item>& items) {
  std::vector<Item> other(items.size());
  for (unsigned shift = 0; shift < 64; shift += 8) {
    size_t starts[257] = {};
    for (const Item& item : items) ++starts[((item.hash >> shift) & 0xFF) + 1];
    if (starts[((items.empty() ? 0 : items[0].hash >> shift) & 0xFF) + 1] == items.size())
      continue;  // one value in this byte: nothing moves
    for (size_t b = 1; b < 257; ++b) starts[b] += starts[b - 1];
    for (const Item& item : items) other[starts[(item.hash >> shift) & 0xFF]++] = item;
    items.swap(other);
  }
}

// A package path among those of several lists (containers, a save): its
// hash, and where it stands.
struct HashedPath {
  uint64_t hash;
  uint32_t list, index;
};

// The one grouping of paths by hash, for conflicts and for the save's
// comparison: `sorted` is in hash order (SortByHash), and `visit(path,
// members)` is called once for each distinct path, with the entries that
// give it in the order they stand; paths that share a hash are told apart
// by `same`. A run of one hash for which `skip(first, last)` holds is passed
// over whole.
template <typename PathOf, typename Same, typename Skip, typename Visit>
void ForEachSamePath(const std::vector<HashedPath>& sorted, const PathOf& pathOf, const Same& same,
                     const Skip& skip, const Visit& visit) {
  std::vector<bool> grouped;
  std::vector<const HashedPath*> members;
  for (size_t run = 0, end; run < sorted.size(); run = end) {
    for (end = run + 1; end < sorted.size() && sorted[end].hash == sorted[run].hash;) ++end;
    if (skip(sorted[run], sorted[end - 1])) continue;
    grouped.assign(end - run, false);
    for (size_t first = run; first < end; ++first) {
      if (grouped[first - run]) continue;
      const std::string_view path = pathOf(sorted[first]);
      members.clear();
      for (size_t other = first; other < end; ++other) {
        if (grouped[other - run] || !same(pathOf(sorted[other]), path)) continue;
        grouped[other - run] = true;
        members.push_back(&sorted[other]);
      }
      visit(path, members);
    }
  }
}

// One container as the engine sees it.
struct MountedContainer {
  std::string path;        // as modpaths lists it
  std::string enginePath;  // its pak's, as the engine knows it (EnginePakPath)
  int32_t order = 0;       // PakOrder of the engine path
  bool mounted = true;     // a .pak beside it, through which the engine mounts it
  bool baseGame = false;   // one of the game's own, which gives no package paths here
  uint64_t containerId = 0;
  uint64_t chunkDigest = 0;  // of its chunk ids and hashes: equal for the same data
  PathList packagePaths;
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
