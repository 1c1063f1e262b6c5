#include <string>

#include "app/discovery.h"
#include "inspect/inspect.h"
#include "platform/platform.h"

namespace inspect {

std::string PaksFolderOf(const std::string& folder) {
  const char separator = platform::kNativePaths.separator;
  const std::string nested = folder + separator + "Content" + separator + "Paks";
  return platform::PathExists(nested) ? nested : folder;
}

Json InspectScan(const std::string& folder) {
  const std::string paks = PaksFolderOf(folder);
  Json doc{{"command", "scan"}, {"folder", folder}, {"paksFolder", paks}};
  if (!platform::ListFolder(paks)) {
    Problems::PutError(doc, "cannot-list", "cannot list " + paks);
    return doc;
  }

  ScanObserver observer(paks);
  const std::vector<std::string> packagePaths = modpaths::CollectModPaths(paks, &observer);
  doc["entries"] = observer.entries;
  doc["containers"] = observer.containers;
  doc["packagePaths"] = packagePaths;
  observer.problems.Put(doc);
  return doc;
}

}  // namespace inspect
