#include <string>

#include "app/discovery.h"
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

// Collects what discovery reports while the tool's own CollectModPaths runs.
class ScanObserver : public modpaths::DiscoveryObserver {
 public:
  void Listed(const std::string& path, modpaths::Decision decision) override {
    entries.push_back(Json{{"path", path}, {"decision", DecisionName(decision)}});
    if (decision == modpaths::Decision::Unreadable) unreadable.push_back(path);
  }

  void Read(const std::string& path, const IoStore::FIoStoreTocResource& toc,
            const IoStore::TocReadReport& report, const modpaths::WalkAnomalies& walk,
            const std::vector<std::string>& packagePaths) override {
    const bool encrypted = (toc.Header.ContainerFlags & IoStore::ContainerFlags::Encrypted) != 0;
    Json container{{"path", path},
                   {"packagePaths", packagePaths.size()},
                   {"read", ReadJson(report)},
                   {"walk", WalkJson(walk)}};
    Json problems = Json::array();
    AddContainerProblems(report, walk, packagePaths.size(), encrypted, problems);
    container["problems"] = problems;
    containers.push_back(container);
  }

  Json entries = Json::array();
  Json containers = Json::array();
  std::vector<std::string> unreadable;
};

}  // namespace

std::string PaksFolderOf(const std::string& folder) {
  const char separator = platform::kNativePaths.separator;
  const std::string nested = folder + separator + "Content" + separator + "Paks";
  return platform::PathExists(nested) ? nested : folder;
}

Json InspectScan(const std::string& folder) {
  const std::string paks = PaksFolderOf(folder);
  Json doc{{"command", "scan"}, {"folder", folder}, {"paksFolder", paks}};
  if (!platform::ListFolder(paks)) {
    doc["status"] = "error";
    doc["problems"] = Json::array({"cannot list " + paks});
    return doc;
  }

  ScanObserver observer;
  const std::vector<std::string> packagePaths = modpaths::CollectModPaths(paks, &observer);
  doc["entries"] = observer.entries;
  doc["containers"] = observer.containers;
  doc["packagePaths"] = packagePaths;

  Json problems = Json::array();
  for (const Json& container : observer.containers) {
    for (const Json& problem : container["problems"]) {
      problems.push_back(container["path"].get<std::string>() + ": " + problem.get<std::string>());
    }
  }
  for (const std::string& path : observer.unreadable)
    problems.push_back(path + ": cannot be listed");
  doc["problems"] = problems;
  doc["status"] = problems.empty() ? "ok" : "problem";
  return doc;
}

}  // namespace inspect
