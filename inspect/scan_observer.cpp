#include "inspect/scan_observer.h"

#include <iterator>
#include <map>
#include <string>

#include "app/paths.h"
#include "inspect/mount_order.h"
#include "inspect/read_report.h"
#include "platform/file_system.h"

namespace inspect {
namespace {

// The name a file that modpaths skips was most likely meant to have: a
// .utoc in another case, or with spaces or dots after it. Empty when it is
// no such near miss.
std::string MeantUtoc(std::string_view name) {
  std::string trimmed(name);
  while (!trimmed.empty() && (trimmed.back() == ' ' || trimmed.back() == '.')) trimmed.pop_back();
  const std::string lower = modpaths::AsciiLower(trimmed);
  if (lower.size() <= 5 || lower.compare(lower.size() - 5, 5, ".utoc") != 0) return {};
  std::string meant = trimmed.substr(0, trimmed.size() - 5) + ".utoc";
  return meant == name ? std::string() : meant;
}

// The ContainerId in the header of the container at `path`, which is all
// that is read of it.
std::optional<uint64_t> ContainerIdOf(const std::string& path) {
  Tessel::SerializeContext context;
  context.Open(path, Tessel::OpenMode::Read);
  IoStore::FIoStoreTocHeader header;
  header.Serialize(&context);
  if (context.serializer->IsFailed()) return std::nullopt;
  return header.ContainerId;
}

// A container as the messages name it: its path below the paks folder,
// its order, and the mark that raised the order.
std::string Described(const MountedContainer& container, std::string_view paks) {
  const std::string_view below = std::string_view(container.path).substr(paks.size() + 1);
  const std::string ending = PatchEnding(container.enginePath);
  return std::string(below) + " (order " + std::to_string(container.order) +
         (ending.empty() ? "" : ", " + ending) + (container.mounted ? "" : ", not mounted: no .pak") +
         ")";
}

Json ContainersJson(const std::vector<size_t>& indices, const std::vector<MountedContainer>& all) {
  Json list = Json::array();
  for (const size_t c : indices) {
    list.push_back(Fields(
        {{"path", all[c].path}, {"order", all[c].order}, {"mounted", all[c].mounted}}));
  }
  return list;
}

// The base game's own paks, which come with its containers or stand alone:
// in the paks folder itself, named like a base-game container or as the
// engine names a chunk.
bool IsBaseGamePak(std::string_view name) {
  for (std::string_view base : modpaths::BaseGameContainers) {
    const std::string_view stem = base.substr(0, base.size() - 5);
    if (name.size() == stem.size() + 4 &&
        modpaths::SameLetters(name.substr(0, stem.size()), stem) &&
        modpaths::SameLetters(name.substr(stem.size()), ".pak")) {
      return true;
    }
  }
  const std::string lower = modpaths::AsciiLower(name);
  size_t at = 8;
  if (lower.compare(0, at, "pakchunk") != 0) return false;
  while (at < lower.size() && lower[at] >= '0' && lower[at] <= '9') ++at;
  if (at == 8) return false;
  if (lower.compare(at, 8, "optional") == 0) at += 8;
  return lower.compare(at, std::string::npos, "-windowsnoeditor.pak") == 0;
}

// Folders below a paks subfolder that a too-deep search goes into at most:
// the engine mounts paks at any depth, but a chain this deep is no mod's.
// Links and junctions are not followed (they may lead anywhere, out of the
// paks folder or in a loop), and the search ends after so many folders.
constexpr size_t kDeepestFolder = 32;
constexpr size_t kMostTooDeepFolders = 20000;

std::string Levels(size_t n) {
  static const char* const kWords[] = {"no", "one", "two", "three", "four", "five"};
  return n < std::size(kWords) ? kWords[n] : std::to_string(n);
}

}  // namespace

const char* DecisionName(modpaths::Decision decision) {
  switch (decision) {
    case modpaths::Decision::ModContainer:
      return "mod container";
    case modpaths::Decision::BaseGameContainer:
      return "base-game name";
    case modpaths::Decision::NotUtoc:
      return "not .utoc";
    case modpaths::Decision::Folder:
      return "folder";
    case modpaths::Decision::TooDeep:
      return "too deep";
    case modpaths::Decision::Unreadable:
      return "unreadable";
  }
  return "unknown";
}

void ScanObserver::AddTooDeep(const std::string& folder) {
  const char separator = platform::kNativePaths.separator;
  // Depth first, with a stack of our own: each folder with its depth
  // below the paks folder (the one given lies two down).
  std::vector<std::pair<std::string, size_t>> stack;
  if (!platform::IsLink(folder)) stack.emplace_back(folder, 2);
  while (!stack.empty() && tooDeepFolders_ < kMostTooDeepFolders) {
    auto [current, depth] = std::move(stack.back());
    stack.pop_back();
    ++tooDeepFolders_;
    const auto listed = platform::ListFolder(current);
    if (!listed) continue;
    for (const platform::DirectoryEntry& entry : *listed) {
      const std::string path = current + separator + entry.name;
      if (entry.isFolder) {
        if (depth < kDeepestFolder && !entry.isLink) stack.emplace_back(path, depth + 1);
        continue;
      }
      if (modpaths::GetExtension(entry.name) != ".utoc") continue;
      problems.Add("too-deep", path + ": lies " + Levels(depth) + " folders below Content" +
                                   separator +
                                   "Paks, where modpaths never looks; the engine mounts it all "
                                   "the same, so its assets load, but the game's mod manager "
                                   "does not see them: move it up " +
                                   (depth == 2 ? "one level" : Levels(depth - 1) + " levels"));
    }
  }
}

void ScanObserver::Listed(const std::string& path, modpaths::Decision decision) {
  if (describe_) entries.push_back({path, decision});
  const std::string_view folder = platform::ParentFolder(path, platform::kNativePaths);
  const std::string_view name = platform::BaseName(path, platform::kNativePaths);
  const bool inSubfolder = folder != paks_;
  const bool file = decision != modpaths::Decision::Folder &&
                    decision != modpaths::Decision::TooDeep &&
                    decision != modpaths::Decision::Unreadable;
  if (file) folders_.Note(folder, name);
  switch (decision) {
    case modpaths::Decision::Unreadable:
      problems.Add("unreadable-folder", path + ": cannot be listed");
      break;
    case modpaths::Decision::TooDeep:
      AddTooDeep(path);
      break;
    case modpaths::Decision::BaseGameContainer:
      // The game's own containers lie in the paks folder itself; one in a
      // subfolder is a mod that happens to share a base-game name.
      if (inSubfolder) {
        problems.Add("base-game-name",
                     path +
                         ": has the name of one of the game's own containers, so modpaths "
                         "skips it: rename it");
      } else if (const auto id = ContainerIdOf(path)) {
        MountedContainer base = AsMounted(path);
        base.baseGame = true;
        base.mounted = true;  // the engine mounts global.utoc without a pak
        base.containerId = *id;
        baseGame.push_back(std::move(base));
      }
      break;
    case modpaths::Decision::NotUtoc:
      if (const std::string meant = MeantUtoc(name); !meant.empty()) {
        problems.Add("near-miss-name", path +
                                           ": looks like a table of contents, but modpaths reads "
                                           "only names ending in exactly .utoc: rename it to " +
                                           meant);
      }
      if (modpaths::SameLetters(modpaths::GetExtension(name), ".pak") &&
          (inSubfolder || !IsBaseGamePak(name))) {
        pakFiles_.push_back(path);
      }
      break;
    case modpaths::Decision::ModContainer:
      ++toRead_;
      break;
    default:
      break;
  }
}

void ScanObserver::File(std::string_view filePath, const std::string* packagePath) {
  names_.File(filePath, packagePath);
  if (packagePath) paths_.Add(*packagePath);
}

void ScanObserver::Read(const std::string& path, const IoStore::FIoStoreTocResource& toc,
                        const IoStore::TocReadReport& report, const modpaths::WalkAnomalies& walk) {
  Problems own;
  DiagnoseContainer(path, toc, report, walk, names_, folders_, own);
  names_.Clear();
  MountedContainer mod = AsMounted(path);
  if (describe_) {
    containers.push_back({path, paths_.size(), mod.order, mod.mounted, toc.Header.ContainerId,
                          report,
                          (toc.Header.ContainerFlags & IoStore::ContainerFlags::Encrypted) != 0,
                          int64_t{toc.Header.DirectoryIndexSize}, IndexWasRead(toc), walk, own});
  }
  mod.containerId = toc.Header.ContainerId;
  mod.chunkDigest = ChunkDigest(toc);
  mod.packagePaths = std::move(paths_);
  paths_ = PathList();
  mods.push_back(std::move(mod));
  problems.Add(own, path + ": ");
  if (progress_) progress_(mods.size(), toRead_);
}

MountedContainer ScanObserver::AsMounted(const std::string& path) {
  MountedContainer container;
  container.path = path;
  const std::string folder(platform::ParentFolder(path, platform::kNativePaths));
  const std::string name(platform::BaseName(path, platform::kNativePaths));
  const std::string stem = name.substr(0, name.rfind('.'));
  container.mounted = folders_.Find(folder, stem + ".pak").has_value();
  container.enginePath = EnginePakPathOf(path).value_or(EnginePakPath(stem + ".pak"));
  container.order = PakOrder(container.enginePath);
  return container;
}

void ScanObserver::Finish() {
  // The base game's containers after the mods, for as long as it takes,
  // rather than a copy of every mod's paths.
  std::vector<MountedContainer>& all = mods;
  const size_t modCount = mods.size();
  all.insert(all.end(), baseGame.begin(), baseGame.end());
  const Collisions collisions = FindCollisions(all);
  for (const Conflict& conflict : collisions.conflicts) {
    const std::vector<size_t>& givers = conflict.containers;
    std::vector<std::string> names;
    for (const size_t c : givers) names.push_back(all[c].path);
    std::string joined;
    for (size_t i = 0; i < names.size(); ++i)
      joined += (i == 0 ? "" : i + 1 == names.size() ? " and " : ", ") + names[i];
    const MountedContainer& first = all[givers.front()];
    std::string why;
    if (!first.mounted) {
      why = "None of them is mounted (no .pak beside them), so the game loads none of them";
    } else {
      why = "The game loads them from " + Described(first, paks_) + " rather than ";
      for (size_t i = 1; i < givers.size(); ++i)
        why += (i == 1 ? "" : ", ") + Described(all[givers[i]], paks_);
      const MountedContainer& second = all[givers[1]];
      if (second.mounted && second.order == first.order) {
        why += "; at the same order its path sorts lower, so the engine mounts it last and it "
               "takes priority";
      }
    }
    const std::string mix =
        conflict.mayDiffer
            ? ". Their versions may differ, and then the game may mix them: each package's entry "
              "in the package store comes from whichever container's header the loader reads "
              "first, which is not fixed. Keep only the mod you want"
            : ". They hold the same chunks, so either serves; keep one";
    Json containersJson = ContainersJson(givers, all);
    problems.Add("conflict",
                 joined + " give the same " +
                     (conflict.packagePaths.size() == 1
                          ? std::string("package path")
                          : std::to_string(conflict.packagePaths.size()) + " package paths") +
                     " (compared without case, as the engine does): " +
                     Examples(conflict.packagePaths, conflict.packagePaths.size()) + ". " + why +
                     mix,
                 Fields({{"containers", std::move(containersJson)}}));
  }
  for (const Clash& clash : collisions.clashes) {
    const MountedContainer& kept = all[clash.containers.front()];
    std::string others;
    bool baseLost = false;
    for (size_t i = 1; i < clash.containers.size(); ++i) {
      const MountedContainer& lost = all[clash.containers[i]];
      others += (i == 1 ? "" : ", ") + Described(lost, paks_);
      baseLost = baseLost || lost.baseGame;
    }
    std::string message = "share the ContainerId " + std::to_string(clash.containerId) +
                          " (fixed when a container is packed, whatever it is renamed to): the "
                          "game keeps the package list of one container per ID, here that of " +
                          Described(kept, paks_) + ", and finds none of the assets of " + others;
    message += baseLost ? ". The base game's own assets in that container vanish, and the game "
                          "will likely fail to start; pack the mod again under a name of its own"
                        : kept.baseGame ? "; pack the mod again under a name of its own"
                                        : "; pack one of them again under a name of its own, so "
                                          "that it gets an ID of its own";
    std::string names;
    for (size_t i = 0; i < clash.containers.size(); ++i) {
      const MountedContainer& container = all[clash.containers[i]];
      names += (i == 0 ? "" : i + 1 == clash.containers.size() ? " and " : ", ") +
               (container.baseGame ? "the base game's " : std::string()) + container.path;
    }
    problems.Add("container-id-clash", names + " " + message,
                 Fields({{"containers", ContainersJson(clash.containers, all)}}));
  }

  mods.resize(modCount);

  // The engine mounts a pak with the container of the same name beside it;
  // modpaths reads only the container.
  for (const std::string& pak : pakFiles_) {
    const std::string name(platform::BaseName(pak, platform::kNativePaths));
    const std::string stem = name.substr(0, name.size() - 4);
    if (folders_.Find(std::string(platform::ParentFolder(pak, platform::kNativePaths)),
                      stem + ".utoc")) {
      continue;
    }
    problems.Add("pak-only", pak +
                                 ": has no " + stem +
                                 ".utoc beside it: modpaths reads only .utoc containers, so none "
                                 "of this mod's assets are in the save; if the mod works without "
                                 "the game's mod manager, nothing is lost");
  }
}

}  // namespace inspect
