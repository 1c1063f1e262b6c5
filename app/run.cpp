#include "app/run.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "app/discovery.h"
#include "app/paths.h"
#include "app/save_file.h"
#include "platform/platform.h"

namespace modpaths {

int RunTool() {
  const platform::PathStyle& style = platform::kNativePaths;

  const std::optional<std::string> savedGames = platform::SavedGamesFolder();
  if (!savedGames) return kNothingToDo;
  const std::string outputPath = OutputPathFor(*savedGames, style);

  const std::string executableDirectory = GetExecutableDirectory();
  if (executableDirectory.empty()) return kNothingToDo;
  const std::string templatePath = TemplatePathFor(executableDirectory, style);
  const std::string paksFolder = PaksFolderFor(executableDirectory, style);

  if (!platform::PathExists(templatePath)) return kNothingToDo;

  std::vector<uint8_t> templateBytes;
  if (!ReadSaveTemplate(templatePath, templateBytes)) return kNothingToDo;

  const std::vector<std::string> paths = CollectModPaths(paksFolder);

  // The game makes its save folder when it first runs; before that there is
  // nowhere to write, and nothing has failed.
  if (!platform::IsFolder(ExecutableDirectory(outputPath, style))) return kNothingToDo;
  return WriteModPathsSave(outputPath, templateBytes, paths) ? kWritten : kWriteFailed;
}

}  // namespace modpaths
