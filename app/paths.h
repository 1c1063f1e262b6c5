#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "platform/path_style.h"

namespace modpaths {

using platform::PathStyle;

// The folder the running executable lies in; empty when the system cannot
// say.
std::string GetExecutableDirectory();

// <Saved Games>\Corvane\HollowVoyage\ModManager_ModPaths.sav
std::string OutputPathFor(std::string_view savedGamesFolder, const PathStyle& style);

// <executable folder>\SourceSave.sav
std::string TemplatePathFor(std::string_view executableDirectory, const PathStyle& style);

// The game's Content\Paks folder: the executable folder cut before its last
// "Binaries" (matched anywhere, case-sensitive), then "Content\Paks" with no
// separator added. Without "Binaries" the whole folder is kept.
std::string PaksFolderFor(std::string_view executableDirectory, const PathStyle& style);

// The launch wrapper beside the tool: its file name on each system.
inline constexpr std::string_view kWindowsLauncher = "modpaths-launch.exe";
inline constexpr std::string_view kLinuxLauncher = "modpaths-launch";

// The line a player pastes into Steam's launch options (the game's
// Properties, General) so that Steam starts the game through the wrapper
// lying in `toolFolder`: the wrapper's path as one word, then %command%.
// In Windows style the word is quoted for Windows; in POSIX style for the
// shell that Steam on Linux hands the line to.
std::string LaunchOptionsLine(std::string_view toolFolder, const PathStyle& style);

// The Linux path of a Windows path on Wine's drive Z: ("Z:\home\deck\x"
// gives "/home/deck/x"); nothing for any other path.
std::optional<std::string> LinuxPathOf(std::string_view windowsPath);

// Windows, and Proton, compare names without regard to the case of ASCII
// letters; the tool itself compares them exactly.
std::string AsciiLower(std::string_view text);
void MakeAsciiLower(std::string& text);  // in place
using platform::SameLetters;

// One game installation, as the tool finds its own from its executable.
struct GameFolders {
  std::string game;        // the folder holding Binaries and Content
  std::string paks;        // its Content\Paks
  std::string toolFolder;  // where modpaths.exe and SourceSave.sav lie
};

using FolderExists = std::function<bool(const std::string& folder)>;

// The game a player means by `folder`, which may be the game folder itself,
// its Content or Content\Paks (either spelled in any case), or the folder
// modpaths.exe lies in (any folder below the game's Binaries, resolved by
// PaksFolderFor as the tool resolves its own; Binaries itself means
// Binaries\Win64). A game folder's own tool folder is Binaries\Win64.
// Nothing when none of these leads to a Content\Paks that exists.
std::optional<GameFolders> ResolveGameFolder(std::string_view folder, const PathStyle& style,
                                             const FolderExists& exists);

}  // namespace modpaths
