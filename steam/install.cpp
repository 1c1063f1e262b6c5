#include "steam/install.h"

#include <algorithm>
#include <set>

#include "app/paths.h"
#include "platform/process.h"
#include "platform/registry.h"
#include "steam/key_values.h"
#include "steam/library.h"

namespace steam {
namespace {

using modpaths::SameLetters;

constexpr uint64_t kSteamId64Base = 76561197960265728u;

std::string Join(const std::string& folder, const std::string& name) {
  if (folder.empty()) return name;
  const char last = folder.back();
  return folder + (last == '/' || last == '\\' ? "" : "/") + name;
}

std::string Trimmed(std::string path) {
  while (path.size() > 1 && (path.back() == '/' || path.back() == '\\')) path.pop_back();
  return path;
}

bool EndsWithCaseless(std::string_view text, std::string_view end) {
  return text.size() >= end.size() && SameLetters(text.substr(text.size() - end.size()), end);
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

std::vector<std::string> SteamFolderCandidates(const SteamHints& hints) {
  std::vector<std::string> candidates;
  if (hints.windows) {
    for (const auto& given : {hints.steamPath, hints.installPath})
      if (given && !given->empty()) candidates.push_back(Trimmed(*given));
    if (hints.programFilesX86 && !hints.programFilesX86->empty())
      candidates.push_back(Trimmed(*hints.programFilesX86) + "\\Steam");
    return candidates;
  }
  if (!hints.home || hints.home->empty()) return candidates;
  for (const char* below : {".steam/steam", ".local/share/Steam", ".steam/root",
                            ".steam/debian-installation",
                            ".var/app/com.valvesoftware.Steam/.local/share/Steam",
                            ".var/app/com.valvesoftware.Steam/data/Steam",
                            "snap/steam/common/.local/share/Steam"}) {
    candidates.push_back(Join(*hints.home, below));
  }
  return candidates;
}

SteamHints HintsOfThisMachine() {
  SteamHints hints;
  hints.windows = platform::kNativePaths.separator == '\\';
  if (hints.windows) {
    hints.steamPath = platform::RegistryText(false, "Software\\Valve\\Steam", "SteamPath");
    hints.installPath =
        platform::RegistryText(true, "SOFTWARE\\WOW6432Node\\Valve\\Steam", "InstallPath");
    hints.programFilesX86 = platform::EnvironmentVariable("ProgramFiles(x86)");
  } else {
    hints.home = platform::EnvironmentVariable("HOME");
  }
  return hints;
}

std::optional<uint32_t> ActiveUserOfThisMachine() {
  return platform::RegistryNumber(false, "Software\\Valve\\Steam\\ActiveProcess", "ActiveUser");
}

std::optional<std::string> ToolFolderInSteam(const FileSystem& files) {
  for (const std::string& folder : FindSteamFolders(HintsOfThisMachine(), files)) {
    if (const auto game = FindGame(Libraries(folder, files), files))
      return platform::InStyle(game->toolFolder, platform::kNativePaths);
  }
  return std::nullopt;
}

std::vector<std::string> FindSteamFolders(const SteamHints& hints, const FileSystem& files) {
  std::vector<std::string> found;
  std::set<std::string> seen;
  for (const std::string& folder : SteamFolderCandidates(hints)) {
    // Steam's own folder holds its steamapps.
    if (!files.IsFolder(Join(folder, "steamapps"))) continue;
    const std::optional<std::string> identity = files.Identity(folder);
    if (identity && seen.insert(*identity).second) found.push_back(folder);
  }
  return found;
}

std::optional<std::string> SandboxDataFolder(const std::string& steamFolder) {
  for (const std::string_view sandbox : {"/.var/app/com.valvesoftware.Steam", "/snap/steam/common"}) {
    const size_t at = steamFolder.find(sandbox);
    if (at != std::string::npos) return steamFolder.substr(0, at + sandbox.size());
  }
  return std::nullopt;
}

std::vector<std::string> Libraries(const std::string& steamFolder, const FileSystem& files) {
  std::vector<std::string> libraries{steamFolder};
  std::set<std::string> seen;
  if (const auto identity = files.Identity(steamFolder)) seen.insert(*identity);
  const auto text = files.ReadText(Join(steamFolder, "steamapps/libraryfolders.vdf"), kMostKeyValueBytes);
  if (!text) return libraries;
  const KeyValueText read = ParseKeyValues(*text);
  const KeyValue* folders = read.root.Find("libraryfolders");
  if (folders == nullptr) folders = read.root.Find("LibraryFolders");
  if (folders == nullptr || !folders->isBlock) return libraries;
  for (const KeyValue& entry : folders->children) {
    if (!Number(entry.key)) continue;  // "contentstatsid" and such
    const std::optional<std::string> path = entry.isBlock ? entry.ValueOf("path") : entry.value;
    if (!path || path->empty()) continue;
    const std::string library = Trimmed(*path);
    const std::optional<std::string> identity = files.Identity(library);
    if (!identity || seen.insert(*identity).second) libraries.push_back(library);
  }
  return libraries;
}

std::optional<InstalledGame> FindGame(const std::vector<std::string>& libraries,
                                      const FileSystem& files) {
  for (const std::string& library : libraries) {
    const std::string steamapps = Join(library, "steamapps");
    for (const AppManifest& manifest : AppManifests(steamapps, files)) {
      if (manifest.installDir.empty() || manifest.installDir.find_first_of("/\\") != std::string::npos)
        continue;
      const std::string game = Join(steamapps, "common/" + manifest.installDir);
      const std::string tool = game + "/HollowVoyage/Binaries/Win64";
      if (files.Exists(tool + "/SourceSave.sav")) return InstalledGame{library, manifest.appId, game, tool};
    }
  }
  return std::nullopt;
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
  const auto text = files.ReadText(path, kMostKeyValueBytes);
  if (!text) {
    if (why) *why = "there is no " + path;
    return accounts;
  }
  const KeyValueText read = ParseKeyValues(*text);
  const KeyValue* users = read.root.Find("users");
  if (!read.Read() || users == nullptr || !users->isBlock) {
    if (why) *why = path + " cannot be read: " + (read.Read() ? "it has no users block" : read.problem);
    return accounts;
  }
  for (const KeyValue& user : users->children) {
    const std::optional<uint64_t> id = Number(user.key);
    if (!user.isBlock || !id || *id <= kSteamId64Base) continue;
    Account account;
    account.steamId = user.key;
    account.accountId = std::to_string(*id - kSteamId64Base);
    account.name = user.ValueOf("AccountName").value_or("");
    account.persona = user.ValueOf("PersonaName").value_or("");
    account.mostRecent = user.ValueOf("MostRecent").value_or("0") == "1";
    account.timestamp = static_cast<int64_t>(Number(user.ValueOf("Timestamp").value_or("")).value_or(0));
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

std::string LocalConfigPath(const std::string& steamFolder, const Account& account) {
  return Join(steamFolder, "userdata/" + account.accountId + "/config/localconfig.vdf");
}

}  // namespace steam
