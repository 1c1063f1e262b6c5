#pragma once

// Steam as it lies on a machine: its folders, its libraries, the game in
// one of them, and the accounts that signed in to it. Pure rules over the
// file-system interface, given what the system says (steam/this_machine.h
// gathers that).

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
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

// A sandboxed Steam's view of the files. A Flatpak Steam runs with its
// data folder (~/.var/app/com.valvesoftware.Steam) as its home, so the
// paths in its files below the home are, outside, below that folder; the
// data folder itself it sees at its real path, as it sees paths outside the
// home (/run/media, /mnt). A Snap Steam sees the real paths.
struct Sandbox {
  std::string data;  // the sandbox's own data folder, which it sees as it lies
  std::string home;  // the home its paths name; empty when they are the real ones (Snap)

  // A path as the sandbox wrote it, as it lies outside.
  std::string Outside(std::string_view path) const;
};

struct SteamFolder {
  std::string folder;
  std::optional<Sandbox> sandbox;  // a Flatpak's or Snap's Steam
};

std::vector<SteamFolder> SteamFolderCandidates(const SteamHints& hints);

// The candidates that exist, each Steam once however many paths reach it.
std::vector<SteamFolder> FindSteamFolders(const SteamHints& hints, const FileSystem& files);

// A library of a Steam, and the apps its entry in libraryfolders.vdf lists.
struct Library {
  std::string folder;
  std::vector<std::string> apps;
};

// The libraries of a Steam: its own folder first, then those that
// steamapps/libraryfolders.vdf names ("path" in each entry, or the value
// itself in the old form), each once, the sandbox's paths as they lie
// outside.
std::vector<Library> Libraries(const SteamFolder& steam, const FileSystem& files);

// The game's own folder in a library, below steamapps/common.
inline constexpr std::string_view kGameInstallDir = "Hollow Voyage";

// A copy of the game with its mod manager in a library: an installed app
// (see InstalledApps) whose folder holds HollowVoyage/Binaries/Win64/SourceSave.sav.
struct InstalledGame {
  SteamFolder steam;
  std::string library;     // the library's folder
  std::string appId;       // the manifest's
  std::string gameFolder;  // <library>/steamapps/common/<installdir>
  std::string toolFolder;  // <game folder>/HollowVoyage/Binaries/Win64
  bool ownName = false;    // installdir is the game's own folder name, not a look-alike's
  bool listed = false;     // libraryfolders.vdf lists the app in this library
};

// The game to set up, or why there is none. Every copy found counts; of
// them, those in the game's own folder name win over look-alikes (a
// playtest's, a demo's); between libraries, the one that
// libraryfolders.vdf lists the app in; more than one app left is a choice
// the player makes (`appId`, from --app). The same app in two Steams: the
// first Steam's.
struct GameChoice {
  std::optional<InstalledGame> game;
  std::vector<InstalledGame> candidates;  // every copy found, best first
  std::vector<std::string> searched;      // the libraries looked in
  std::string why;                        // when there is no game
};
GameChoice FindInstalledGame(const std::vector<SteamFolder>& steams, const FileSystem& files,
                             const std::optional<std::string>& appId = std::nullopt);

// The folder of the game, from the command Steam hands a wrapper: an
// argument naming a file inside it (HollowVoyage.exe at its root, or
// HollowVoyage/Binaries/Win64/HollowVoyage-Win64-Shipping.exe, with \ or /),
// wherever it stands in the chain Steam builds (reaper, the runtime's entry
// point, steam-launch-wrapper, proton, python3 before it): the game's
// Binaries/Win64 folder, where modpaths works; nothing when none names one.
std::optional<std::string> ToolFolderFromCommand(const std::vector<std::string>& arguments);

// An account that signed in to this Steam (config/loginusers.vdf).
struct Account {
  std::string steamId;    // SteamID64
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

// The account a player names: its account name exactly, else in any case,
// else its account id or SteamID64, else its persona name, which more than
// one account may share (then `matches` lists them and there is no choice).
struct AccountChoice {
  std::optional<Account> account;
  std::vector<Account> matches;
};
AccountChoice AccountNamed(const std::vector<Account>& accounts, std::string_view name);

// How an account is named to the player: "name (persona)".
std::string Named(const Account& account);

// <Steam>/userdata/<account id>/config/localconfig.vdf
std::string LocalConfigPath(const std::string& steamFolder, const Account& account);

}  // namespace steam
