#pragma once

// Which game a command is about, found by the tool's own path rules.

#include <optional>
#include <string>

#include "app/paths.h"
#include "inspect/problems.h"

namespace inspect {

// A game folder, when given, is any folder of the game a player might name
// (see modpaths::ResolveGameFolder); when not, the game around the
// inspector, or else the current folder's. Puts "folder" into `doc`, and on
// failure the error, naming the nearest game when one is in reach.
std::optional<modpaths::GameFolders> FindGame(const std::optional<std::string>& given, Json& doc);

// The save modpaths writes for this user, found the way the tool finds it.
std::optional<std::string> DefaultSave();

}  // namespace inspect
