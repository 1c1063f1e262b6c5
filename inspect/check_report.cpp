// "Is my save up to date, and if not, why?": what modpaths would write now,
// against the save on disk, and whatever stops modpaths.exe from writing it.

#include <algorithm>
#include <memory>
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
#include "launch/setup.h"
#include "steam/install.h"
#include "steam/this_machine.h"
#include "steam/key_values.h"
#include "steam/launch_options.h"
#include "steam/prefix.h"
#include "platform/file_system.h"
#include "platform/process.h"
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

// Whether a wrapper's path names one file wherever it is started from:
// nothing the shell expands, and from the root.
bool PlainAbsolute(const platform::Word& word) {
  const std::string& path = word.text;
  if (word.expands) return false;
  if (platform::kNativeWords == platform::WordRule::Shell) return !path.empty() && path[0] == '/';
  return (path.size() > 2 && path[1] == ':' && (path[2] == '\\' || path[2] == '/')) ||
         path.rfind("\\\\", 0) == 0;
}

// Steam's launch option for the game, for each account that has one:
// whether it runs a wrapper of ours at the game's start, read by the rule
// Steam's system reads it with. A wrapper it names that is gone keeps the
// game from starting; one named through $HOME, ~ or a relative path
// cannot be told from here, and is not called broken.
Json SteamLaunchOptions(Problems& problems) {
  Json accounts = Json::array();
  const steam::FileSystem& files = steam::RealFileSystem();
  const steam::GameChoice choice =
      steam::FindInstalledGame(steam::FindSteamFolders(steam::HintsOfThisMachine(), files), files);
  const steam::InstalledGame* game =
      choice.game ? &*choice.game : choice.candidates.empty() ? nullptr : &choice.candidates.front();
  if (game == nullptr) return accounts;
  for (const steam::Account& account : steam::Accounts(game->steam.folder, files)) {
    const auto text = files.ReadText(steam::LocalConfigPath(game->steam.folder, account), steam::kMostKeyValueBytes);
    const steam::LaunchOptionsPlace place =
        text ? steam::FindLaunchOptions(*text, game->appId) : steam::LaunchOptionsPlace{};
    if (!place.value) continue;
    const steam::LaunchOptionWords words = steam::ReadLaunchOption(*place.value, platform::kNativeWords);
    const std::string name = account.name.empty() ? account.accountId : account.name;
    Json entry = Fields({{"account", name}, {"launchOptions", *place.value}, {"wrapper", nullptr},
                         {"wrapperPresent", false}, {"runs", "no"}, {"why", nullptr},
                         {"wrapperVersion", nullptr}});
    if (!words.problem.empty()) {
      entry["runs"] = "cannot-tell";
      entry["why"] = "its words cannot be told apart: " + words.problem;
    } else if (!words.wrappers.empty()) {
      const platform::Word& word = words.split.words[words.wrappers.front()];
      entry["wrapper"] = word.text;
      if (!PlainAbsolute(word)) {
        entry["runs"] = "cannot-tell";
        entry["why"] = "it names " + std::string(*place.value).substr(word.begin, word.end - word.begin) +
                       ", which the shell expands or which depends on the folder it starts in";
      } else if (files.Exists(word.text)) {
        entry["wrapperPresent"] = true;
        entry["runs"] = "yes";
        const auto bytes = files.ReadText(word.text, 256u << 20);
        const auto version = bytes ? launch::WrapperVersionOf(*bytes) : std::nullopt;
        entry["wrapperVersion"] = version ? Json(*version) : Json("1.4.0 or earlier");
      } else {
        entry["runs"] = "broken";
        problems.Add("launch-option-broken",
                     "Steam's launch option for the game (account " + name + ") names " + word.text +
                         ", which is no longer there: Steam cannot start the game at all; close "
                         "Steam and run modpaths-launch --setup again (or --remove)");
      }
    }
    accounts.push_back(std::move(entry));
  }
  return accounts;
}

