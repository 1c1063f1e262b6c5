#include "app/run.h"

#include "app/discovery.h"
#include "app/paths.h"
#include "app/save_file.h"
#include "platform/file_system.h"
#include "platform/replacing_file.h"

namespace modpaths {

std::optional<ToolInputs> InputsOfThisProcess() {
  std::optional<std::string> savedGames = platform::SavedGamesFolder();
  std::string toolFolder = GetExecutableDirectory();
  if (!savedGames || toolFolder.empty()) return std::nullopt;
  return ToolInputs{std::move(toolFolder), std::move(*savedGames)};
}

RunPaths PathsFor(const ToolInputs& inputs, const platform::PathStyle& style) {
  RunPaths paths;
  paths.templatePath = TemplatePathFor(inputs.toolFolder, style);
  paths.paksFolder = PaksFolderFor(inputs.toolFolder, style);
  paths.output = OutputPathFor(inputs.savedGames, style);
  paths.saveFolder = std::string(platform::ParentFolder(paths.output, style));
  return paths;
}

Obstacle FindObstacle(const RunPaths& paths, std::vector<uint8_t>& templateBytes) {
  if (!platform::PathExists(paths.templatePath)) return Obstacle::NoTemplate;
  if (!ReadSaveTemplate(paths.templatePath, templateBytes)) return Obstacle::UnreadableTemplate;
  if (!platform::IsFolder(paths.saveFolder)) return Obstacle::NoSaveFolder;
  return Obstacle::None;
}

RunResult RunTool(const ToolInputs& inputs) {
  RunResult result;
  RunPaths& paths = result.paths;
  paths = PathsFor(inputs, platform::kNativePaths);
  for (std::string* path : {&paths.templatePath, &paths.paksFolder, &paths.saveFolder, &paths.output})
    *path = platform::FindCaseless(*path);
  std::vector<uint8_t> templateBytes;
  result.obstacle = FindObstacle(paths, templateBytes);
  switch (result.obstacle) {
    case Obstacle::None:
      break;
    case Obstacle::UnreadableTemplate:
      result.outcome = Outcome::Failed;
      return result;
    case Obstacle::NoTemplate:
    case Obstacle::NoSaveFolder:
      return result;
  }
  platform::RemoveLeftoverTemporaries(paths.output);
  // Each path goes straight into the save file.
  const bool written = StreamModPathsSave(
      paths.output, templateBytes,
      [&](SaveEncoder& save) {
        CollectModPaths(paths.paksFolder, [&](std::string_view packagePath) {
          save.Add(packagePath);
          ++result.packagePaths;
        });
      },
      &result.save);
  if (!written) {
    result.outcome = Outcome::Failed;
    result.packagePaths = 0;
    return result;
  }
  result.outcome = Outcome::Written;
  return result;
}

}  // namespace modpaths
