#pragma once

// Steam as it lies on this machine: its folder, its libraries, the game in
// one of them, and the accounts that signed in to it. Pure rules over the
// file-system interface, given what the system says (environment, registry).

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "steam/file_system.h"

namespace steam {

// Where Steam may lie, most likely first: on Windows the registry's
// SteamPath (HKCU) and InstallPath (HKLM), then %ProgramFiles(x86)%\Steam;
// on Linux below HOME: ~/.steam/steam, ~/.local/share/Steam, ~/.steam/root,
// ~/.steam/debian-installation, Flatpak's and Snap's.
struct SteamHints {
  bool windows = false;
  std::optional<std::string> home, steamPath, installPath, programFilesX86;
};
std::vector<std::string> SteamFolderCandidates(const SteamHints& hints);

// What this machine says: the registry and %ProgramFiles(x86)% on Windows
// (Wine's under Wine), HOME elsewhere; and Windows' ActiveUser.
SteamHints HintsOfThisMachine();
std::optional<uint32_t> ActiveUserOfThisMachine();

// The game's Binaries/Win64 in the Steam of this machine, when one holds it.
std::optional<std::string> ToolFolderInSteam(const FileSystem& files = RealFileSystem());

// The candidates that exist, each Steam once however many paths reach it.
std::vector<std::string> FindSteamFolders(const SteamHints& hints, const FileSystem& files);

// Whether a Steam found on Linux is Flatpak's or Snap's, whose sandbox
// sees only its own data folder: that folder, where a copy of the wrapper
// must lie; nothing for any other.
std::optional<std::string> SandboxDataFolder(const std::string& steamFolder);

// The libraries of a Steam: its own folder first, then those that
// steamapps/libraryfolders.vdf names ("path" in each entry, or the value
// itself in the old form), each once.
std::vector<std::string> Libraries(const std::string& steamFolder, const FileSystem& files);

// The game in a library: the app manifest whose installdir holds
// HollowVoyage/Binaries/Win64/SourceSave.sav.
struct InstalledGame {
  std::string library;     // the library's folder
  std::string appId;       // from the manifest's file name
  std::string gameFolder;  // <library>/steamapps/common/<installdir>
  std::string toolFolder;  // <game folder>/HollowVoyage/Binaries/Win64
};
std::optional<InstalledGame> FindGame(const std::vector<std::string>& libraries,
                                      const FileSystem& files);

// The folder of the game, from the command Steam hands a wrapper: an
// argument naming a file inside it (HollowVoyage.exe at its root, or
// HollowVoyage/Binaries/Win64/HollowVoyage-Win64-Shipping.exe, with \ or /;
// on Linux Proton's command holds it after "waitforexitandrun"): the game's
// Binaries/Win64 folder, where modpaths works; nothing when none names one.
std::optional<std::string> ToolFolderFromCommand(const std::vector<std::string>& arguments);

// An account that signed in to this Steam (config/loginusers.vdf).
struct Account {
  std::string steamId;  // SteamID64
  std::string accountId;  // its folder below userdata: SteamID64 less 76561197960265728
  std::string name, persona;
  bool mostRecent = false;
  int64_t timestamp = 0;
};
std::vector<Account> Accounts(const std::string& steamFolder, const FileSystem& files,
                              std::string* why = nullptr);

// The account signed in last: the one whose id is `activeUser` (Windows'
// registry, when not 0), else the one marked MostRecent, else the highest
// Timestamp; nothing when there is none.
std::optional<Account> LastAccount(const std::vector<Account>& accounts,
                                   std::optional<uint32_t> activeUser);

// <Steam>/userdata/<account id>/config/localconfig.vdf
std::string LocalConfigPath(const std::string& steamFolder, const Account& account);

}  // namespace steam