// What Heroic and Lutris run before the game (Linux), by the same rule.
Json OtherLaunchers(Problems& problems) {
  Json launchers = Json::array();
  const steam::FileSystem& files = steam::RealFileSystem();
  for (const launch::LauncherWrapper& found :
       launch::OtherLaunchersWrappers(platform::EnvironmentVariable("HOME").value_or(""), files)) {
    std::string runs = "no";
    if (!found.wrapper.empty()) runs = !found.plain ? "cannot-tell" : files.Exists(found.wrapper) ? "yes" : "broken";
    launchers.push_back(Fields({{"launcher", found.launcher},
                                {"game", found.game},
                                {"file", found.file},
                                {"setting", found.setting},
                                {"wrapper", found.wrapper.empty() ? Json() : Json(found.wrapper)},
                                {"runs", runs}}));
    if (runs == "broken") {
      problems.Add("launch-option-broken",
                   found.launcher + "'s setting for the game (" + found.file + ") names " + found.wrapper +
                       ", which is no longer there: " + found.launcher + " cannot start the game; close " +
                       found.launcher + " and run modpaths-launch --setup again (or --remove)");
    }
  }
  return launchers;
}

// What stands between modpaths.exe and the save it writes for this game,
// as problems: the tool itself, then what it meets when it runs.
void AddObstacles(const modpaths::GameFolders& game, const modpaths::RunPaths& paths,
                  modpaths::Obstacle obstacle, bool ownSave, bool steamRunsWrapper,
                  Problems& problems) {
  // The launch wrappers run the tool's own code, and on Linux Wine or
  // Proton runs modpaths.exe; the copy that Steam's launch option runs
  // needs none in the game's folder.
  if (!steamRunsWrapper && !Exists(game.toolFolder, kToolFile) && !Exists(game.toolFolder, kTool) &&
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
  // The save's paths stand as the list after the containers', so that of
  // one path the given come first.
  const auto kSave = static_cast<uint32_t>(containers.size());
  std::vector<HashedPath> paths;
  for (size_t c = 0; c < containers.size(); ++c) {
    const PathList& given = containers[c].packagePaths;
    for (size_t i = 0; i < given.size(); ++i)
      paths.push_back({PathHash(given[i], false), static_cast<uint32_t>(c), static_cast<uint32_t>(i)});
  }
  for (size_t i = 0; i < saved.size(); ++i)
    paths.push_back({PathHash(saved[i], false), kSave, static_cast<uint32_t>(i)});
  SortByHash(paths);

  Comparison result;
  result.missing.assign(containers.size(), 0);
  ForEachSamePath(
      paths,
      [&](const HashedPath& p) {
        return p.list == kSave ? std::string_view(saved[p.index])
                               : containers[p.list].packagePaths[p.index];
      },
      [](std::string_view a, std::string_view b) { return a == b; },
      [](const HashedPath&, const HashedPath&) { return false; },
      [&](std::string_view path, const std::vector<const HashedPath*>& members) {
        const auto inSave = static_cast<int64_t>(std::count_if(
            members.begin(), members.end(), [&](const HashedPath* m) { return m->list == kSave; }));
        int64_t givenSoFar = 0;
        for (const HashedPath* member : members) {
          if (member->list != kSave && ++givenSoFar > inSave) ++result.missing[member->list];
        }
        if (inSave > givenSoFar) {
          result.removed += inSave - givenSoFar;
          result.gone.emplace_back(path);
        }
      });
  return result;
}

// What check looks at: the game, what modpaths would write for it now,
// what stops modpaths.exe from writing, and the save.
struct CheckFacts {
  modpaths::RunPaths paths;
  std::string save;
  bool ownSave = false;  // the save modpaths writes, which running it would mend
  std::unique_ptr<ScanObserver> current;
  uint64_t currentPaths = 0;
  modpaths::Obstacle obstacle = modpaths::Obstacle::None;
  std::vector<uint8_t> templ;
  Problems problems;
  bool blocked = false;  // modpaths.exe cannot write the save until a problem is fixed
};

// Gathers the facts into `doc`; nothing, with the error in `doc`, when there
// is no game or save to look at.
std::optional<CheckFacts> Gather(const std::optional<std::string>& gameFolder,
                                 const std::optional<std::string>& savePath,
                                 const Progress& progress, Json& doc) {
  const std::optional<modpaths::GameFolders> game = FindGame(gameFolder, doc);
  if (!game) return std::nullopt;
  const std::string& paks = game->paks;
  doc["paksFolder"] = paks;
  std::optional<std::string> savedGames = platform::SavedGamesFolder();
  // On Linux the game's own Saved Games folder lies in its Wine prefix.
  if (kNativePaths.separator == '/') {
    const steam::SavedGamesLookup prefix = steam::PrefixSavedGames(
        game->toolFolder, [](const std::string& name) { return platform::EnvironmentVariable(name); });
    if (prefix.folder) savedGames = prefix.folder;
  }
  if (!savedGames && !savePath) {
    Problems::PutError(doc, "no-saved-games", "the Saved Games folder cannot be found");
    return std::nullopt;
  }
  CheckFacts facts;
  facts.paths =
      modpaths::PathsFor({game->toolFolder, savedGames.value_or(std::string())}, kNativePaths);
  facts.save = savePath ? *savePath : facts.paths.output;
  facts.ownSave = platform::InStyle(facts.save, kNativePaths) == facts.paths.output;
  if (!platform::ListFolder(paks)) {
    Problems::PutError(doc, "cannot-list", "cannot list " + paks);
    return std::nullopt;
  }
  doc["save"] = facts.save;
  doc["launchOptions"] = LaunchOptions(platform::AbsolutePath(game->toolFolder));

  // The mods' own mistakes count as well: a mod that cannot load does not
  // show up, however fresh the save.
  facts.current = std::make_unique<ScanObserver>(paks, progress, false);
  modpaths::CollectModPaths(paks, [&](std::string_view) { ++facts.currentPaths; }, facts.current.get());
  facts.current->Finish();
  doc["currentPaths"] = facts.currentPaths;

  // What stops modpaths.exe from writing the save at all: then running it
  // again changes nothing, and the fix is named instead.
  facts.obstacle = modpaths::FindObstacle(facts.paths, facts.templ);
  Problems steamProblems;
  const Json steamOptions = SteamLaunchOptions(steamProblems);
  const Json otherLaunchers = OtherLaunchers(steamProblems);
  // Set up in one step, the copy Steam runs finds the game from Steam's
  // command: no tool in the game's folder is missing, whatever else is.
  const bool steamRunsWrapper =
      std::any_of(steamOptions.begin(), steamOptions.end(), [](const Json& account) {
        return !account["wrapper"].is_null() || account["runs"] == "cannot-tell";
      }) ||
      std::any_of(otherLaunchers.begin(), otherLaunchers.end(),
                  [](const Json& launcher) { return !launcher["wrapper"].is_null(); });
  AddObstacles(*game, facts.paths, facts.obstacle, facts.ownSave, steamRunsWrapper, facts.problems);
  facts.blocked = !facts.problems.empty();
  doc["launchRecord"] = LastLaunch(game->toolFolder, facts.save, facts.problems);
  doc["steamLaunchOptions"] = steamOptions;
  doc["launcherWrappers"] = otherLaunchers;
  // Whether the wrapper runs at the game's start is the launch options'
  // to say, not the record's: true, false, or null when it cannot be told.
  Json runs = false;
  for (const Json* launcher : {&steamOptions, &otherLaunchers}) {
    for (const Json& entry : *launcher) {
      if (entry["runs"] == "yes") runs = true;
      if (entry["runs"] == "cannot-tell" && runs == false) runs = nullptr;
    }
  }
  doc["runsAtGameStart"] = runs;
  facts.problems.Add(steamProblems, "");
  // Litter, which stops nothing.
  if (facts.ownSave && facts.obstacle != modpaths::Obstacle::NoSaveFolder) {
    const std::vector<std::string> leftovers = platform::LeftoverTemporaries(facts.paths.output);
    if (!leftovers.empty()) {
      facts.problems.Add("leftover-temporary",
                         Count(leftovers.size(), "temporary file", "temporary files") +
                             " of a run that was stopped while it wrote the save: " +
                             Examples(leftovers, leftovers.size()) +
                             "; the next run of modpaths removes such files, or delete them "
                             "yourself");
    }
  }
  return facts;
}

// Whether the save holds what modpaths would write now; what differs goes
// into `doc` and the problems.
bool CompareSave(CheckFacts& facts, Json& doc) {
  Problems& problems = facts.problems;
  const std::string advice = !facts.ownSave ? ""
                             : facts.blocked
                                 ? " (" + kTool + " cannot write it until the above is fixed)"
                                 : ": run " + kTool + " again";
  std::vector<uint8_t> saved;
  if (!modpaths::ReadSaveTemplate(facts.save, saved)) {
    doc["savedPaths"] = nullptr;
    problems.Add("no-save", "there is no save at " + facts.save +
                                (facts.ownSave && !facts.blocked ? ": run " + kTool : advice));
    return false;
  }
  // The template tells where the list starts; without one it is inferred.
  // A template the save does not start with has changed since: the list
  // would be sought in the wrong place.
  const bool haveTemplate = facts.obstacle == modpaths::Obstacle::None ||
                            facts.obstacle == modpaths::Obstacle::NoSaveFolder;
  doc["template"] = haveTemplate ? Json(facts.paths.templatePath) : Json(nullptr);
  if (haveTemplate) {
    if (const auto differs = modpaths::FirstDifferenceFromTemplate(saved, facts.templ)) {
      doc["savedPaths"] = nullptr;
      problems.Add("template-changed", TemplateChangedMessage(*differs));
      problems.Add("save-out-of-date", "the save is out of date" + advice);
      return false;
    }
  }
  const modpaths::DecodedSave decoded = modpaths::DecodeModPathsSave(
      saved, haveTemplate ? std::optional<uint64_t>(facts.templ.size()) : std::nullopt);
  if (!decoded.valid) {
    doc["savedPaths"] = nullptr;
    problems.Add("save-damaged", "the save is damaged: " + decoded.problem + " (offset " +
                                     std::to_string(decoded.problemOffset) + ")" + advice);
    return false;
  }
  doc["savedPaths"] = decoded.paths.size();

  // The save as this system writes it, path for path, is the usual case,
  // and the quick one to tell.
  const std::vector<MountedContainer>& mods = facts.current->mods;
  bool sameOrder = decoded.paths.size() == facts.currentPaths;
  size_t next = 0;
  for (const MountedContainer& container : mods) {
    for (size_t i = 0; sameOrder && i < container.packagePaths.size(); ++i)
      sameOrder = decoded.paths[next++] == container.packagePaths[i];
  }
  Comparison compared;
  if (sameOrder) {
    compared.missing.assign(mods.size(), 0);
  } else {
    compared = Compare(decoded.paths, mods);
  }
  Json added = Json::array();
  for (size_t c = 0; c < mods.size(); ++c) {
    if (compared.missing[c] == 0) continue;
    added.push_back(Fields({{"path", mods[c].path},
                            {"packagePaths", mods[c].packagePaths.size()},
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
  return upToDate;
}

}  // namespace

Json InspectCheck(const std::optional<std::string>& gameFolder,
                  const std::optional<std::string>& savePath, const Progress& progress) {
  Json doc = Document("check");
  std::optional<CheckFacts> facts = Gather(gameFolder, savePath, progress, doc);
  if (!facts) return doc;
  doc["upToDate"] = CompareSave(*facts, doc);
  facts->problems.Add(facts->current->problems, "");
  facts->problems.Put(doc);
  return doc;
}

}  // namespace inspect
