#include "inspect/collisions.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <unordered_map>

#include "app/paths.h"
#include "inspect/mount_order.h"

namespace inspect {
namespace {

// The engine's preference among containers, as an ordering of indices.
void SortByPreference(std::vector<size_t>& indices, const std::vector<MountedContainer>& all) {
  std::sort(indices.begin(), indices.end(), [&](size_t a, size_t b) {
    const MountedContainer &x = all[a], &y = all[b];
    if (x.mounted != y.mounted) return x.mounted;
    return TakesPriority(x.order, x.enginePath, y.order, y.enginePath);
  });
}

}  // namespace

Collisions FindCollisions(const std::vector<MountedContainer>& containers) {
  Collisions found;
  // Package path, without case -> the containers that give it, and how
  // the first spells it.
  std::unordered_map<std::string, std::pair<std::vector<size_t>, const std::string*>> byName;
  for (size_t c = 0; c < containers.size(); ++c) {
    for (const std::string& path : containers[c].packagePaths) {
      auto& [givers, spelled] = byName[modpaths::AsciiLower(path)];
      if (givers.empty()) spelled = &path;
      if (givers.empty() || givers.back() != c) givers.push_back(c);
    }
  }
  // The shared ones in the order of their names, so that a report reads
  // the same every time.
  std::vector<const decltype(byName)::value_type*> sharedNames;
  for (const auto& entry : byName) {
    if (entry.second.first.size() > 1) sharedNames.push_back(&entry);
  }
  std::sort(sharedNames.begin(), sharedNames.end(),
            [](const auto* a, const auto* b) { return a->first < b->first; });
  std::map<std::vector<size_t>, std::vector<std::string>> shared;
  for (const auto* entry : sharedNames) {
    shared[entry->second.first].push_back(*entry->second.second);
  }
  for (auto& [givers, paths] : shared) {
    Conflict conflict{givers, std::move(paths), false};
    for (const size_t c : givers) {
      conflict.mayDiffer = conflict.mayDiffer ||
                           containers[c].chunkDigest != containers[givers.front()].chunkDigest;
    }
    SortByPreference(conflict.containers, containers);
    found.conflicts.push_back(std::move(conflict));
  }

  std::map<uint64_t, std::vector<size_t>> byId;
  for (size_t c = 0; c < containers.size(); ++c) {
    if (containers[c].mounted) byId[containers[c].containerId].push_back(c);
  }
  for (auto& [id, sharing] : byId) {
    const bool mods = std::any_of(sharing.begin(), sharing.end(),
                                  [&](size_t c) { return !containers[c].baseGame; });
    if (sharing.size() < 2 || !mods) continue;
    SortByPreference(sharing, containers);
    found.clashes.push_back(Clash{id, std::move(sharing)});
  }
  return found;
}

uint64_t ChunkDigest(const IoStore::FIoStoreTocResource& toc) {
  // Each chunk's id and hash, hashed (FNV-1a), then summed: a sum does not
  // depend on the order of the chunks.
  const auto& ids = toc.ChunkIds.elements;
  const auto& metas = toc.ChunkMetas.elements;
  uint64_t digest = 0;
  for (size_t i = 0; i < ids.size(); ++i) {
    uint8_t chunk[44] = {};
    std::memcpy(chunk, &ids[i].ChunkId, 8);
    std::memcpy(chunk + 8, &ids[i].ChunkIndex, 2);
    chunk[10] = ids[i].ChunkReserved;
    chunk[11] = ids[i].ChunkType;
    if (i < metas.size()) std::memcpy(chunk + 12, metas[i].ChunkHash, 32);
    uint64_t hash = 0xcbf29ce484222325;
    for (const uint8_t byte : chunk) hash = (hash ^ byte) * 0x100000001b3;
    digest += hash;
  }
  return digest;
}

}  // namespace inspect
