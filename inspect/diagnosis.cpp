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
#include "platform/file_system.h"

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

// Where the engine roots a file of the container: "Game" for the game's
// Content, the plugin's name for a plugin's, "Engine" for the engine's,
// folder names compared without case; and where the names after Content
// start. Nothing for a file in no Content folder, or not a package.
struct EngineRoot {
  std::string_view path;  // the file's path without trailing separators
  std::string_view root;
  size_t rest = 0;
};

std::optional<EngineRoot> FindEngineRoot(std::string_view filePath) {
  while (!filePath.empty() && filePath.back() == '/') filePath.remove_suffix(1);
  if (filePath.size() < 7 || !SameLetters(filePath.substr(filePath.size() - 7), ".uasset"))
    return std::nullopt;
  // The names between separators, met in order: the first "Content" in any
  // case, the name before it, and whether "Plugins" came earlier still.
  // The path is scanned in place: this runs for every file of every
  // container.
  std::string_view before, previous;
  bool plugin = false, pluginsSeen = false;
  size_t rest = std::string_view::npos;
  for (size_t start = 0, end; start < filePath.size(); start = end + 1) {
    for (end = start; end < filePath.size() && filePath[end] != '/';) ++end;
    if (end == start) continue;
    const std::string_view name = filePath.substr(start, end - start);
    if (name.size() == 7 && SameLetters(name, "Content")) {
      if (!previous.empty()) {
        before = previous;
        plugin = pluginsSeen;
        rest = end;
      }
      break;
    }
    if (!previous.empty()) pluginsSeen = pluginsSeen || SameLetters(previous, "Plugins");
    previous = name;
  }
  // Nothing after Content but separators: no package.
  if (rest == std::string_view::npos ||
      filePath.find_first_not_of('/', rest) == std::string_view::npos) {
    return std::nullopt;
  }
  return EngineRoot{filePath,
                    plugin                          ? before
                    : SameLetters(before, "Engine") ? std::string_view("Engine")
                                                    : std::string_view("Game"),
                    rest};
}

// The engine's package path of a file it roots so: "/<root>", then each
// name after Content after one "/", then "." and the asset's name.
// `package` is the caller's, kept from file to file.
const std::string& EnginePackagePath(const EngineRoot& file, std::string& package) {
  package = "/";
  package += file.root;
  for (size_t start = file.rest, end; start < file.path.size(); start = end + 1) {
    for (end = start; end < file.path.size() && file.path[end] != '/';) ++end;
    if (end == start) continue;
    package += '/';
    package.append(file.path, start, end - start);
  }
  package.resize(package.size() - 7);
  const size_t asset = package.rfind('/') + 1;
  const size_t assetLength = package.size() - asset;
  package += '.';
  package.append(package, asset, assetLength);
  return package;
}

}  // namespace

