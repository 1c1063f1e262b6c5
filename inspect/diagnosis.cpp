// The mistakes modders make, recognised from the tool's own values and
// named with their cause and the fix.

#include <algorithm>
#include <cctype>
#include <string>

#include "inspect/inspect.h"
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

std::string FolderOf(const std::string& path) {
  const size_t separator = path.find_last_of(platform::kNativePaths.separators);
  return separator == std::string::npos ? std::string() : path.substr(0, separator);
}

std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

// The engine's containers are three files of one name: the table of
// contents, the data (.ucas) and the pak the engine mounts them through.
// Names are compared byte for byte, as the tool compares them.
void CheckCompanions(const std::string& path, Problems& problems) {
  const std::string_view name = modpaths::GetFileName(path, platform::kNativePaths);
  const std::string stem(name.substr(0, name.size() - 5));  // without ".utoc"
  const auto entries = platform::ListFolder(FolderOf(path));
  if (!entries) return;
  struct Companion {
    const char* extension;
    const char* code;
    const char* what;
  };
  for (const Companion& companion :
       {Companion{".ucas", "missing-ucas", "the container's data"},
        Companion{".pak", "missing-pak", "through which the game mounts the container"}}) {
    const std::string wanted = stem + companion.extension;
    std::string caseOnly;
    bool found = false;
    for (const platform::DirectoryEntry& entry : *entries) {
      if (entry.isFolder) continue;
      if (entry.name == wanted) found = true;
      if (entry.name != wanted && Lower(entry.name) == Lower(wanted)) caseOnly = entry.name;
    }
    if (found) continue;
    std::string message = wanted + " (" + companion.what +
                          ") is not beside it: the game will not load this mod, although "
                          "modpaths lists its paths";
    if (!caseOnly.empty()) {
      message +=
          "; there is " + caseOnly + ", whose name differs only in case: rename it to " + wanted;
    }
    problems.Add(companion.code, message);
  }
}

}  // namespace

void Problems::Add(std::string_view code, const std::string& message) {
  messages_.push_back(message);
  details_.push_back(Json{{"code", code}, {"message", message}});
}

void Problems::Add(const Problems& other, const std::string& prefix) {
  for (const Json& detail : other.details_) {
    Add(detail["code"].get<std::string>(), prefix + detail["message"].get<std::string>());
  }
}

void Problems::Put(Json& doc) const {
  doc["problems"] = messages_;
  doc["problemDetails"] = details_;
  doc["status"] = empty() ? "ok" : "problem";
}

void Problems::PutError(Json& doc, std::string_view code, const std::string& message) {
  Problems error;
  error.Add(code, message);
  error.Put(doc);
  doc["status"] = "error";
}

void DiagnoseContainer(const std::string& path, const IoStore::FIoStoreTocResource& toc,
                       const IoStore::TocReadReport& report, const modpaths::WalkAnomalies& walk,
                       const std::vector<std::string>& packagePaths, Problems& problems) {
  const bool opened = report.fileSize >= 0;
  // The game's containers have version 2 (the first with a directory index)
  // or 3 (which adds the partition size). Version 4 and later put hash
  // tables after the chunk ids, so everything after is read at the wrong
  // offsets; version 1 has no directory index at all.
  const uint32_t version = toc.Header.Version;
  const bool headerRead = opened && report.fileSize >= int64_t{IoStore::FIoStoreTocHeader::kSize};
  if (headerRead && version > 3) {
    problems.Add("newer-format",
                 "the table of contents has version " + std::to_string(version) +
                     ", newer than the 2 or 3 this game reads: the mod was most likely packed "
                     "with a newer engine than the game's, and its package paths cannot be "
                     "trusted; pack it again with the game's engine version");
  } else if (headerRead && version < 2) {
    problems.Add("older-format",
                 "the table of contents has version " + std::to_string(version) +
                     ", older than the 2 or 3 this game reads (version 1 has no directory "
                     "index): the mod was most likely packed with a much older engine, or the "
                     "file is not a table of contents; its package paths cannot be trusted");
  }
  AddReadAndWalkProblems(report, walk, problems);

  const bool encrypted = (toc.Header.ContainerFlags & IoStore::ContainerFlags::Encrypted) != 0;
  const bool complete = report.failure.kind == Tessel::FailureKind::None;
  if (encrypted) {
    problems.Add("encrypted",
                 "the container is encrypted: its directory index is not read, so modpaths "
                 "cannot list its assets");
  }
  if (toc.NoDirectoryIndex && !encrypted) {
    problems.Add("no-directory-index",
                 "packed without a directory index: modpaths cannot list its assets; pack it "
                 "again with the index");
  }
  if (walk.noRoot && !encrypted && complete && !toc.NoDirectoryIndex) {
    problems.Add("no-root", "the directory index has no root directory");
  }
  const size_t files = toc.DirectoryIndex.FileEntries.elements.size();
  if (packagePaths.empty() && complete && !encrypted && files > 0 && !walk.noRoot) {
    problems.Add("no-uasset-files",
                 "the directory index lists " + std::to_string(files) +
                     " files but no .uasset file (only .uexp, .ubulk and the like): usually a "
                     "packing filter that left the assets out; pack the mod again with its "
                     ".uasset files");
  } else if (packagePaths.empty() && opened && !toc.NoDirectoryIndex) {
    problems.Add("no-package-paths", "the container gives no package paths");
  }

  std::vector<std::string> outside;
  for (const std::string& packagePath : packagePaths) {
    if (packagePath.rfind("/Game/", 0) != 0) outside.push_back(packagePath);
  }
  if (!outside.empty()) {
    const std::string which = outside.size() == 1
                                  ? "1 package path does not"
                                  : std::to_string(outside.size()) + " package paths do not";
    problems.Add("outside-content",
                 which +
                     " begin with /Game/ (their files lie outside any Content folder, such as "
                     "plugin content); they are written as they are, and the game may not "
                     "resolve them; the first: " +
                     outside.front());
  }
  if (opened) CheckCompanions(path, problems);
}

void ScanObserver::Listed(const std::string& path, modpaths::Decision decision) {
  entries.push_back(Json{{"path", path}, {"decision", DecisionName(decision)}});
  const bool inSubfolder = FolderOf(path) != paks_;
  switch (decision) {
    case modpaths::Decision::Unreadable:
      problems.Add("unreadable-folder", path + ": cannot be listed");
      break;
    case modpaths::Decision::TooDeep:
      if (const auto inner = platform::ListFolder(path)) {
        for (const platform::DirectoryEntry& entry : *inner) {
          if (entry.isFolder || modpaths::GetExtension(entry.name) != ".utoc") continue;
          problems.Add("too-deep", path + platform::kNativePaths.separator + entry.name +
                                       ": lies two folders below Content" +
                                       platform::kNativePaths.separator +
                                       "Paks, where modpaths never looks: move it up one level");
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
    default:
      break;
  }
}

void ScanObserver::Read(const std::string& path, const IoStore::FIoStoreTocResource& toc,
                        const IoStore::TocReadReport& report, const modpaths::WalkAnomalies& walk,
                        const std::vector<std::string>& packagePaths) {
  Problems own;
  DiagnoseContainer(path, toc, report, walk, packagePaths, own);
  containers.push_back(Json{{"path", path},
                            {"packagePaths", packagePaths.size()},
                            {"read", ReadJson(report)},
                            {"walk", WalkJson(walk, toc)},
                            {"problems", own.Messages()},
                            {"problemDetails", own.Details()}});
  pathsByContainer.emplace_back(path, packagePaths);
  problems.Add(own, path + ": ");
}

}  // namespace inspect
