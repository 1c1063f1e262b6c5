#include <string>
#include <utility>

#include "app/discovery.h"
#include "inspect/game.h"
#include "inspect/inspect.h"
#include "inspect/read_report.h"
#include "platform/file_system.h"

namespace inspect {

ScanReport InspectScan(const std::optional<std::string>& folder, const Progress& progress) {
  ScanReport report{Document("scan"), {}, {}, {}};
  Json& doc = report.doc;
  const std::optional<modpaths::GameFolders> game = FindGame(folder, doc);
  if (!game) return report;
  const std::string& paks = game->paks;
  doc["paksFolder"] = paks;
  if (!platform::ListFolder(paks)) {
    Problems::PutError(doc, "cannot-list", "cannot list " + paks);
    return report;
  }

  ScanObserver observer(paks, progress);
  // The observer keeps each container's paths, in the tool's order.
  modpaths::CollectModPaths(paks, [](std::string_view) {}, &observer);
  observer.Finish();
  for (MountedContainer& mod : observer.mods) report.packagePaths.push_back(std::move(mod.packagePaths));
  // In their places in the document; filled by ScanJson.
  doc["entries"] = nullptr;
  doc["containers"] = nullptr;
  report.entries = std::move(observer.entries);
  report.containers = std::move(observer.containers);
  doc["packagePaths"] = nullptr;
  observer.problems.Put(doc);
  return report;
}

Json ScanJson(ScanReport report) {
  Json& doc = report.doc;
  if (!doc.contains("entries")) return std::move(doc);
  Json& entries = doc["entries"] = Json::array();
  for (const EntryReport& entry : report.entries)
    entries.push_back(Fields({{"path", entry.path}, {"decision", DecisionName(entry.decision)}}));
  Json& paths = doc["packagePaths"] = Json::array();
  for (const PathList& container : report.packagePaths) {
    for (size_t i = 0; i < container.size(); ++i) paths.push_back(container[i]);
  }
  Json& containers = doc["containers"] = Json::array();
  for (const ContainerReport& c : report.containers) {
    containers.push_back(Fields({{"path", c.path},
                                 {"packagePaths", c.packagePaths},
                                 {"order", c.order},
                                 {"mounted", c.mounted},
                                 {"containerId", c.containerId},
                                 {"read", ReadJson(c.read, c.encrypted, c.directoryIndexSize)},
                                 {"walk", WalkJson(c.walk, c.indexRead, c.read)},
                                 {"problems", c.problems.Messages()},
                                 {"problemDetails", c.problems.Details()}}));
  }
  return std::move(doc);
}

}  // namespace inspect
