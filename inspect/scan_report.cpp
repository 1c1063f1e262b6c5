#include <string>

#include "app/discovery.h"
#include "inspect/inspect.h"
#include "platform/platform.h"

namespace inspect {

Json InspectScan(const std::optional<std::string>& folder) {
  Json doc{{"command", "scan"}};
  const std::optional<modpaths::GameFolders> game = FindGame(folder, doc);
  if (!game) return doc;
  const std::string& paks = game->paks;
  doc["paksFolder"] = paks;
  if (!platform::ListFolder(paks)) {
    Problems::PutError(doc, "cannot-list", "cannot list " + paks);
    return doc;
  }

  ScanObserver observer(paks);
  const std::vector<std::string> packagePaths = modpaths::CollectModPaths(paks, &observer);
  observer.AddConflicts();
  doc["entries"] = observer.entries;
  doc["containers"] = observer.containers;
  doc["packagePaths"] = packagePaths;
  observer.problems.Put(doc);
  return doc;
}

}  // namespace inspect
