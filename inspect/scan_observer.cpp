#include "inspect/scan_observer.h"

#include <map>
#include <string>

#include "app/paths.h"
#include "inspect/read_report.h"
#include "platform/platform.h"

namespace inspect {
namespace {

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

// The base game's own paks, which come with its containers or stand alone:
// in the paks folder itself, named like a base-game container or as the
// engine names a chunk.
bool IsBaseGamePak(std::string_view name) {
  const std::string lower = modpaths::AsciiLower(name);
  for (std::string_view base : modpaths::BaseGameContainers) {
    if (lower == modpaths::AsciiLower(base.substr(0, base.size() - 5)) + ".pak") return true;
  }
  size_t at = 8;
  if (lower.compare(0, at, "pakchunk") != 0) return false;
  while (at < lower.size() && lower[at] >= '0' && lower[at] <= '9') ++at;
  if (at == 8) return false;
  if (lower.compare(at, 8, "optional") == 0) at += 8;
  return lower.compare(at, std::string::npos, "-windowsnoeditor.pak") == 0;
}

}  // namespace

void ScanObserver::Listed(const std::string& path, modpaths::Decision decision) {
  if (describe_) entries.push_back(Fields({{"path", path}, {"decision", DecisionName(decision)}}));
  const char separator = platform::kNativePaths.separator;
  const std::string_view folder = platform::ParentFolder(path, platform::kNativePaths);
  const std::string_view name = platform::BaseName(path, platform::kNativePaths);
  const bool inSubfolder = folder != paks_;
  switch (decision) {
    case modpaths::Decision::Unreadable:
      problems.Add("unreadable-folder", path + ": cannot be listed");
      break;
    case modpaths::Decision::TooDeep:
      if (const auto inner = platform::ListFolder(path)) {
        for (const platform::DirectoryEntry& entry : *inner) {
          if (entry.isFolder || modpaths::GetExtension(entry.name) != ".utoc") continue;
          problems.Add("too-deep", path + separator + entry.name +
                                       ": lies two folders below Content" + separator +
                                       "Paks, where modpaths never looks; the engine mounts it "
                                       "all the same, so its assets load, but the game's mod "
                                       "manager does not see them: move it up one level");
        }
      }
      break;
    case modpaths::Decision::BaseGameContainer:
      // The game's own containers lie in the paks folder itself; one in a
      // subfolder is a mod that happens to share a base-game name.
      if (inSubfolder) {
        problems.Add("base-game-name",
                     path +
                         ": has the name of one of the game's own containers, so modpaths "
                         "skips it: rename it");
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

void ScanObserver::Read(const std::string& path, const IoStore::FIoStoreTocResource& toc,
                        const IoStore::TocReadReport& report, const modpaths::WalkAnomalies& walk,
                        const std::vector<std::string>& packagePaths) {
  Problems own;
  DiagnoseContainer(path, toc, report, walk, packagePaths, folders_, own);
  if (describe_) {
    Json& container = containers.emplace_back(Fields({{"path", path},
                                                      {"packagePaths", packagePaths.size()},
                                                      {"read", nullptr},
                                                      {"walk", nullptr},
                                                      {"problems", own.Messages()},
                                                      {"problemDetails", own.Details()}}));
    container["read"] = ReadJson(report, toc);
    container["walk"] = WalkJson(walk, toc, report);
  }
  pathsByContainer.emplace_back(path, packagePaths);
  problems.Add(own, path + ": ");
  if (progress_) progress_(pathsByContainer.size(), toRead_);
}

void ScanObserver::Finish() {
  // The engine keeps one package per name, compared without case.
  std::map<std::string, std::vector<size_t>> byName;
  std::map<std::string, std::string> spelled;
  for (size_t c = 0; c < pathsByContainer.size(); ++c) {
    for (const std::string& path : pathsByContainer[c].second) {
      std::vector<size_t>& givers = byName[modpaths::AsciiLower(path)];
      if (givers.empty() || givers.back() != c) givers.push_back(c);
      spelled.emplace(modpaths::AsciiLower(path), path);
    }
  }
  std::map<std::vector<size_t>, std::vector<std::string>> shared;
  for (const auto& [name, givers] : byName) {
    if (givers.size() > 1) shared[givers].push_back(spelled[name]);
  }
  for (const auto& [givers, paths] : shared) {
    std::string names;
    for (size_t i = 0; i < givers.size(); ++i) {
      names += (i == 0                   ? ""
                : i + 1 == givers.size() ? " and "
                                         : ", ") +
               pathsByContainer[givers[i]].first;
    }
    const std::string examples = Examples(paths, paths.size());
    problems.Add("conflict",
                 names + " give the same " +
                     (paths.size() == 1 ? std::string("package path")
                                        : std::to_string(paths.size()) + " package paths") +
                     " (compared without case, as the engine does): " + examples +
                     ". The game loads only one of each: a pak whose name ends in _P is "
                     "mounted with priority over one that does not, and otherwise the order "
                     "is the engine's own; keep only the mod you want");
  }
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
