// The mistakes modders make, recognised from the tool's own values and
// named with their cause and the fix. Where modpaths and the engine name a
// package differently, modpaths' rules stand (they are what the save
// holds); the diagnosis says what the engine will look for instead.

#include "inspect/diagnosis.h"

#include <cstring>
#include <set>
#include <string>

#include "app/discovery.h"
#include "app/paths.h"
#include "extract/package_paths.h"
#include "inspect/read_report.h"
#include "platform/platform.h"

namespace inspect {
namespace {

const char kMagic[] = "-==--==--==--==-";

using modpaths::SameLetters;
using platform::kNativePaths;

// The engine's own checks on a table of contents; the game refuses a file
// that fails one. Empty when it passes.
std::string WhyNotAContainer(const IoStore::FIoStoreTocHeader& header) {
  if (std::memcmp(header.TocMagic, kMagic, 16) != 0)
    return std::string("it does not begin with ") + kMagic;
  if (header.TocHeaderSize != IoStore::FIoStoreTocHeader::kSize)
    return "its TocHeaderSize is " + std::to_string(header.TocHeaderSize) + ", not 144";
  if (header.TocCompressedBlockEntrySize != 12)
    return "its TocCompressedBlockEntrySize is " +
           std::to_string(header.TocCompressedBlockEntrySize) + ", not 12";
  return {};
}

// The engine's containers are three files of one name: the table of
// contents, the data (.ucas) and the pak the engine mounts them through.
// The name is the container's own without its last extension, so that
// "Double.utoc.utoc" comes with "Double.utoc.ucas".
void CheckCompanions(const std::string& path, bool givesPaths, FolderNames& folders,
                     Problems& problems) {
  const std::string folder(platform::ParentFolder(path, kNativePaths));
  const std::string name(platform::BaseName(path, kNativePaths));
  const size_t dot = name.rfind('.');
  const std::string stem = dot == std::string::npos ? name : name.substr(0, dot);
  // A doubled extension is the likely cause when the companions carry one.
  const size_t inner = stem.rfind('.');
  const bool doubled =
      inner != std::string::npos && SameLetters(stem.substr(inner), name.substr(dot));
  struct Companion {
    const char* extension;
    const char* code;
    const char* what;
  };
  for (const Companion& companion :
       {Companion{".ucas", "missing-ucas", "the container's data"},
        Companion{".pak", "missing-pak", "through which the game mounts the container"}}) {
    const std::string wanted = stem + companion.extension;
    if (folders.Find(folder, wanted)) continue;
    std::string message = wanted + " (" + companion.what +
                          ") is not beside it: the game will not load this mod" +
                          (givesPaths ? ", although modpaths lists its paths" : "");
    const std::string single = stem.substr(0, doubled ? inner : stem.size()) + companion.extension;
    if (doubled && folders.Find(folder, single)) {
      message += "; its name ends in " + name.substr(dot) + " twice, and " + single +
                 " is there: rename it to " + stem;
    }
    problems.Add(companion.code, message);
  }
}

// What the engine names a file of the container: "/Game/" for the game's
// Content, "/<Plugin>/" for a plugin's, "/Engine/" for the engine's,
// folder names compared without case. Empty for a file in no Content
// folder, or not a package.
// `parts` and `package` are the caller's, kept from file to file.
bool EnginePackagePath(std::string_view filePath, std::vector<std::string_view>& parts,
                       std::string& package) {
  parts.clear();
  for (size_t start = 0; start <= filePath.size();) {
    size_t end = filePath.find('/', start);
    if (end == std::string_view::npos) end = filePath.size();
    if (end > start) parts.push_back(filePath.substr(start, end - start));
    start = end + 1;
  }
  if (parts.empty() || parts.back().size() < 7 ||
      !SameLetters(parts.back().substr(parts.back().size() - 7), ".uasset")) {
    return false;
  }
  size_t content = 0;
  while (content < parts.size() && !SameLetters(parts[content], "Content")) ++content;
  if (content == 0 || content + 1 >= parts.size()) return false;
  bool plugin = false;
  for (size_t i = 0; i + 1 < content; ++i) plugin = plugin || SameLetters(parts[i], "Plugins");
  package = "/";
  package += plugin                                       ? parts[content - 1]
             : SameLetters(parts[content - 1], "Engine") ? std::string_view("Engine")
                                                          : std::string_view("Game");
  for (size_t i = content + 1; i < parts.size(); ++i) {
    package += '/';
    package += parts[i];
  }
  package.resize(package.size() - 7);
  const size_t asset = package.rfind('/') + 1;
  const size_t assetLength = package.size() - asset;
  package += '.';
  package.append(package, asset, assetLength);
  return true;
}

// What CheckPackageNames found that other checks would explain wrongly.
struct NameFindings {
  bool uassetInOtherCase = false;     // files the engine takes as packages
  std::set<std::string> caseFolders;  // written paths kept raw for "content"
};

// Where modpaths and the engine part ways on the container's file paths.
NameFindings CheckPackageNames(const IoStore::FIoStoreTocResource& toc, Problems& problems) {
  NameFindings findings;
  std::vector<std::string> plugin, engine, inName, caseFolder, caseExtension;
  const IoStore::FIoDirectoryIndexResource& index = toc.DirectoryIndex;
  // Scratch, kept from file to file.
  std::string written, theirs, reduced;
  std::vector<std::string_view> parts;
  modpaths::ForEachFilePath(
      index.MountPoint.Value(), 0, index.StringTable, index.DirectoryEntries, index.FileEntries,
      [&](std::string_view file) {
        const bool ours = modpaths::MakePackagePath(file, written);
        if (!EnginePackagePath(file, parts, theirs)) theirs.clear();
        if (!ours) {
          if (!theirs.empty()) caseExtension.push_back(std::string(file));
          return;
        }
        reduced.assign(file);
        const modpaths::ContentCut cut = modpaths::ReduceAndFindContent(reduced);
        if (cut.content == std::string::npos) {
          if (theirs.empty()) return;
          caseFolder.push_back(written + " (the engine: " + theirs + ")");
          findings.caseFolders.insert(written);
          return;
        }
        const bool whole = (cut.content == 0 || reduced[cut.content - 1] == '/') &&
                           (cut.end == cut.content + 7 || reduced[cut.content + 7] == '/');
        if (!whole) {
          inName.push_back(written);
        } else if (theirs.rfind("/Engine/", 0) == 0 && theirs != written) {
          engine.push_back(written + " (the engine: " + theirs + ")");
        } else if (!theirs.empty() && theirs.rfind("/Game/", 0) != 0 && theirs != written) {
          plugin.push_back(written + " (the engine: " + theirs + ")");
        }
      });
  const std::string move =
      ": the game's mod manager looks for them where the engine does not put them; move the "
      "assets into the game's own Content folder when packing";
  if (!plugin.empty()) {
    problems.Add("plugin-content",
                 Count(plugin.size(), "package path lies", "package paths lie") +
                     " in a plugin's Content folder, which the engine names after the plugin, "
                     "but modpaths writes under /Game/" +
                     move + ": " + Examples(plugin, plugin.size()));
  }
  if (!engine.empty()) {
    problems.Add("engine-content",
                 Count(engine.size(), "package path lies", "package paths lie") +
                     " in the engine's Content folder, which the engine names /Engine/, but "
                     "modpaths writes under /Game/" +
                     move + ": " + Examples(engine, engine.size()));
  }
  if (!inName.empty()) {
    problems.Add("content-in-name",
                 Count(inName.size(), "package path comes", "package paths come") +
                     " from a folder or file whose name holds \"Content\" (such as "
                     "ContentPack): modpaths cuts its path there and writes a name the game "
                     "does not know; rename the folder: " +
                     Examples(inName, inName.size()));
  }
  if (!caseFolder.empty()) {
    problems.Add("case-mismatch",
                 Count(caseFolder.size(), "package path keeps", "package paths keep") +
                     " its raw folders because the folder is spelled \"content\": modpaths "
                     "looks for \"Content\" exactly, the engine in any case; rename the folder "
                     "to Content: " +
                     Examples(caseFolder, caseFolder.size()));
  }
  if (!caseExtension.empty()) {
    problems.Add("case-mismatch",
                 Count(caseExtension.size(), "file is", "files are") +
                     " left out because the extension is not spelled .uasset (the engine "
                     "takes any case, modpaths only .uasset); rename them: " +
                     Examples(caseExtension, caseExtension.size()));
  }
  findings.uassetInOtherCase = !caseExtension.empty();
  return findings;
}

}  // namespace

std::optional<std::string> FolderNames::Find(const std::string& folder, const std::string& name) {
  auto listed = folders_.find(folder);
  if (listed == folders_.end()) {
    std::unordered_map<std::string, std::string> names;
    if (const auto entries = platform::ListFolder(folder)) {
      for (const platform::DirectoryEntry& entry : *entries) {
        if (!entry.isFolder) names.emplace(modpaths::AsciiLower(entry.name), entry.name);
      }
    }
    listed = folders_.emplace(folder, std::move(names)).first;
  }
  key_.assign(name);
  modpaths::MakeAsciiLower(key_);
  const auto found = listed->second.find(key_);
  if (found == listed->second.end()) return std::nullopt;
  return found->second;
}

void DiagnoseContainer(const std::string& path, const IoStore::FIoStoreTocResource& toc,
                       const IoStore::TocReadReport& report, const modpaths::WalkAnomalies& walk,
                       const std::vector<std::string>& packagePaths, FolderNames& folders,
                       Problems& problems) {
  const bool opened = report.fileSize >= 0;
  const bool headerRead = opened && report.fileSize >= int64_t{IoStore::FIoStoreTocHeader::kSize};
  const std::string name(platform::BaseName(path, kNativePaths));
  const std::string extension = name.find('.') == std::string::npos
                                    ? std::string()
                                    : modpaths::AsciiLower(modpaths::GetExtension(name));
  if (opened && !headerRead && extension == ".utoc") {
    problems.Add("too-short",
                 (report.fileSize == 0
                      ? std::string("the file is empty")
                      : "the file is too short to be a table of contents (" +
                            Count(static_cast<uint64_t>(report.fileSize), "byte", "bytes") +
                            "; the header alone takes 144)") +
                     ": it gives no package paths, and the game cannot mount it; download or "
                     "copy the mod again");
    return;
  }
  if (opened) {
    const std::string why = headerRead         ? WhyNotAContainer(toc.Header)
                            : extension.empty() ? "it is not a .utoc file"
                                                : "it is a " + extension + " file";
    if (!why.empty()) {
      problems.Add("not-a-container",
                   "not a table of contents the game reads: " + why +
                       (extension == ".pak" || extension == ".ucas"
                            ? " (a " + extension +
                                  " file belongs to a container; its .utoc is "
                                  "the table of contents)"
                            : ", so the game refuses it") +
                       (packagePaths.empty() ? ""
                                             : "; modpaths still writes the package paths "
                                               "it finds in it"));
      return;
    }
  }
  // The game's containers have version 2 (the first with a directory index)
  // or 3 (which adds the partition size). Version 4 and later put hash
  // tables after the chunk ids, so everything after is read at the wrong
  // offsets; version 1 has no directory index at all.
  const uint32_t version = toc.Header.Version;
  if (headerRead && version > 3) {
    problems.Add("newer-format",
                 "the table of contents has version " + std::to_string(version) +
                     ", newer than the 2 or 3 this game reads: the mod was most likely packed "
                     "with a newer engine than the game's; modpaths writes the package paths it "
                     "finds in it all the same, but they are most likely wrong, and the game "
                     "cannot mount the container; pack it again with the game's engine version");
  } else if (headerRead && version < 2) {
    problems.Add("older-format",
                 "the table of contents has version " + std::to_string(version) +
                     ", older than the 2 or 3 this game reads (version 1 has no directory "
                     "index): the mod was most likely packed with a much older engine; "
                     "modpaths writes whatever package paths it finds, which are most likely "
                     "wrong; pack it again with the game's engine version");
  }

  const bool encrypted = (toc.Header.ContainerFlags & IoStore::ContainerFlags::Encrypted) != 0;
  const bool complete = report.failure.kind == Tessel::FailureKind::None;
  if (encrypted) {
    problems.Add("encrypted",
                 "the container is encrypted: its directory index is not read, so modpaths "
                 "cannot list its assets");
  } else {
    AddReadAndWalkProblems(report, walk, toc.Header, problems);
  }
  if (toc.NoDirectoryIndex && !encrypted) {
    problems.Add("no-directory-index",
                 "packed without a directory index: modpaths cannot list its assets; pack it "
                 "again with the index");
  }
  const bool indexRead = IndexWasRead(toc);
  if (walk.noRoot && indexRead && complete) {
    problems.Add("no-root", "the directory index has no root directory");
  }
  const NameFindings names = indexRead ? CheckPackageNames(toc, problems) : NameFindings();
  const size_t files = toc.DirectoryIndex.FileEntries.elements.size();
  if (packagePaths.empty() && names.uassetInOtherCase) {
    // Said above: the assets are there, spelled otherwise.
  } else if (packagePaths.empty() && complete && indexRead && files > 0 && !walk.noRoot) {
    problems.Add("no-uasset-files",
                 "the directory index lists " + Count(files, "file", "files") +
                     " but no .uasset file (only .uexp, .ubulk and the like): usually a "
                     "packing filter that left the assets out; pack the mod again with its "
                     ".uasset files");
  } else if (packagePaths.empty() && opened && indexRead && complete) {
    problems.Add("no-package-paths", "the container gives no package paths");
  }

  std::vector<std::string> outside;
  for (const std::string& packagePath : packagePaths) {
    if (packagePath.rfind("/Game/", 0) != 0 && names.caseFolders.count(packagePath) == 0)
      outside.push_back(packagePath);
  }
  if (!outside.empty()) {
    problems.Add("outside-content",
                 Count(outside.size(), "package path does not", "package paths do not") +
                     " begin with /Game/ (their files lie outside any Content folder, such as "
                     "plugin content); they are written as they are, and the game may not "
                     "resolve them; the first: " +
                     outside.front());
  }
  if (opened) CheckCompanions(path, !packagePaths.empty(), folders, problems);
}

}  // namespace inspect
