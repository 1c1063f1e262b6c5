#pragma once

// Whether Steam runs: setup must not edit Steam's files while it does, as
// Steam writes its own copy back when it exits. Steam runs when a process
// of this user (Windows: of this session) that has not exited runs Steam's
// own executable: ubuntu12_32/steam or steamrt64/steam on Linux, inside a
// Flatpak's or Snap's folder too; steam.exe on Windows. The pid that
// ~/.steam/steam.pid or the registry's ActiveProcess\pid names is only a
// candidate: Steam leaves both behind when it is killed or exits, and the
// pid is soon another program's.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/process.h"

namespace steam {

bool IsSteamExecutable(std::string_view executable, bool windows);

// The Steam process in `table`, the candidate first; nothing when none runs.
std::optional<platform::ProcessEntry> RunningSteam(const std::vector<platform::ProcessEntry>& table,
                                                   bool windows, std::optional<uint32_t> candidate);

}  // namespace steam
