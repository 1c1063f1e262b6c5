#include "launch/launch.h"

#include <exception>

#include "app/paths.h"
#include "platform/clock.h"
#include "platform/file_system.h"

namespace launch {
namespace {

// Launches shown to a person who starts the wrapper by hand.
constexpr size_t kLaunchesShown = 5;

// The files a player copies, as the messages name them.
constexpr std::string_view kOurFiles =
    "modpaths.exe, modpaths-launch.exe, modpaths-launch and modpaths-inspect.exe";

}  // namespace

std::optional<std::string> NestedGameFolder(const std::string& toolFolder) {
  using platform::kNativePaths;
  auto hasTemplate = [](const std::string& folder) {
    return platform::PathExists(
        platform::FindCaseless(modpaths::TemplatePathFor(folder, kNativePaths)));
  };
  if (toolFolder.empty() || hasTemplate(toolFolder)) return std::nullopt;
  const std::string parent(platform::ParentFolder(toolFolder, kNativePaths));
  if (parent.empty() || parent == toolFolder) return std::nullopt;
  const std::string_view grandparent = platform::ParentFolder(parent, kNativePaths);
  if (hasTemplate(parent) ||
      (modpaths::SameLetters(platform::BaseName(parent, kNativePaths), "Win64") &&
       modpaths::SameLetters(platform::BaseName(grandparent, kNativePaths), "Binaries"))) {
    return parent;
  }
  return std::nullopt;
}

bool HasGame(const std::string& toolFolder) {
  if (toolFolder.empty()) return false;
  return platform::IsFolder(
      platform::FindCaseless(modpaths::PaksFolderFor(toolFolder, platform::kNativePaths)));
}

modpaths::RunResult UpdateSave(const std::optional<modpaths::ToolInputs>& inputs) noexcept {
  if (!inputs) return {};
  try {
    return modpaths::RunTool(*inputs);
  } catch (...) {
    // Out of memory, most likely: the game starts all the same.
    modpaths::RunResult failed;
    failed.outcome = modpaths::Outcome::Failed;
    return failed;
  }
}

Outcome Describe(const modpaths::RunResult& result, std::string_view noInputs) {
  const modpaths::RunPaths& paths = result.paths;
  if (paths.output.empty()) {
    if (result.outcome == modpaths::Outcome::Failed)
      return {RunCode::ReadFailed, "modpaths failed while it read the mods; nothing was written"};
    return {RunCode::NoSavedGames, "modpaths wrote nothing: " + std::string(noInputs)};
  }
  if (result.outcome == modpaths::Outcome::Written) {
    return {RunCode::Written, "modpaths wrote " + std::to_string(result.packagePaths) +
                           (result.packagePaths == 1 ? " package path" : " package paths") +
                           " into " + paths.output};
  }
  switch (result.obstacle) {
    case modpaths::Obstacle::NoTemplate:
      return {RunCode::NoTemplate, "modpaths wrote nothing: there is no " + paths.templatePath +
                                 "; it comes with the game's mod manager: install that again"};
    case modpaths::Obstacle::UnreadableTemplate:
      return {RunCode::TemplateUnreadable, "modpaths wrote nothing: it cannot read " +
                                         paths.templatePath +
                                         " (a folder of that name, or another program holds it)"};
    case modpaths::Obstacle::NoSaveFolder:
      return {RunCode::NoSavedGames, "modpaths wrote nothing: there is no " + paths.saveFolder +
                                    " yet; start the game once, so that it makes it"};
    case modpaths::Obstacle::None:
      break;
  }
  const modpaths::SaveFailure& save = result.save;
  const std::string said = save.systemError != 0
                               ? " (the system says: " + platform::ErrorText(save.systemError) + ")"
                               : std::string();
  if (save.systemError != 0 && platform::IsNoSpace(save.systemError)) {
    return {RunCode::DiskFull, "modpaths could not write " + paths.output + ": the disk is full" + said +
                             "; free some space on it"};
  }
  switch (save.step) {
    case modpaths::SaveFailure::Step::Replace:
      // Only a refusal is the save's own doing; any other error is the
      // system's, in its words.
      if (save.systemError == 0 || platform::IsRefused(save.systemError)) {
        return {RunCode::SaveLocked, "modpaths could not replace " + paths.output +
                                         ": it is read-only, or another program holds it open"};
      }
      return {RunCode::WriteFailed, "modpaths could not replace " + paths.output + said};
    case modpaths::SaveFailure::Step::CreateTemporary:
      return {RunCode::WriteFailed, "modpaths could not create a file in " + paths.saveFolder + said};
    case modpaths::SaveFailure::Step::Write:
      return {RunCode::WriteFailed, "modpaths could not write " + paths.output + said};
    case modpaths::SaveFailure::Step::None:
      break;
  }
  return {RunCode::ReadFailed, "modpaths failed while it read the mods; nothing was written"};
}

namespace {

WrapperRun RunUnguarded(const std::string& toolFolder, bool byHand,
                        const std::function<SavedGamesLookup()>& lookup,
                        const platform::PathStyle& lineStyle) {
  WrapperRun run;
  run.entry.time = platform::LocalTimeIso8601();
  run.entry.version = MODPATHS_VERSION;
  run.entry.byHand = byHand;
  const std::optional<std::string> nested = NestedGameFolder(toolFolder);
  run.hasGame = !nested && HasGame(toolFolder);
  const std::string where = toolFolder.empty() ? "this folder" : toolFolder;
  if (!run.hasGame) {
    run.failed = true;
    if (const std::optional<std::string>& game = nested) {
      run.entry.code = RunCode::NestedFolder;
      run.entry.words = "the files lie one folder too deep: move them up into " + *game +
                        ", beside SourceSave.sav; nothing was written";
      run.text = "The files lie one folder too deep: " + where +
                 " is a folder inside the game's own.\n\nMove " + std::string(kOurFiles) +
                 " up one folder, into\n\n" + *game +
                 "\n\nbeside SourceSave.sav, and start modpaths-launch there.\n";
    } else {
      run.entry.code = RunCode::NoGame;
      run.entry.words = "there is no game around " + where + ": nothing was written";
      run.text = "There is no game here: " + where +
                 " lies in no game's Binaries folder, so modpaths has nothing to write.\n\n"
                 "Copy " + std::string(kOurFiles) + " into the game's folder\n\n" +
                 platform::InStyle(".../Hollow Voyage/HollowVoyage/Binaries/Win64",
                                   platform::kNativePaths) +
                 "\n\nbeside SourceSave.sav, and start modpaths-launch there.\n";
    }
    // Files one folder too deep belong to a game, whose check reads the
    // record; a folder of no game (Downloads) keeps none.
    if (nested) WriteRecord(toolFolder, run.entry);
    return run;
  }

  const SavedGamesLookup savedGames = lookup();
  std::optional<modpaths::ToolInputs> inputs;
  if (savedGames.folder) inputs = modpaths::ToolInputs{toolFolder, *savedGames.folder};
  const modpaths::RunResult result = UpdateSave(inputs);
  Outcome outcome = Describe(result, savedGames.why);
  if (!savedGames.source.empty()) outcome.words += " (the prefix from " + savedGames.source + ")";
  run.entry.code = outcome.code;
  run.entry.words = outcome.words;
  run.failed = result.outcome == modpaths::Outcome::Failed;
  const std::vector<RecordEntry> earlier =
      byHand ? ReadRecord(toolFolder) : std::vector<RecordEntry>();
  const bool recorded = WriteRecord(toolFolder, run.entry);
  if (!byHand) return run;

  run.launchLine = modpaths::LaunchOptionsLine(toolFolder, lineStyle);
  run.text = outcome.words + ".\n";
  if (!recorded) {
    run.text += "\n" + where + " takes no file, so " + std::string(kRecordName) +
                " records no run; the game starts all the same.\n";
  }
  std::vector<const RecordEntry*> launches;
  for (const RecordEntry& entry : earlier) {
    if (!entry.byHand) launches.push_back(&entry);
  }
  if (!launches.empty()) {
    run.text += "\nThe last launches (" + std::string(kRecordName) + "):\n";
    for (size_t i = launches.size() > kLaunchesShown ? launches.size() - kLaunchesShown : 0;
         i < launches.size(); ++i) {
      run.text += "  " + launches[i]->time + ": " + launches[i]->words + "\n";
    }
  }
  return run;
}

// A run that threw: said and recorded as far as memory allows.
WrapperRun Failed(const std::string& toolFolder, bool byHand, const char* what) noexcept {
  WrapperRun run;
  run.failed = true;
  try {
    run.entry.time = platform::LocalTimeIso8601();
    run.entry.version = MODPATHS_VERSION;
    run.entry.byHand = byHand;
    run.entry.code = RunCode::WrapperFailed;
    run.entry.words =
        "modpaths-launch failed (" + std::string(what) + "); the save may not be up to date";
    run.text = run.entry.words + ".\n";
    if (!toolFolder.empty()) WriteRecord(toolFolder, run.entry);
  } catch (...) {
  }
  return run;
}

}  // namespace

WrapperRun RunWrapper(const std::string& toolFolder, bool byHand,
                      const std::function<SavedGamesLookup()>& lookup,
                      const platform::PathStyle& lineStyle) noexcept {
  try {
    return RunUnguarded(toolFolder, byHand, lookup, lineStyle);
  } catch (const std::exception& error) {
    return Failed(toolFolder, byHand, error.what());
  } catch (...) {
    return Failed(toolFolder, byHand, "an unknown error");
  }
}

std::string LaunchLineText(const std::string& launchLine, bool onClipboard) {
  return std::string(
             "\nTo update it before every start of the game, paste this line into Steam, "
             "in the game's Properties, General, Launch Options") +
         (onClipboard ? " (it is on the clipboard now: Ctrl+V pastes it)" : "") + ":\n\n" +
         launchLine + "\n";
}

}  // namespace launch
