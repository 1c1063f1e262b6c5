// The launchers setup knows on Windows: Steam. (Heroic's wrapper setting
// is Linux's.)

#include "launch/setup_launchers.h"

namespace launch {

std::vector<std::unique_ptr<Launcher>> Launchers() {
  std::vector<std::unique_ptr<Launcher>> launchers;
  launchers.push_back(SteamLauncher());
  return launchers;
}

std::optional<std::string> ToolFolderOfOtherLaunchers(const CommandEnvironment&, const std::string&,
                                                      const steam::FileSystem&) {
  return std::nullopt;
}

std::vector<LauncherWrapper> OtherLaunchersWrappers(const std::string&, const steam::FileSystem&) { return {}; }

}  // namespace launch
