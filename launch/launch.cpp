#include "launch/launch.h"

namespace launch {

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

std::string Summary(const modpaths::RunResult& result, std::string_view noInputs,
                    const std::string& launchLine) {
  const modpaths::RunPaths& paths = result.paths;
  std::string text;
  if (paths.output.empty()) {
    text = result.outcome == modpaths::Outcome::Failed
               ? "modpaths failed while it read the mods; nothing was written."
               : "modpaths wrote nothing: " + std::string(noInputs) + ".";
  } else if (result.outcome == modpaths::Outcome::Written) {
    text = "modpaths wrote " + std::to_string(result.packagePaths) +
           (result.packagePaths == 1 ? " package path" : " package paths") + " into\n" +
           paths.output;
  } else {
    switch (result.obstacle) {
      case modpaths::Obstacle::NoTemplate:
        text = "modpaths wrote nothing: there is no " + paths.templatePath +
               ". It comes with the game's mod manager: install that again.";
        break;
      case modpaths::Obstacle::UnreadableTemplate:
        text = "modpaths wrote nothing: it cannot read " + paths.templatePath +
               " (a folder of that name, or another program holds it).";
        break;
      case modpaths::Obstacle::NoSaveFolder:
        text = "modpaths wrote nothing: there is no " + paths.saveFolder +
               " yet. Start the game once, so that it makes it.";
        break;
      case modpaths::Obstacle::None:
        text = "modpaths could not write " + paths.output +
               ": it is read-only, or another program holds it open.";
        break;
    }
  }
  return text +
         "\n\nTo update it before every start of the game, paste this line into Steam, in the "
         "game's Properties, General, Launch Options:\n\n" +
         launchLine + "\n";
}

}  // namespace launch
