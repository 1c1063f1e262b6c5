#pragma once

// What the launch wrappers share: Steam starts a wrapper with the game's
// whole command after it; the wrapper writes the save as modpaths.exe does,
// then starts the game. Each system's entry point (main_win32.cpp,
// main_posix.cpp) starts the game its own way.

#include <optional>
#include <string>
#include <string_view>

#include "app/run.h"

namespace launch {

// Runs the tool for `inputs`, when there are any, as modpaths.exe does.
// Nothing that goes wrong may keep the game from starting: every failure,
// a thrown one too, comes back as an outcome.
modpaths::RunResult UpdateSave(const std::optional<modpaths::ToolInputs>& inputs) noexcept;

// What the run did, for a player who started the wrapper by hand, and the
// line to paste into Steam so that it runs before every start of the game.
// `noInputs` says why there was nothing to run for, when there was not.
std::string Summary(const modpaths::RunResult& result, std::string_view noInputs,
                    const std::string& launchLine);

}  // namespace launch
