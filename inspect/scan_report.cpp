#include <string>
#include <utility>

#include "app/discovery.h"
#include "inspect/game.h"
#include "inspect/inspect.h"
#include "platform/platform.h"

namespace inspect {

Json InspectScan(const std::optional<std::string>& folder, const Progress& progress) {
  Json doc = Document("scan");
  const std::optional<modpaths::GameFolders> game = FindGame(folder, doc);
  if (!game) return doc;
  const std::string& paks = game->paks;
  doc["paksFolder"] = paks;
  if (!platform::ListFolder(paks)) {
    Problems::PutError(doc, "cannot-list", "cannot list " + paks);
    return doc;
  }

  ScanObserver observer(paks, progress);
  const std::vector<std::string> packagePaths = modpaths::CollectModPaths(paks, &observer);
  observer.Finish();
  doc["entries"] = std::move(observer.entries);
  doc["containers"] = std::move(observer.containers);
  doc["packagePaths"] = packagePaths;
  observer.problems.Put(doc);
  return doc;
}

}  // namespace inspect
