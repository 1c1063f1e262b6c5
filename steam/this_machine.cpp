#include "steam/this_machine.h"

#include "platform/file_system.h"
#include "platform/registry.h"

namespace steam {
namespace {

constexpr char kSteamKey[] = "Software\\Valve\\Steam";
constexpr char kActiveKey[] = "Software\\Valve\\Steam\\ActiveProcess";

bool Windows() { return platform::kNativePaths.separator == '\\'; }

}  // namespace

SteamHints HintsOfThisMachine() {
  SteamHints hints;
  hints.windows = Windows();
  if (hints.windows) {
    hints.steamPath = platform::RegistryText(false, kSteamKey, "SteamPath");
    hints.installPath = platform::RegistryText(true, "SOFTWARE\\WOW6432Node\\Valve\\Steam", "InstallPath");
    hints.programFilesX86 = platform::EnvironmentVariable("ProgramFiles(x86)");
  } else {
    hints.home = platform::EnvironmentVariable("HOME");
  }
  return hints;
}

std::optional<uint32_t> ActiveUserOfThisMachine() {
  return platform::RegistryNumber(false, kActiveKey, "ActiveUser");
}

std::optional<uint32_t> SteamPidOfThisMachine() {
  std::optional<uint32_t> candidate;
  if (Windows()) {
    candidate = platform::RegistryNumber(false, kActiveKey, "pid");
  } else if (const auto home = platform::EnvironmentVariable("HOME")) {
    // Steam's start script writes it, and trusts it no more than this does.
    if (const auto pid = RealFileSystem().ReadText(*home + "/.steam/steam.pid", 32)) {
      size_t digits = 0;
      while (digits < pid->size() && (*pid)[digits] >= '0' && (*pid)[digits] <= '9') ++digits;
      if (digits > 0 && digits <= 9) candidate = static_cast<uint32_t>(std::stoul(pid->substr(0, digits)));
    }
  }
  return candidate;
}

std::optional<std::string> ToolFolderInSteam(const FileSystem& files) {
  const GameChoice choice = FindInstalledGame(FindSteamFolders(HintsOfThisMachine(), files), files);
  if (!choice.game) return std::nullopt;
  return platform::InStyle(choice.game->toolFolder, platform::kNativePaths);
}

}  // namespace steam
