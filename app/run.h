#pragma once

namespace modpaths {

// The exit status of the tool. Only a save that could not be written is a
// failure: a launcher that runs the tool before the game must not stop the
// game over a template that is missing or a game that has not made its
// save folder yet.
inline constexpr int kWritten = 0;
inline constexpr int kNothingToDo = 0;
inline constexpr int kWriteFailed = 1;

// The whole run of the tool: resolve the output, template and paths folder,
// read the template, collect the mod package paths and write the save.
// Silent: every outcome shows only in the output file and the exit status.
int RunTool();

}  // namespace modpaths
