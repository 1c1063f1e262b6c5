#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/save_file.h"
#include "platform/path_style.h"

namespace modpaths {

// How a run of the tool ended. Only a template that cannot be read or a
// save that cannot be written is a failure: a launcher that runs the tool
// before the game must not stop the game over a template that is missing
// or a game that has not made its save folder yet.
enum class Outcome {
  Written,      // the save was replaced
  NothingToDo,  // no template, or no save folder yet: nothing was written
  Failed,       // the template could not be read, or the save not written
};

// What a run starts from: the folder the tool lies in (beside the
// template, below the game's Binaries) and the user's Saved Games folder.
struct ToolInputs {
  std::string toolFolder;
  std::string savedGames;
};

// The inputs of the running executable: its own folder and this user's
// Saved Games folder. Nothing when the system cannot say.
std::optional<ToolInputs> InputsOfThisProcess();

// The files and folders one run uses, by the tool's path rules.
struct RunPaths {
  std::string templatePath;  // <tool folder>\SourceSave.sav
  std::string paksFolder;    // PaksFolderFor(tool folder)
  std::string saveFolder;    // <Saved Games>\Corvane\HollowVoyage
  std::string output;        // <save folder>\ModManager_ModPaths.sav
};
RunPaths PathsFor(const ToolInputs& inputs, const platform::PathStyle& style);

// What keeps the tool from writing the save, in the order it meets them.
enum class Obstacle {
  None,
  NoTemplate,          // nothing to do: the mod manager is not installed
  UnreadableTemplate,  // a failure: a folder by that name, or held by another program
  NoSaveFolder,        // nothing to do: the game has not made it yet
};

// The one statement of when the tool writes: the template is read into
// `templateBytes` on the way, and the save folder must exist (the tool
// creates no folders). A save that cannot be replaced shows only when the
// tool tries.
Obstacle FindObstacle(const RunPaths& paths, std::vector<uint8_t>& templateBytes);

struct RunResult {
  Outcome outcome = Outcome::NothingToDo;
  Obstacle obstacle = Obstacle::None;  // why nothing was written, if that is why
  RunPaths paths;                      // as found on disk
  uint64_t packagePaths = 0;           // in the save, when it was written
  SaveFailure save;                    // why the save could not be written, if that failed
};

// The whole run: find what stands in the way, remove what killed runs left,
// collect the package paths of the mod containers and write the save. Each path is found on disk in
// any case where the system compares names exactly, as Wine finds the game's files for it. Silent:
// every outcome shows only in the save and in the result.
RunResult RunTool(const ToolInputs& inputs);

}  // namespace modpaths
