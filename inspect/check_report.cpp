// "Is my save up to date, and if not, why?": what modpaths would write now,
// against the save on disk, and whatever stops modpaths.exe from writing it.

#include <algorithm>
#include <map>
#include <string>

#include "app/discovery.h"
#include "app/paths.h"
#include "app/save_file.h"
#include "inspect/inspect.h"
#include "platform/platform.h"

namespace inspect {

std::optional<std::string> DefaultSave() {
  const std::optional<std::string> savedGames = platform::SavedGamesFolder();
  if (!savedGames) return std::nullopt;
  return modpaths::OutputPathFor(*savedGames, platform::kNativePaths);
}

Json InspectCheck(const std::optional<std::string>& gameFolder,
                  const std::optional<std::string>& savePath) {
  Json doc{{"command", "check"}};
  const std::optional<modpaths::GameFolders> game = FindGame(gameFolder, doc);
  if (!game) return doc;
  const std::string& paks = game->paks;
  doc["paksFolder"] = paks;
  const std::optional<std::string> save = savePath ? savePath : DefaultSave();
  if (!save) {
    Problems::PutError(doc, "no-saved-games", "the Saved Games folder cannot be found");
    return doc;
  }
  if (!platform::ListFolder(paks)) {
    Problems::PutError(doc, "cannot-list", "cannot list " + paks);
    return doc;
  }
  doc["save"] = *save;

  // The mods' own mistakes count as well: a mod that cannot load does not
  // show up, however fresh the save.
  ScanObserver current(paks);
  const std::vector<std::string> paths = modpaths::CollectModPaths(paks, &current);
  current.AddConflicts();
  doc["currentPaths"] = paths.size();

  // What stops modpaths.exe from writing the save at all: then running it
  // again changes nothing, and the fix is named instead.
  Problems problems;
  const char separator = platform::kNativePaths.separator;
  const std::string templatePath =
      modpaths::TemplatePathFor(game->toolFolder, platform::kNativePaths);
  const std::string saveFolder = modpaths::ExecutableDirectory(*save, platform::kNativePaths);
  if (!platform::PathExists(templatePath)) {
    problems.Add("no-template",
                 "there is no SourceSave.sav in " + game->toolFolder +
                     ": modpaths.exe does nothing without it; it must lie there, beside "
                     "modpaths.exe (it comes with the game's mod manager: install that again)");
  }
  if (!savePath && !platform::IsFolder(saveFolder)) {
    problems.Add("no-saved-games", "there is no " + saveFolder +
                                       ": start the game once so that it creates ..." + separator +
                                       "Corvane" + separator +
                                       "HollowVoyage; modpaths.exe writes nothing until then");
  } else if (!platform::CanReplace(*save)) {
    problems.Add("save-locked", *save +
                                    " cannot be replaced: it is read-only, or another program "
                                    "holds it open; clear its read-only attribute (Properties) or "
                                    "close that program, then run modpaths.exe again");
  }
  const bool blocked = !problems.empty();
  const std::string run = blocked ? " (modpaths.exe cannot write it until the above is fixed)"
                                  : ": run modpaths.exe again";

  auto finish = [&](bool upToDate) {
    doc["upToDate"] = upToDate;
    problems.Add(current.problems, "");
    problems.Put(doc);
    return doc;
  };
  std::vector<uint8_t> saved;
  if (!modpaths::ReadSaveTemplate(*save, saved)) {
    doc["savedPaths"] = nullptr;
    problems.Add("no-save", "there is no save at " + *save +
                                (blocked ? run : std::string(": run modpaths.exe")));
    return finish(false);
  }
  // The template tells where the list starts; without one it is inferred.
  // A template the save does not start with has changed since: the list
  // would be sought in the wrong place.
  std::vector<uint8_t> templ;
  const bool haveTemplate = modpaths::ReadSaveTemplate(templatePath, templ);
  doc["template"] = haveTemplate ? Json(templatePath) : Json(nullptr);
  if (haveTemplate &&
      (templ.size() > saved.size() || !std::equal(templ.begin(), templ.end(), saved.begin()))) {
    doc["savedPaths"] = nullptr;
    problems.Add("template-changed",
                 "SourceSave.sav has changed since the save was written (the save does not "
                 "start with it)");
    problems.Add("save-out-of-date", "the save is out of date" + run);
    return finish(false);
  }
  const modpaths::DecodedSave decoded = modpaths::DecodeModPathsSave(
      saved, haveTemplate ? std::optional<uint64_t>(templ.size()) : std::nullopt);
  if (!decoded.valid) {
    doc["savedPaths"] = nullptr;
    problems.Add("save-damaged", "the save is damaged: " + decoded.problem + " (offset " +
                                     std::to_string(decoded.problemOffset) + ")" +
                                     (blocked ? run : "; run modpaths.exe to write it again"));
    return finish(false);
  }
  doc["savedPaths"] = decoded.paths.size();

  // Paths are compared as counted sets: a path two containers give is
  // written twice.
  std::map<std::string, int64_t> inSave;
  for (const std::string& path : decoded.paths) ++inSave[path];
  Json added = Json::array();
  std::map<std::string, int64_t> now;
  for (const auto& [container, own] : current.pathsByContainer) {
    size_t missing = 0;
    for (const std::string& path : own) {
      ++now[path];
      if (now[path] > inSave[path]) ++missing;
    }
    if (missing > 0) {
      added.push_back(
          Json{{"path", container}, {"packagePaths", own.size()}, {"missing", missing}});
    }
  }
  int64_t removed = 0;
  std::vector<std::string> gone;
  for (const auto& [path, count] : inSave) {
    const auto found = now.find(path);
    const int64_t missing = count - std::min(count, found == now.end() ? 0 : found->second);
    removed += missing;
    if (missing > 0 && gone.size() < kExamples) gone.push_back(path);
  }
  doc["containersNotInSave"] = added;
  doc["pathsNoLongerGiven"] = removed;

  // The order follows the system's folder listing, which differs between
  // systems (Wine's is not Linux's): the same paths in another order are
  // the same save to the mod manager, and only noted.
  doc["sameOrder"] = decoded.paths == paths;
  const bool upToDate = added.empty() && removed == 0 && decoded.eightBitPaths == 0;
  for (const Json& container : added) {
    problems.Add("mod-not-in-save",
                 container["path"].get<std::string>() + ": " +
                     std::to_string(container["missing"].get<size_t>()) + " of its " +
                     std::to_string(container["packagePaths"].get<size_t>()) +
                     " package paths are not in the save (added since the last run)");
  }
  if (removed > 0) {
    const std::string named = Examples(gone, static_cast<size_t>(removed));
    problems.Add("mods-removed",
                 std::to_string(removed) + (removed == 1 ? " package path" : " package paths") +
                     " in the save come from no container any more (mods removed since the "
                     "last run): " +
                     named);
  }
  if (decoded.eightBitPaths > 0) problems.Add("eight-bit-paths", EightBitPathsMessage(decoded));
  if (!upToDate) problems.Add("save-out-of-date", "the save is out of date" + run);
  return finish(upToDate);
}

}  // namespace inspect