std::optional<std::string> FolderNames::Find(const std::string& folder, const std::string& name) {
  auto listed = folders_.find(folder);
  if (listed == folders_.end()) {
    Names names;
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

void FolderNames::Note(std::string_view folder, std::string_view name) {
  auto listed = folders_.find(folder);
  if (listed == folders_.end()) listed = folders_.emplace(std::string(folder), Names()).first;
  key_.assign(name);
  modpaths::MakeAsciiLower(key_);
  listed->second.emplace(key_, name);
}

void PackageNames::File(std::string_view file, const std::string* written) {
  const std::optional<EngineRoot> engine = FindEngineRoot(file);
  if (written == nullptr) {
    if (engine) caseExtension_.push_back(std::string(file));
    return;
  }
  ++packagePaths_;
  reduced_.assign(file);
  const modpaths::ContentCut cut = modpaths::ReduceAndFindContent(reduced_);
  if (cut.content == std::string::npos) {
    // Kept raw because the folder is spelled "content": said as that, not
    // as a path outside any Content folder.
    if (engine) {
      caseFolder_.push_back(*written + " (the engine: " + EnginePackagePath(*engine, theirs_) + ")");
      return;
    }
  } else {
    const bool whole = (cut.content == 0 || reduced_[cut.content - 1] == '/') &&
                       (cut.end == cut.content + 7 || reduced_[cut.content + 7] == '/');
    // Under /Game/ the engine agrees, whatever it makes of doubled
    // separators: its name is built only where it may not.
    if (!whole) {
      inName_.push_back(*written);
    } else if (engine && engine->root != "Game" &&
               EnginePackagePath(*engine, theirs_) != *written) {
      (engine->root == "Engine" ? engine_ : plugin_)
          .push_back(*written + " (the engine: " + theirs_ + ")");
    }
  }
  if (written->rfind("/Game/", 0) != 0) {
    if (outside_ == 0) firstOutside_ = *written;
    ++outside_;
  }
}

void PackageNames::AddProblems(Problems& problems) const {
  const std::string move =
      ": the game's mod manager looks for them where the engine does not put them; move the "
      "assets into the game's own Content folder when packing";
  if (!plugin_.empty()) {
    problems.Add("plugin-content",
                 Count(plugin_.size(), "package path lies", "package paths lie") +
                     " in a plugin's Content folder, which the engine names after the plugin, "
                     "but modpaths writes under /Game/" +
                     move + ": " + Examples(plugin_, plugin_.size()));
  }
  if (!engine_.empty()) {
    problems.Add("engine-content",
                 Count(engine_.size(), "package path lies", "package paths lie") +
                     " in the engine's Content folder, which the engine names /Engine/, but "
                     "modpaths writes under /Game/" +
                     move + ": " + Examples(engine_, engine_.size()));
  }
  if (!inName_.empty()) {
    problems.Add("content-in-name",
                 Count(inName_.size(), "package path comes", "package paths come") +
                     " from a folder or file whose name holds \"Content\" (such as "
                     "ContentPack): modpaths cuts its path there and writes a name the game "
                     "does not know; rename the folder: " +
                     Examples(inName_, inName_.size()));
  }
  if (!caseFolder_.empty()) {
    problems.Add("case-mismatch",
                 Count(caseFolder_.size(), "package path keeps", "package paths keep") +
                     " its raw folders because the folder is spelled \"content\": modpaths "
                     "looks for \"Content\" exactly, the engine in any case; rename the folder "
                     "to Content: " +
                     Examples(caseFolder_, caseFolder_.size()));
  }
  if (!caseExtension_.empty()) {
    problems.Add("case-mismatch",
                 Count(caseExtension_.size(), "file is", "files are") +
                     " left out because the extension is not spelled .uasset (the engine "
                     "takes any case, modpaths only .uasset); rename them: " +
                     Examples(caseExtension_, caseExtension_.size()));
  }
}

void PackageNames::Clear() {
  for (std::vector<std::string>* list : {&plugin_, &engine_, &inName_, &caseFolder_, &caseExtension_})
    list->clear();
  packagePaths_ = 0;
  outside_ = 0;
  firstOutside_.clear();
}

void DiagnoseContainer(const std::string& path, const IoStore::FIoStoreTocResource& toc,
                       const IoStore::TocReadReport& report, const modpaths::WalkAnomalies& walk,
                       const PackageNames& names, FolderNames& folders, Problems& problems) {
  const bool givesPaths = names.PackagePaths() > 0;
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
                       (givesPaths ? "; modpaths still writes the package paths it finds in it"
                                   : ""));
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
  if (indexRead) names.AddProblems(problems);
  const size_t files = toc.DirectoryIndex.FileEntries.elements.size();
  if (!givesPaths && indexRead && names.UassetInOtherCase()) {
    // Said above: the assets are there, spelled otherwise.
  } else if (!givesPaths && complete && indexRead && files > 0 && !walk.noRoot) {
    problems.Add("no-uasset-files",
                 "the directory index lists " + Count(files, "file", "files") +
                     " but no .uasset file (only .uexp, .ubulk and the like): usually a "
                     "packing filter that left the assets out; pack the mod again with its "
                     ".uasset files");
  } else if (!givesPaths && opened && indexRead && complete) {
    problems.Add("no-package-paths", "the container gives no package paths");
  }

  if (names.Outside() > 0) {
    problems.Add("outside-content",
                 Count(names.Outside(), "package path does not", "package paths do not") +
                     " begin with /Game/ (their files lie outside any Content folder, such as "
                     "plugin content); they are written as they are, and the game may not "
                     "resolve them; the first: " +
                     names.FirstOutside());
  }
  if (opened) CheckCompanions(path, givesPaths, folders, problems);
}

}  // namespace inspect
