// "Is my save up to date, and if not, why?": what modpaths would write now,
// against the save on disk, and whatever stops modpaths.exe from writing it.

#include <algorithm>
#include <string>

#include "app/discovery.h"
#include "app/paths.h"
#include "app/run.h"
#include "app/save_file.h"
#include "inspect/game.h"
#include "inspect/inspect.h"
#include "inspect/save_report.h"
#include "launch/launch.h"
#include "launch/record.h"
#include "platform/file_system.h"
#include "platform/replacing_file.h"

namespace inspect {
namespace {

using platform::kNativePaths;

// Players know the tool as modpaths.exe; the file is the system's own.
const std::string kTool = "modpaths.exe";
const std::string kToolFile = "modpaths" + std::string(platform::kExecutableSuffix);

bool Exists(const std::string& folder, std::string_view name) {
  return platform::PathExists(folder + kNativePaths.separator + std::string(name));
}

// What a player pastes into Steam so that the save is written before every
// start of the game: the Windows line, and where the game lies on Linux (a
// Z: path under Wine and Proton) the Steam Deck's.
Json LaunchOptions(const std::string& toolFolder) {
  const bool windows = kNativePaths.separator == '\\';
  // Under Wine a game on any drive (Lutris installs into the prefix's C:)
  // is a Linux launcher's.
  std::optional<std::string> onLinux = modpaths::LinuxPathOf(toolFolder);
  if (!windows || !onLinux) onLinux = platform::UnixPathOf(toolFolder);
  const std::optional<std::string> nested = launch::NestedGameFolder(toolFolder);
  if (nested) onLinux.reset();
  // A game on Z: is one that Proton runs: no Windows launcher sees it.
  return Fields(
      {{"windows", windows && !onLinux && !nested
                       ? Json(modpaths::LaunchOptionsLine(toolFolder, platform::kWindowsPaths))
                       : Json()},
       {"steamDeck",
        onLinux ? Json(modpaths::LaunchOptionsLine(*onLinux, platform::kPosixPaths)) : Json()},
       {"wrapperInPlace",
        Exists(toolFolder, modpaths::kWindowsLauncher) || Exists(toolFolder, modpaths::kLinuxLauncher)},
       // Files one folder too deep: no line names them there.
       {"moveTo", nested ? Json(*nested) : Json()}});
}

// What stands between modpaths.exe and the save it writes for this game,
// as problems: the tool itself, then what it meets when it runs.
void AddObstacles(const modpaths::GameFolders& game, const modpaths::RunPaths& paths,
                  modpaths::Obstacle obstacle, bool ownSave, Problems& problems) {
  // The launch wrappers run the tool's own code, and on Linux Wine or
  // Proton runs modpaths.exe.
  if (!Exists(game.toolFolder, kToolFile) && !Exists(game.toolFolder, kTool) &&
      !Exists(game.toolFolder, modpaths::kWindowsLauncher) &&
      !Exists(game.toolFolder, modpaths::kLinuxLauncher)) {
    // A copy elsewhere finds no game: its rules start from its own folder.
    const std::string here = modpaths::GetExecutableDirectory();
    const std::string stray = here + kNativePaths.separator + kToolFile;
    problems.Add("tool-missing",
                 "there is no " + kTool + " in " + game.toolFolder +
                     ", the one folder from which it finds this game and its SourceSave.sav" +
                     (here != game.toolFolder && platform::PathExists(stray)
                          ? " (the one in " + here + " finds no game from there)"
                          : std::string()) +
                     ": put it there");
  }
  switch (obstacle) {
    case modpaths::Obstacle::None:
      break;
    case modpaths::Obstacle::NoTemplate:
      if (const std::optional<std::string> up = launch::NestedGameFolder(game.toolFolder)) {
        problems.Add("nested-folder",
                     "the files lie one folder too deep: " + game.toolFolder +
                         " is a folder inside the game's own; move modpaths.exe, "
                         "modpaths-launch.exe, modpaths-launch and modpaths-inspect.exe up into " +
                         *up + ", beside SourceSave.sav");
        break;
      }
      problems.Add("no-template",
                   "there is no SourceSave.sav in " + game.toolFolder + ": " + kTool +
                       " does nothing without it; it must lie there, beside " + kTool +
                       " (it comes with the game's mod manager: install that again)");
      break;
    case modpaths::Obstacle::UnreadableTemplate:
      problems.Add("template-unreadable",
                   paths.templatePath +
                       (platform::IsFolder(paths.templatePath)
                            ? " is a folder, not the template file"
                            : " cannot be read: another program may hold it open") +
                       "; " + kTool + " stops without writing the save until it is a file it can read");
      break;
    case modpaths::Obstacle::NoSaveFolder:
      if (ownSave) {
        problems.Add("no-saved-games",
                     "there is no " + paths.saveFolder +
                         ": start the game once so that it creates it; " + kTool +
                         " writes nothing until then");
      }
      break;
  }
  if (ownSave && obstacle == modpaths::Obstacle::None && !platform::CanReplace(paths.output)) {
    problems.Add("save-locked", paths.output +
                                    " cannot be replaced: it is read-only, or another program "
                                    "holds it open; clear its read-only attribute (Properties) or "
                                    "close that program");
  }
}

// The launch wrapper's record beside the tool: its last run, and a problem
// when that did not write the save and nothing has written it since.
Json LastLaunch(const std::string& toolFolder, const std::string& save, Problems& problems) {
  const std::vector<launch::RecordEntry> record = launch::ReadRecord(toolFolder);
  const bool wrapper = Exists(toolFolder, modpaths::kWindowsLauncher) ||
                       Exists(toolFolder, modpaths::kLinuxLauncher);
  // A folder that takes no file keeps no record: what stands in it is old.
  const bool recordable = platform::CanCreateIn(toolFolder);
  const bool atGameStart = std::any_of(record.begin(), record.end(),
                                       [](const launch::RecordEntry& entry) { return !entry.byHand; });
  Json doc = Fields({{"recordable", recordable}, {"runsAtGameStart", atGameStart}, {"last", nullptr}});
  if (record.empty()) return doc;
  const launch::RecordEntry& last = record.back();
  const std::optional<int64_t> ran = launch::RecordSeconds(last.time);
  const std::optional<int64_t> saved = platform::ModifiedTime(save);
  const bool savedSince = ran && saved && *saved > *ran;
  if (last.Failed() && !savedSince && (recordable || !wrapper)) {
    problems.Add("last-launch-failed",
                 "the last run of modpaths-launch (" + last.time +
                     (last.byHand ? ", by hand" : ", at the game's start") +
                     ") did not update the save: " + last.words);
  }
  doc["last"] = Fields({{"time", last.time},
                        {"version", last.version},
                        {"byHand", last.byHand},
                        {"code", std::string(launch::CodeName(last.code))},
                        {"words", last.words},
                        {"failed", last.Failed()},
                        {"savedSince", savedSince}});
  return doc;
}

// The save's paths against the paths given now, compared as counted sets
// (a path two containers give is written twice): each side's paths sorted
// by hash, then met. Of a path given n times and saved m times, the first
// m given are in the save, the rest missing; of one saved more often than
// given, the rest are no longer given.
struct Comparison {
  std::vector<uint64_t> missing;  // per container
  int64_t removed = 0;            // saved paths no container gives any more
  std::vector<std::string> gone;  // those paths, each once
};

Comparison Compare(const std::vector<std::string>& saved,
                   const std::vector<MountedContainer>& containers) {
  struct Keyed {
    uint64_t hash;
    uint32_t container, index;  // the save: container 0, index in the save
  };
  std::vector<Keyed> given, save;
  for (size_t c = 0; c < containers.size(); ++c) {
    const PathList& paths = containers[c].packagePaths;
    for (size_t i = 0; i < paths.size(); ++i)
      given.push_back({PathHash(paths[i], false), static_cast<uint32_t>(c), static_cast<uint32_t>(i)});
  }
  for (size_t i = 0; i < saved.size(); ++i)
    save.push_back({PathHash(saved[i], false), 0, static_cast<uint32_t>(i)});
  SortByHash(given);
  SortByHash(save);
  auto pathGiven = [&](const Keyed& k) { return containers[k.container].packagePaths[k.index]; };
  auto pathSaved = [&](const Keyed& k) { return std::string_view(saved[k.index]); };

  Comparison result;
  result.missing.assign(containers.size(), 0);
  // One hash at a time; where two paths share it, each path apart.
  std::vector<bool> doneGiven, doneSaved;
  for (size_t g = 0, s = 0; g < given.size() || s < save.size();) {
    const uint64_t hash = g == given.size()  ? save[s].hash
                          : s == save.size() ? given[g].hash
                                             : std::min(given[g].hash, save[s].hash);
    size_t gEnd = g, sEnd = s;
    while (gEnd < given.size() && given[gEnd].hash == hash) ++gEnd;
    while (sEnd < save.size() && save[sEnd].hash == hash) ++sEnd;
    doneGiven.assign(gEnd - g, false);
    doneSaved.assign(sEnd - s, false);
    for (size_t first = 0; first < (gEnd - g) + (sEnd - s); ++first) {
      const bool isGiven = first < gEnd - g;
      const size_t at = isGiven ? first : first - (gEnd - g);
      if (isGiven ? doneGiven[at] : doneSaved[at]) continue;
      const std::string_view path = isGiven ? pathGiven(given[g + at]) : pathSaved(save[s + at]);
      int64_t inSave = 0;
      for (size_t i = 0; i < sEnd - s; ++i) {
        if (!doneSaved[i] && pathSaved(save[s + i]) == path) {
          doneSaved[i] = true;
          ++inSave;
        }
      }
      int64_t givenSoFar = 0;
      for (size_t i = 0; i < gEnd - g; ++i) {
        if (doneGiven[i] || pathGiven(given[g + i]) != path) continue;
        doneGiven[i] = true;
        if (++givenSoFar > inSave) ++result.missing[given[g + i].container];
      }
      if (inSave > givenSoFar) {
        result.removed += inSave - givenSoFar;
        result.gone.emplace_back(path);
      }
    }
    g = gEnd;
    s = sEnd;
  }
  return result;
}

}  // namespace

Json InspectCheck(const std::optional<std::string>& gameFolder,
                  const std::optional<std::string>& savePath, const Progress& progress) {
  Json doc = Document("check");
  const std::optional<modpaths::GameFolders> game = FindGame(gameFolder, doc);
  if (!game) return doc;
  const std::string& paks = game->paks;
  doc["paksFolder"] = paks;
  const std::optional<std::string> savedGames = platform::SavedGamesFolder();
  if (!savedGames && !savePath) {
    Problems::PutError(doc, "no-saved-games", "the Saved Games folder cannot be found");
    return doc;
  }
  const modpaths::RunPaths paths =
      modpaths::PathsFor({game->toolFolder, savedGames.value_or(std::string())}, kNativePaths);
  // Only the save modpaths writes is one that running it would mend.
  const std::string save = savePath ? *savePath : paths.output;
  const bool ownSave = platform::InStyle(save, kNativePaths) == paths.output;
  if (!platform::ListFolder(paks)) {
    Problems::PutError(doc, "cannot-list", "cannot list " + paks);
    return doc;
  }
  doc["save"] = save;
  doc["launchOptions"] = LaunchOptions(platform::AbsolutePath(game->toolFolder));

  // The mods' own mistakes count as well: a mod that cannot load does not
  // show up, however fresh the save.
  ScanObserver current(paks, progress, false);
  uint64_t currentPaths = 0;
  modpaths::CollectModPaths(paks, [&](std::string_view) { ++currentPaths; }, &current);
  current.Finish();
  doc["currentPaths"] = currentPaths;

  // What stops modpaths.exe from writing the save at all: then running it
  // again changes nothing, and the fix is named instead.
  Problems problems;
  std::vector<uint8_t> templ;
  const modpaths::Obstacle obstacle = modpaths::FindObstacle(paths, templ);
  AddObstacles(*game, paths, obstacle, ownSave, problems);
  const bool blocked = !problems.empty();
  doc["launchRecord"] = LastLaunch(game->toolFolder, save, problems);
  // Litter, which stops nothing.
  if (ownSave && obstacle != modpaths::Obstacle::NoSaveFolder) {
    const std::vector<std::string> leftovers = platform::LeftoverTemporaries(paths.output);
    if (!leftovers.empty()) {
      problems.Add("leftover-temporary",
                   Count(leftovers.size(), "temporary file", "temporary files") +
                       " of a run that was stopped while it wrote the save: " +
                       Examples(leftovers, leftovers.size()) +
                       "; the next run of modpaths removes such files, or delete them yourself");
    }
  }
  const std::string advice = !ownSave  ? ""
                             : blocked ? " (" + kTool + " cannot write it until the above is fixed)"
                                       : ": run " + kTool + " again";

  auto finish = [&](bool upToDate) {
    doc["upToDate"] = upToDate;
    problems.Add(current.problems, "");
    problems.Put(doc);
    return doc;
  };
  std::vector<uint8_t> saved;
  if (!modpaths::ReadSaveTemplate(save, saved)) {
    doc["savedPaths"] = nullptr;
    problems.Add("no-save", "there is no save at " + save +
                                (ownSave && !blocked ? ": run " + kTool : advice));
    return finish(false);
  }
  // The template tells where the list starts; without one it is inferred.
  // A template the save does not start with has changed since: the list
  // would be sought in the wrong place.
  const bool haveTemplate = obstacle == modpaths::Obstacle::None ||
                            obstacle == modpaths::Obstacle::NoSaveFolder;
  doc["template"] = haveTemplate ? Json(paths.templatePath) : Json(nullptr);
  if (haveTemplate) {
    if (const auto differs = modpaths::FirstDifferenceFromTemplate(saved, templ)) {
      doc["savedPaths"] = nullptr;
      problems.Add("template-changed", TemplateChangedMessage(*differs));
      problems.Add("save-out-of-date", "the save is out of date" + advice);
      return finish(false);
    }
  }
  const modpaths::DecodedSave decoded = modpaths::DecodeModPathsSave(
      saved, haveTemplate ? std::optional<uint64_t>(templ.size()) : std::nullopt);
  if (!decoded.valid) {
    doc["savedPaths"] = nullptr;
    problems.Add("save-damaged", "the save is damaged: " + decoded.problem + " (offset " +
                                     std::to_string(decoded.problemOffset) + ")" + advice);
    return finish(false);
  }
  doc["savedPaths"] = decoded.paths.size();

  // The save as this system writes it, path for path, is the usual case,
  // and the quick one to tell.
  bool sameOrder = decoded.paths.size() == currentPaths;
  size_t next = 0;
  for (const MountedContainer& container : current.mods) {
    for (size_t i = 0; sameOrder && i < container.packagePaths.size(); ++i)
      sameOrder = decoded.paths[next++] == container.packagePaths[i];
  }
  Comparison compared;
  if (sameOrder) {
    compared.missing.assign(current.mods.size(), 0);
  } else {
    compared = Compare(decoded.paths, current.mods);
  }
  Json added = Json::array();
  for (size_t c = 0; c < current.mods.size(); ++c) {
    if (compared.missing[c] == 0) continue;
    added.push_back(Fields({{"path", current.mods[c].path},
                            {"packagePaths", current.mods[c].packagePaths.size()},
                            {"missing", compared.missing[c]}}));
  }
  const int64_t removed = compared.removed;
  std::vector<std::string>& gone = compared.gone;
  // The first few by name, the same every time.
  std::sort(gone.begin(), gone.end());
  if (gone.size() > kExamples) gone.resize(kExamples);
  doc["containersNotInSave"] = added;
  doc["pathsNoLongerGiven"] = removed;

  // The order follows the system's folder listing, which differs between
  // systems (Wine's is not Linux's): the same paths in another order are
  // the same save to the mod manager, and only noted.
  doc["sameOrder"] = sameOrder;
  const bool upToDate = added.empty() && removed == 0 && decoded.eightBitPaths == 0;
  for (const Json& container : added) {
    const auto missing = container["missing"].get<uint64_t>();
    const auto total = container["packagePaths"].get<uint64_t>();
    problems.Add("mod-not-in-save",
                 container["path"].get<std::string>() + ": " +
                     (missing == total ? (total == 1 ? std::string("its package path is")
                                                     : "all " + std::to_string(total) +
                                                           " of its package paths are")
                                       : std::to_string(missing) + " of its " +
                                             std::to_string(total) + " package paths " +
                                             (missing == 1 ? "is" : "are")) +
                     " not in the save (added since the last run)");
  }
  if (removed > 0) {
    problems.Add("mods-removed",
                 Count(static_cast<uint64_t>(removed), "package path in the save comes",
                       "package paths in the save come") +
                     " from no container any more (mods removed since the last run): " +
                     Examples(gone, static_cast<size_t>(removed)));
  }
  if (decoded.eightBitPaths > 0) problems.Add("eight-bit-paths", EightBitPathsMessage(decoded));
  if (!upToDate) problems.Add("save-out-of-date", "the save is out of date" + advice);
  return finish(upToDate);
}

}  // namespace inspect
