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

void RunTool() {
  const platform::PathStyle& style = platform::kNativePaths;

  const std::optional<std::string> savedGames = platform::SavedGamesFolder();
  if (!savedGames) return;
  const std::string outputPath = OutputPathFor(*savedGames, style);

  const std::string executableDirectory = GetExecutableDirectory();
  if (executableDirectory.empty()) return;
  const std::string templatePath = TemplatePathFor(executableDirectory, style);
  const std::string paksFolder = PaksFolderFor(executableDirectory, style);

  if (!platform::PathExists(templatePath)) return;

  std::vector<uint8_t> templateBytes;
  if (!ReadSaveTemplate(templatePath, templateBytes)) return;

  const std::vector<std::string> paths = CollectModPaths(paksFolder);

  WriteModPathsSave(outputPath, templateBytes, paths);
}

}  // namespace modpaths
