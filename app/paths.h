#pragma once

#include <string>
#include <string_view>

#include "platform/path_style.h"

namespace modpaths {

using platform::PathStyle;

// The folder part of an executable's path: everything before the last
// separator, or the whole path when it has none.
std::string ExecutableDirectory(std::string_view executablePath, const PathStyle& style);

// ExecutableDirectory of the running executable.
std::string GetExecutableDirectory();

// <Saved Games>\Corvane\HollowVoyage\ModManager_ModPaths.sav
std::string OutputPathFor(std::string_view savedGamesFolder, const PathStyle& style);

// <executable folder>\SourceSave.sav
std::string TemplatePathFor(std::string_view executableDirectory, const PathStyle& style);

// The game's Content\Paks folder: the executable folder cut before its last
// "Binaries" (matched anywhere, case-sensitive), then "Content\Paks" with no
// separator added. Without "Binaries" the whole folder is kept.
std::string PaksFolderFor(std::string_view executableDirectory, const PathStyle& style);

}  // namespace modpaths
