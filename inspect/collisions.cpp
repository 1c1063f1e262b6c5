#include "inspect/collisions.h"

#include <algorithm>
#include <cstring>
#include <map>

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

uint64_t PathHash(std::string_view path, bool caseless) {
  // Eight bytes at a time; with `caseless`, each byte from A to Z gains
  // its 0x20 bit (a byte with its top bit set is left alone).
  constexpr uint64_t kOnes = 0x0101010101010101, kTops = 0x8080808080808080;
  uint64_t hash = path.size() * 0x9E3779B97F4A7C15;
  auto mix = [&](uint64_t word) {
    if (caseless) {
      const uint64_t low = word & ~kTops;
      const uint64_t upper = (low + (0x80 - 'A') * kOnes) & ~(low + (0x80 - 'Z' - 1) * kOnes) &
                             ~word & kTops;
      word |= upper >> 2;
    }
    hash = (hash ^ word) * 0xFF51AFD7ED558CCD;
    hash ^= hash >> 32;
  };
  size_t at = 0;
  for (; at + 8 <= path.size(); at += 8) {
    uint64_t word;
    std::memcpy(&word, path.data() + at, 8);
    mix(word);
  }
  if (at < path.size()) {
    uint64_t word = 0;
    std::memcpy(&word, path.data() + at, path.size() - at);
    mix(word);
  }
  return hash;
}

Collisions FindCollisions(const std::vector<MountedContainer>& containers) {
  Collisions found;
  // Every package path by its hash without case, then its container and
  // place: equal paths stand together, in the order the containers give
  // them.
  std::vector<HashedPath> given;
  for (size_t c = 0; c < containers.size(); ++c) {
    const PathList& paths = containers[c].packagePaths;
    for (size_t i = 0; i < paths.size(); ++i)
      given.push_back({PathHash(paths[i], true), static_cast<uint32_t>(c), static_cast<uint32_t>(i)});
  }
  SortByHash(given);
  // Each path two or more containers give: its name without case, who
  // gives it and how the first spells it.
  struct Shared {
    std::string key;
    std::vector<size_t> givers;
    std::string_view spelled;
  };
  std::vector<Shared> shared;
  ForEachSamePath(
      given, [&](const HashedPath& g) { return containers[g.list].packagePaths[g.index]; },
      modpaths::SameLetters,
      // One container's alone: the first and last of a run are its.
      [](const HashedPath& first, const HashedPath& last) { return first.list == last.list; },
      [&](std::string_view spelled, const std::vector<const HashedPath*>& members) {
        Shared path{modpaths::AsciiLower(spelled), {}, spelled};
        for (const HashedPath* member : members) {
          if (path.givers.empty() || path.givers.back() != member->list)
            path.givers.push_back(member->list);
        }
        if (path.givers.size() > 1) shared.push_back(std::move(path));
      });
  // In the order of their names, so that a report reads the same every
  // time; the paths of one group of containers together.
  std::sort(shared.begin(), shared.end(),
            [](const Shared& a, const Shared& b) { return a.key < b.key; });
  std::map<std::vector<size_t>, std::vector<std::string>> byGivers;
  for (const Shared& path : shared) byGivers[path.givers].emplace_back(path.spelled);
  for (auto& [givers, paths] : byGivers) {
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
  // Each chunk's id and hash, hashed, then summed: a sum does not depend on
  // the order of the chunks.
  const auto& ids = toc.ChunkIds.elements;
  const auto& metas = toc.ChunkMetas.elements;
  uint64_t digest = 0;
  char chunk[44] = {};
  for (size_t i = 0; i < ids.size(); ++i) {
    std::memcpy(chunk, &ids[i].ChunkId, 8);
    std::memcpy(chunk + 8, &ids[i].ChunkIndex, 2);
    chunk[10] = static_cast<char>(ids[i].ChunkReserved);
    chunk[11] = static_cast<char>(ids[i].ChunkType);
    if (i < metas.size()) {
      std::memcpy(chunk + 12, metas[i].ChunkHash, 32);
    } else {
      std::memset(chunk + 12, 0, 32);
    }
    digest += PathHash(std::string_view(chunk, sizeof chunk), false);
  }
  return digest;
}

}  // namespace inspect
