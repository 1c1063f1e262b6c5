#include <cstdio>
#include <string>

#include "extract/package_paths.h"
#include "inspect/diagnosis.h"
#include "inspect/inspect.h"
#include "inspect/mount_order.h"
#include "inspect/read_report.h"

namespace inspect {
namespace {

Json FlagsJson(uint8_t flags) {
  Json names = Json::array();
  if (flags & IoStore::ContainerFlags::Compressed) names.push_back("Compressed");
  if (flags & IoStore::ContainerFlags::Encrypted) names.push_back("Encrypted");
  if (flags & IoStore::ContainerFlags::Signed) names.push_back("Signed");
  return Json{{"value", flags}, {"names", names}, {"unknownBits", flags & 0xF8}};
}

Json HeaderJson(const IoStore::FIoStoreTocHeader& h) {
  std::string magic;
  for (uint8_t byte : h.TocMagic)
    magic += (byte >= 0x20 && byte < 0x7F) ? static_cast<char>(byte) : '.';
  return Json{{"magic", magic},
              {"version", h.Version},
              {"tocHeaderSize", h.TocHeaderSize},
              {"tocEntryCount", h.TocEntryCount},
              {"tocCompressedBlockEntryCount", h.TocCompressedBlockEntryCount},
              {"tocCompressedBlockEntrySize", h.TocCompressedBlockEntrySize},
              {"compressionMethodNameCount", h.CompressionMethodNameCount},
              {"compressionMethodNameLength", h.CompressionMethodNameLength},
              {"compressionBlockSize", h.CompressionBlockSize},
              {"directoryIndexSize", h.DirectoryIndexSize},
              {"partitionCount", h.PartitionCount},
              {"containerId", h.ContainerId},
              {"partitionSize", h.PartitionSize},
              {"containerFlags", FlagsJson(h.ContainerFlags)}};
}

}  // namespace

Json InspectToc(const std::string& path, bool listFiles) {
  IoStore::FIoStoreTocResource toc;
  IoStore::TocReadReport report;
  toc.LoadFromFile(path, &report);
  Json doc = Document("toc");
  doc["file"] = path;
  if (report.fileSize < 0) {
    Problems::PutError(doc, "cannot-open", "cannot open " + path);
    return doc;
  }
  doc["header"] = HeaderJson(toc.Header);
  // Where the engine puts it among the mods, from where it lies.
  const std::optional<std::string> pak = EnginePakPathOf(path);
  doc["order"] = pak ? Json(PakOrder(*pak)) : Json(nullptr);
  doc["read"] = ReadJson(report,
                         (toc.Header.ContainerFlags & IoStore::ContainerFlags::Encrypted) != 0,
                         int64_t{toc.Header.DirectoryIndexSize});

  const IoStore::FIoDirectoryIndexResource& index = toc.DirectoryIndex;
  const bool encrypted = (toc.Header.ContainerFlags & IoStore::ContainerFlags::Encrypted) != 0;
  doc["directoryIndex"] = Json{{"read", !encrypted && !toc.NoDirectoryIndex},
                               {"packedWithout", toc.NoDirectoryIndex && !encrypted},
                               {"mountPoint", std::string(index.MountPoint.Value())},
                               {"directories", index.DirectoryEntries.elements.size()},
                               {"files", index.FileEntries.elements.size()},
                               {"strings", index.StringTable.size()}};

  // One walk: the package paths, the files and what the names say.
  modpaths::WalkAnomalies walk;
  Json packagePaths = Json::array();
  Json files = Json::array();
  PackageNames names;
  modpaths::ExtractPackagePaths(
      toc,
      [&](std::string_view file, const std::string* packagePath) {
        names.File(file, packagePath);
        if (packagePath) packagePaths.push_back(*packagePath);
        if (listFiles) files.push_back(std::string(file));
      },
      &walk);
  doc["walk"] = WalkJson(walk, IndexWasRead(toc), report);
  doc["packagePaths"] = std::move(packagePaths);
  if (listFiles) doc["files"] = std::move(files);
  Problems problems;
  FolderNames folders;
  DiagnoseContainer(path, toc, report, walk, names, folders, problems);
  problems.Put(doc);
  return doc;
}

int ExitCode(const Json& report) {
  const std::string status = report.value("status", "error");
  return status == "ok" ? 0 : status == "problem" ? 1 : 2;
}

}  // namespace inspect
