#include "steam/install.h"

#include <algorithm>
#include <cstdint>
#include <functional>
#include <set>

#include "platform/path_style.h"
#include "steam/key_values.h"
#include "steam/library.h"

namespace steam {
namespace {

using platform::SameLetters;

constexpr uint64_t kSteamId64Base = 76561197960265728u;

std::string Join(std::string_view folder, std::string_view name) {
  return platform::JoinPath(folder, name, platform::kEitherPaths);
}

std::string Trimmed(std::string path) {
  while (path.size() > 1 && (path.back() == '/' || path.back() == '\\')) path.pop_back();
  return path;
}

bool EndsWithCaseless(std::string_view text, std::string_view end) {
  return text.size() >= end.size() && SameLetters(text.substr(text.size() - end.size()), end);
}

bool Below(std::string_view path, std::string_view folder) {
  return path.size() >= folder.size() && path.compare(0, folder.size(), folder) == 0 &&
         (path.size() == folder.size() || path[folder.size()] == '/');
}

std::optional<uint64_t> Number(std::string_view text) {
  if (text.empty() || text.size() > 19) return std::nullopt;
  uint64_t value = 0;
  for (const char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + static_cast<uint64_t>(c - '0');
  }
  return value;
}

}  // namespace

std::string Sandbox::Outside(std::string_view path) const {
  if (home.empty() || !Below(path, home) || Below(path, data)) return std::string(path);
  return data + std::string(path.substr(home.size()));
}

std::vector<SteamFolder> SteamFolderCandidates(const SteamHints& hints) {
  std::vector<SteamFolder> candidates;
  if (hints.windows) {
    for (const auto& given : {hints.steamPath, hints.installPath})
      if (given && !given->empty()) candidates.push_back({Trimmed(*given), std::nullopt});
    if (hints.programFilesX86 && !hints.programFilesX86->empty())
      candidates.push_back({Trimmed(*hints.programFilesX86) + "\\Steam", std::nullopt});
    return candidates;
  }
  if (!hints.home || hints.home->empty()) return candidates;
  const std::string home = Trimmed(*hints.home);
  for (const char* below : {".steam/steam", ".local/share/Steam", ".steam/root", ".steam/debian-installation"})
    candidates.push_back({Join(home, below), std::nullopt});
  const Sandbox flatpak{Join(home, ".var/app/com.valvesoftware.Steam"), home};
  for (const char* below : {".local/share/Steam", "data/Steam"})
    candidates.push_back({Join(flatpak.data, below), flatpak});
  const Sandbox snap{Join(home, "snap/steam/common"), {}};
  candidates.push_back({Join(snap.data, ".local/share/Steam"), snap});
  return candidates;
}

std::vector<SteamFolder> FindSteamFolders(const SteamHints& hints, const FileSystem& files) {
  std::vector<SteamFolder> found;
  std::set<std::string> seen;
  for (SteamFolder& candidate : SteamFolderCandidates(hints)) {
    // Steam's own folder holds its steamapps.
    if (!files.IsFolder(Join(candidate.folder, "steamapps"))) continue;
    const std::optional<std::string> identity = files.Identity(candidate.folder);
    if (identity && seen.insert(*identity).second) found.push_back(std::move(candidate));
  }
  return found;
}

std::vector<Library> Libraries(const SteamFolder& steam, const FileSystem& files) {
  std::vector<Library> libraries{{steam.folder, {}}};
  std::set<std::string> seen;
  if (const auto identity = files.Identity(steam.folder)) seen.insert(*identity);
  const auto text = files.ReadText(Join(steam.folder, "steamapps/libraryfolders.vdf"), kMostListBytes);
  if (!text) return libraries;
  const KeyValueText read = ParseKeyValues(*text);
  const std::optional<KeyValue> folders = read.root().Find("libraryfolders");
  if (!folders || !folders->isBlock()) return libraries;
  for (const KeyValue entry : folders->children()) {
    if (!Number(entry.key())) continue;  // "contentstatsid" and such
    const std::optional<std::string> path = entry.isBlock() ? entry.ValueOf("path") : entry.value();
    if (!path || path->empty()) continue;
    Library library{Trimmed(steam.sandbox ? steam.sandbox->Outside(*path) : *path), {}};
    if (const std::optional<KeyValue> apps = entry.Find("apps"); apps && apps->isBlock())
      for (const KeyValue app : apps->children()) library.apps.push_back(app.key());
    const std::optional<std::string> identity = files.Identity(library.folder);
    if (!identity) {
      libraries.push_back(std::move(library));  // a card not inserted: nothing is found there
    } else if (seen.insert(*identity).second) {
      libraries.push_back(std::move(library));
    } else {
      // Steam's own folder is listed too, with its apps.
      for (Library& known : libraries) {
        if (files.Identity(known.folder) == identity && known.apps.empty()) known.apps = library.apps;
      }
    }
  }
  return libraries;
}

GameChoice FindInstalledGame(const std::vector<SteamFolder>& steams, const FileSystem& files,
                             const std::optional<std::string>& appId) {
  GameChoice choice;
  for (const SteamFolder& steam : steams) {
    for (const Library& library : Libraries(steam, files)) {
      choice.searched.push_back(library.folder);
      const std::string steamapps = Join(library.folder, "steamapps");
      for (const AppManifest& manifest : InstalledApps(steamapps, files)) {
        if (manifest.installDir.find_first_of("/\\") != std::string::npos || manifest.installDir == "." ||
            manifest.installDir == "..") {
          continue;
        }
        InstalledGame game;
        game.steam = steam;
        game.library = library.folder;
        game.appId = manifest.appId;
        game.gameFolder = Join(steamapps, "common/" + manifest.installDir);
        game.toolFolder = game.gameFolder + "/HollowVoyage/Binaries/Win64";
        if (!files.Exists(game.toolFolder + "/SourceSave.sav")) continue;
        game.ownName = SameLetters(manifest.installDir, kGameInstallDir);
        game.listed = std::find(library.apps.begin(), library.apps.end(), manifest.appId) != library.apps.end();
        choice.candidates.push_back(std::move(game));
      }
    }
  }
  // Best first; among equals, the order found (Steam, then library).
  std::stable_sort(choice.candidates.begin(), choice.candidates.end(),
                   [](const InstalledGame& a, const InstalledGame& b) {
                     return std::make_pair(a.ownName, a.listed) > std::make_pair(b.ownName, b.listed);
                   });
  std::vector<const InstalledGame*> left;
  for (const InstalledGame& game : choice.candidates) {
    if (appId ? game.appId == *appId
              : game.ownName == choice.candidates.front().ownName && game.listed == choice.candidates.front().listed)
      left.push_back(&game);
  }
  if (left.empty()) {
    choice.why = appId ? "no installed app " + *appId + " holds the game with its mod manager"
                       : "no library holds the game with its mod manager";
    return choice;
  }
  for (const InstalledGame* game : left) {
    if (game->appId != left.front()->appId) {
      choice.why = "more than one installed app holds the game with its mod manager";
      return choice;
    }
  }
  choice.game = *left.front();
  return choice;
}

std::optional<std::string> ToolFolderFromCommand(const std::vector<std::string>& arguments) {
  for (const std::string& argument : arguments) {
    const char separator = argument.find('\\') != std::string::npos ? '\\' : '/';
    std::string path = argument;
    std::replace(path.begin(), path.end(), '\\', '/');
    for (const std::string_view file :
         {"/HollowVoyage/Binaries/Win64/HollowVoyage-Win64-Shipping.exe", "/HollowVoyage.exe"}) {
      if (!EndsWithCaseless(path, file)) continue;
      std::string root = path.substr(0, path.size() - file.size());
      if (root.empty()) continue;
      std::string tool = root + "/HollowVoyage/Binaries/Win64";
      std::replace(tool.begin(), tool.end(), '/', separator);
      return tool;
    }
  }
  return std::nullopt;
}

std::vector<Account> Accounts(const std::string& steamFolder, const FileSystem& files,
                              std::string* why) {
  std::vector<Account> accounts;
  const std::string path = Join(steamFolder, "config/loginusers.vdf");
  const FileText file = files.Read(path, kMostListBytes);
  if (!file.text) {
    if (why) *why = Unread(path, file, kMostListBytes);
    return accounts;
  }
  const KeyValueText read = ParseKeyValues(*file.text);
  const std::optional<KeyValue> users = read.root().Find("users");
  if (!read.Read() || !users || !users->isBlock()) {
    if (why) *why = path + " cannot be read: " + (read.Read() ? "it has no users block" : read.problem);
    return accounts;
  }
  for (const KeyValue user : users->children()) {
    const std::optional<uint64_t> id = Number(user.key());
    if (!user.isBlock() || !id || *id <= kSteamId64Base || *id - kSteamId64Base > UINT32_MAX) continue;
    Account account;
    account.steamId = user.key();
    account.accountId = std::to_string(*id - kSteamId64Base);
    account.name = user.ValueOf("AccountName").value_or("");
    account.persona = user.ValueOf("PersonaName").value_or("");
    account.mostRecent = user.ValueOf("MostRecent").value_or("0") == "1";
    account.timestamp = static_cast<int64_t>(
        std::min<uint64_t>(Number(user.ValueOf("Timestamp").value_or("")).value_or(0), INT64_MAX));
    accounts.push_back(std::move(account));
  }
  return accounts;
}

std::optional<Account> LastAccount(const std::vector<Account>& accounts,
                                   std::optional<uint32_t> activeUser) {
  if (activeUser && *activeUser != 0) {
    for (const Account& account : accounts)
      if (account.accountId == std::to_string(*activeUser)) return account;
  }
  for (const Account& account : accounts)
    if (account.mostRecent) return account;
  const auto latest = std::max_element(
      accounts.begin(), accounts.end(),
      [](const Account& a, const Account& b) { return a.timestamp < b.timestamp; });
  if (latest == accounts.end()) return std::nullopt;
  return *latest;
}

AccountChoice AccountNamed(const std::vector<Account>& accounts, std::string_view name) {
  const std::function<bool(const Account&)> rules[] = {
      [&](const Account& a) { return !a.name.empty() && a.name == name; },
      [&](const Account& a) { return !a.name.empty() && SameLetters(a.name, name); },
      [&](const Account& a) { return a.accountId == name || a.steamId == name; },
      [&](const Account& a) { return !a.persona.empty() && a.persona == name; },
      [&](const Account& a) { return !a.persona.empty() && SameLetters(a.persona, name); },
  };
  AccountChoice choice;
  for (const auto& rule : rules) {
    for (const Account& account : accounts)
      if (rule(account)) choice.matches.push_back(account);
    if (choice.matches.size() == 1) choice.account = choice.matches.front();
    if (!choice.matches.empty()) return choice;
  }
  return choice;
}

std::string Named(const Account& account) {
  if (account.name.empty()) return account.persona.empty() ? account.accountId : account.persona;
  return account.name +
         (account.persona.empty() || account.persona == account.name ? "" : " (" + account.persona + ")");
}

std::string LocalConfigPath(const std::string& steamFolder, const Account& account) {
  return Join(steamFolder, "userdata/" + account.accountId + "/config/localconfig.vdf");
}

}  // namespace steam
