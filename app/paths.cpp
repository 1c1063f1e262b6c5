#include "app/paths.h"

#include <optional>

#include "platform/platform.h"

namespace modpaths {
namespace {

// The literals are written with "\" and take the platform's separator.
std::string WithSeparator(std::string_view text, const PathStyle& style) {
  std::string out(text);
  for (char& c : out) {
    if (c == '\\') c = style.separator;
  }
  return out;
}

}  // namespace

std::string ExecutableDirectory(std::string_view executablePath, const PathStyle& style) {
  const size_t last = executablePath.find_last_of(style.separators);
  if (last == std::string_view::npos) return std::string(executablePath);
  return std::string(executablePath.substr(0, last));
}

std::string GetExecutableDirectory() {
  const std::optional<std::string> path = platform::ExecutablePath();
  return path ? ExecutableDirectory(*path, platform::kNativePaths) : std::string();
}

std::string OutputPathFor(std::string_view savedGamesFolder, const PathStyle& style) {
  return std::string(savedGamesFolder) +
         WithSeparator("\\Corvane\\HollowVoyage\\ModManager_ModPaths.sav", style);
}

std::string TemplatePathFor(std::string_view executableDirectory, const PathStyle& style) {
  return std::string(executableDirectory) + WithSeparator("\\SourceSave.sav", style);
}

std::string PaksFolderFor(std::string_view executableDirectory, const PathStyle& style) {
  const size_t binaries = executableDirectory.rfind("Binaries");
  const std::string_view kept = binaries == std::string_view::npos
                                    ? executableDirectory
                                    : executableDirectory.substr(0, binaries);
  return std::string(kept) + WithSeparator("Content\\Paks", style);
}

}  // namespace modpaths
