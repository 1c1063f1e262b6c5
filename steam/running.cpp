#include "steam/running.h"

#include "platform/path_style.h"

namespace steam {

bool IsSteamExecutable(std::string_view executable, bool windows) {
  if (windows) return platform::SameLetters(platform::BaseName(executable, platform::kWindowsPaths), "steam.exe");
  for (const std::string_view own : {"/ubuntu12_32/steam", "/steamrt64/steam"}) {
    if (executable.size() > own.size() && executable.substr(executable.size() - own.size()) == own) return true;
  }
  return false;
}

std::optional<platform::ProcessEntry> RunningSteam(const std::vector<platform::ProcessEntry>& table,
                                                   bool windows, std::optional<uint32_t> candidate) {
  auto isSteam = [&](const platform::ProcessEntry& entry) {
    return entry.ours && !entry.zombie && IsSteamExecutable(entry.executable, windows);
  };
  if (candidate) {
    for (const platform::ProcessEntry& entry : table)
      if (entry.pid == *candidate && isSteam(entry)) return entry;
  }
  for (const platform::ProcessEntry& entry : table)
    if (isSteam(entry)) return entry;
  return std::nullopt;
}

}  // namespace steam
