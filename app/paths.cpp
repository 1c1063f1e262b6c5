#include "app/paths.h"

#include <algorithm>
#include <optional>

#include "platform/command_line.h"
#include "platform/file_system.h"

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

std::string GetExecutableDirectory() {
  const std::optional<std::string> path = platform::ExecutablePath();
  return path ? std::string(platform::ParentFolder(*path, platform::kNativePaths)) : std::string();
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

namespace {

// The folder without trailing separators.
std::string_view WithoutTrailingSeparators(std::string_view folder, const PathStyle& style) {
  while (folder.size() > 1 && style.separators.find(folder.back()) != std::string_view::npos)
    folder.remove_suffix(1);
  return folder;
}

std::string_view Parent(std::string_view folder, const PathStyle& style) {
  return WithoutTrailingSeparators(platform::ParentFolder(folder, style), style);
}

}  // namespace

std::string LaunchOptionsLine(std::string_view toolFolder, const PathStyle& style) {
  const bool windows = style.separator == '\\';
  std::string wrapper(toolFolder);
  wrapper += style.separator;
  wrapper += windows ? kWindowsLauncher : kLinuxLauncher;
  return platform::QuotedWord(wrapper, windows ? platform::WordRule::Windows : platform::WordRule::Shell,
                              true) +
         " %command%";
}

std::optional<std::string> LinuxPathOf(std::string_view windowsPath) {
  if (windowsPath.size() < 3 || (windowsPath[0] != 'Z' && windowsPath[0] != 'z') ||
      windowsPath[1] != ':' || (windowsPath[2] != '\\' && windowsPath[2] != '/')) {
    return std::nullopt;
  }
  std::string path(windowsPath.substr(2));
  for (char& c : path) {
    if (c == '\\') c = '/';
  }
  return path;
}

void MakeAsciiLower(std::string& text) {
  for (char& c : text) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
}

std::string AsciiLower(std::string_view text) {
  std::string lower(text);
  MakeAsciiLower(lower);
  return lower;
}

std::optional<GameFolders> ResolveGameFolder(std::string_view given, const PathStyle& style,
                                             const FolderExists& exists) {
  // One separator throughout, so that what is shown and compared is alike.
  const std::string normalised = platform::InStyle(given, style);
  const std::string_view folder = WithoutTrailingSeparators(normalised, style);
  const std::string separator(1, style.separator);
  auto gameAt = [&](std::string_view game) {
    return GameFolders{std::string(game),
                       std::string(game) + WithSeparator("\\Content\\Paks", style),
                       std::string(game) + WithSeparator("\\Binaries\\Win64", style)};
  };
  auto found = [&](GameFolders game, std::string paks) -> std::optional<GameFolders> {
    if (!exists(paks)) return std::nullopt;
    game.paks = std::move(paks);
    return game;
  };
  // Content\Paks itself, then Content.
  const std::string_view last = platform::BaseName(folder, style);
  const std::string_view parent = Parent(folder, style);
  if (SameLetters(last, "Paks") && SameLetters(platform::BaseName(parent, style), "Content")) {
    if (auto game = found(gameAt(Parent(parent, style)), std::string(folder))) return game;
  }
  if (SameLetters(last, "Content")) {
    if (auto game = found(gameAt(parent), std::string(folder) + separator + "Paks")) return game;
  }
  // The game folder.
  if (auto game = found(gameAt(folder), gameAt(folder).paks)) return game;
  // The tool's own folder, below Binaries.
  if (folder.rfind("Binaries") != std::string_view::npos) {
    const std::string toolFolder = last == "Binaries"
                                       ? std::string(folder) + WithSeparator("\\Win64", style)
                                       : std::string(folder);
    GameFolders game{
        std::string(WithoutTrailingSeparators(folder.substr(0, folder.rfind("Binaries")), style)),
        "", toolFolder};
    if (auto resolved = found(game, PaksFolderFor(toolFolder, style))) return resolved;
  }
  return std::nullopt;
}

}  // namespace modpaths
