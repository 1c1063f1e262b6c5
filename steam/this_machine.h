#pragma once

// What this machine says about Steam: the environment, the registry and the
// processes, read here and nowhere else, for the pure rules of steam/.

#include <cstdint>
#include <optional>
#include <string>

#include "platform/process.h"
#include "steam/file_system.h"
#include "steam/install.h"

namespace steam {

// The registry and %ProgramFiles(x86)% on Windows (Wine's under Wine),
// HOME elsewhere.
SteamHints HintsOfThisMachine();

// Windows' ActiveProcess\ActiveUser: the account signed in to Steam last.
std::optional<uint32_t> ActiveUserOfThisMachine();

// The pid Steam's own files name (~/.steam/steam.pid, the registry's
// ActiveProcess\pid): a candidate for steam/running.h, no more.
std::optional<uint32_t> SteamPidOfThisMachine();

// The game's Binaries/Win64 in the Steam of this machine, when one holds it.
std::optional<std::string> ToolFolderInSteam(const FileSystem& files = RealFileSystem());

}  // namespace steam
