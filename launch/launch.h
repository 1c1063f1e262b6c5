#pragma once

// What the launch wrappers share: a launcher starts a wrapper with the
// game's whole command after it; the wrapper writes the save as
// modpaths.exe does, keeps a record of what it did, then starts the game.
// Each system's entry point (main_win32.cpp, main_posix.cpp) finds the
// Saved Games folder and starts the game its own way.

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/run.h"
#include "launch/record.h"
#include "steam/prefix.h"

namespace launch {

// Whether the tool's own rules find a game from `toolFolder`: a Content
// folder with Paks in it, above its Binaries.
bool HasGame(const std::string& toolFolder);

// Runs the tool for `inputs`, when there are any, as modpaths.exe does.
// Nothing that goes wrong may keep the game from starting: every failure,
// a thrown one too, comes back as an outcome.
modpaths::RunResult UpdateSave(const std::optional<modpaths::ToolInputs>& inputs) noexcept;

// Whether the files lie one folder too deep (the unzipped folder dragged
// whole into Binaries\Win64): no SourceSave.sav beside them, but one in the
// folder above, or that folder is Binaries\Win64. The folder they belong
// in, or nothing.
std::optional<std::string> NestedGameFolder(const std::string& toolFolder);

// What a run did, as the record's code and in words a player can act on.
// `noInputs` says why there was nothing to run for, when there was not.
struct Outcome {
  RunCode code = RunCode::Other;
  std::string words;
};
Outcome Describe(const modpaths::RunResult& result, std::string_view noInputs);

using steam::SavedGamesLookup;

// One run of a wrapper up to the start of the game.
struct WrapperRun {
  RecordEntry entry;       // what it did, as recorded
  bool hasGame = false;    // whether there was a game around it
  bool failed = false;     // the save could not be written: exit status 1 by hand
  std::string text;        // by hand: what to tell the person
  std::string launchLine;  // by hand, in a game: the line to paste into Steam
};

// Finds the game around `toolFolder`; when there is one, updates its save
// for the Saved Games folder that `lookup` finds, and records the run
// beside the wrapper. Started by hand, `text` says what was done, the last
// launches and the line to paste (`launchLine`, in `lineStyle`); outside a
// game, where to put the files instead. Whatever it meets (a damaged file,
// an exception, memory running out) ends as an outcome in the record: the
// game starts all the same.
WrapperRun RunWrapper(const std::string& toolFolder, bool byHand,
                      const std::function<SavedGamesLookup()>& lookup,
                      const platform::PathStyle& lineStyle) noexcept;

// By hand, in a game: the paragraph that gives the line to paste into
// Steam's launch options, saying so when it is on the clipboard already.
std::string LaunchLineText(const std::string& launchLine, bool onClipboard);

}  // namespace launch
