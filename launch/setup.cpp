#include "launch/setup.h"

#include "app/paths.h"
#include "platform/file_system.h"
#include "platform/replacing_file.h"
#include "steam/key_values.h"
#include "steam/launch_options.h"

namespace launch {
namespace {

constexpr std::string_view kBackupSuffix = ".modpaths-backup";

std::string Shown(const std::string& path) { return platform::InStyle(path, platform::kNativePaths); }

// The file replaced whole, through the one safe writer, and read back.
bool WriteWhole(const std::string& path, const std::string& text, const steam::FileSystem& files) {
  platform::ReplacingFile replacing;
  if (!replacing.Create(path) || !replacing.file().Write(text.data(), text.size()) ||
      !replacing.file().Sync() || !replacing.Commit()) {
    return false;
  }
  return files.ReadText(path, steam::kMostKeyValueBytes) == text;
}

uint64_t Digest(std::string_view text) {
  uint64_t hash = 14695981039346656037u;
  for (const char c : text) hash = (hash ^ static_cast<unsigned char>(c)) * 1099511628211u;
  return hash;
}

std::string StatePath(const SetupContext& context, const steam::Account& account) {
  return context.userFolder + platform::kNativePaths.separator + "setup-" + account.accountId + ".vdf";
}

std::string WrapperCopy(const SetupContext& context, const std::string& steamFolder) {
  std::string folder = context.userFolder;
  // A sandboxed Steam sees only its own data folder.
  if (const auto sandbox = steam::SandboxDataFolder(steamFolder)) folder = *sandbox + "/modpaths";
  return folder + platform::kNativePaths.separator +
         std::string(context.posix ? modpaths::kLinuxLauncher : modpaths::kWindowsLauncher);
}

std::string Value(const std::optional<std::string>& value) {
  return value ? (value->empty() ? "(empty)" : *value) : "(none)";
}

bool Matches(const steam::Account& account, const std::string& name) {
  return modpaths::SameLetters(account.name, name) || modpaths::SameLetters(account.persona, name) ||
         account.accountId == name || account.steamId == name;
}

std::string Named(const steam::Account& account) {
  return account.name.empty() ? account.accountId
                              : account.name + (account.persona.empty() || account.persona == account.name
                                                    ? ""
                                                    : " (" + account.persona + ")");
}

struct Found {
  std::string steam;
  steam::InstalledGame game;
  std::vector<steam::Account> accounts;
  steam::Account account;
  std::string others;  // the other accounts that have the game, said
};

// Steam, the game and the account, or why not.
std::optional<Found> FindAll(const SetupRequest& request, const SetupContext& context,
                             const steam::FileSystem& files, std::string& why) {
  const std::vector<std::string> steams = steam::FindSteamFolders(context.hints, files);
  if (steams.empty()) {
    why = "Steam was not found. modpaths looked in:\n";
    for (const std::string& folder : steam::SteamFolderCandidates(context.hints))
      why += "  " + Shown(folder) + "\n";
    return std::nullopt;
  }
  Found found;
  std::string searched;
  for (const std::string& folder : steams) {
    const std::vector<std::string> libraries = steam::Libraries(folder, files);
    for (const std::string& library : libraries) searched += "  " + Shown(library) + "\n";
    if (auto game = steam::FindGame(libraries, files)) {
      found.steam = folder;
      found.game = std::move(*game);
      break;
    }
  }
  if (found.steam.empty()) {
    why = "Hollow Voyage was not found with its mod manager in Steam's libraries:\n" + searched +
          "None holds the game's HollowVoyage/Binaries/Win64/SourceSave.sav, which the mod manager "
          "puts there: install the game, and the mod manager, first.\n";
    return std::nullopt;
  }
  std::string accountsWhy;
  found.accounts = steam::Accounts(found.steam, files, &accountsWhy);
  std::optional<steam::Account> chosen;
  if (request.account) {
    for (const steam::Account& account : found.accounts)
      if (Matches(account, *request.account)) chosen = account;
    if (!chosen) {
      why = "No Steam account named " + *request.account + " has signed in to " + Shown(found.steam) +
            ".\n";
      for (const steam::Account& account : found.accounts) why += "  " + Named(account) + "\n";
      return std::nullopt;
    }
  } else {
    chosen = steam::LastAccount(found.accounts, context.activeUser);
  }
  if (!chosen) {
    why = "No Steam account has signed in to " + Shown(found.steam) +
          (accountsWhy.empty() ? "" : " (" + accountsWhy + ")") +
          ": start Steam and sign in once, then close it and run this again.\n";
    return std::nullopt;
  }
  found.account = *chosen;
  for (const steam::Account& account : found.accounts) {
    if (account.accountId == found.account.accountId) continue;
    const auto text = files.ReadText(steam::LocalConfigPath(found.steam, account), steam::kMostKeyValueBytes);
    // The game's block in the account's settings: it has played it.
    if (text && text->find("\"" + found.game.appId + "\"") != std::string::npos) {
      found.others += "  " + Named(account) + " (--account " +
                      (account.name.empty() ? account.accountId : account.name) + ")\n";
    }
  }
  return found;
}

std::string Where(const Found& found) {
  return "Steam: " + Shown(found.steam) + "\nLibrary: " + Shown(found.game.library) +
         "\nGame: " + Shown(found.game.gameFolder) + " (app " + found.game.appId + ")\nAccount: " +
         Named(found.account) + "\n";
}

SetupOutcome Fail(std::string text) { return {false, std::move(text)}; }

SetupOutcome Set(const Found& found, const SetupContext& context, const steam::FileSystem& files) {
  const std::string config = steam::LocalConfigPath(found.steam, found.account);
  const std::optional<std::string> text = files.ReadText(config, steam::kMostKeyValueBytes);
  if (!text) {
    return Fail(Where(found) + "\nThere is no " + Shown(config) +
                " that can be read: start the game from Steam once with this account, close "
                "Steam, then run this again. Nothing was changed.\n");
  }
  const std::string copy = WrapperCopy(context, found.steam);
  const steam::LaunchOptionsEdit edit =
      steam::AddWrapper(*text, found.game.appId, steam::WrapperWord(copy, context.posix));
  if (!edit.problem.empty()) {
    return Fail(Where(found) + "\nThe launch option cannot be set: " + edit.problem +
                ". Nothing was changed.\n");
  }
  // The copy first: a launch option naming a wrapper that is not there
  // keeps the game from starting.
  const std::optional<std::string> self = files.ReadText(context.self, 256u << 20);
  const std::string copyFolder(platform::ParentFolder(copy, platform::kNativePaths));
  if (!self || !platform::CreateFolders(copyFolder) || !WriteWhole(copy, *self, files) ||
      !platform::MakeExecutable(copy)) {
    return Fail(Where(found) + "\nThe wrapper could not be copied to " + Shown(copy) +
                ". Nothing was changed in Steam.\n");
  }
  std::string said = Where(found) + "Launch option before: " + Value(edit.before) + "\n";
  if (edit.changed) {
    if (!WriteWhole(config + std::string(kBackupSuffix), *text, files)) {
      return Fail(said + "\nNo backup of " + Shown(config) + " could be written beside it. " +
                  "Nothing was changed in Steam.\n");
    }
    // What stood there before modpaths: an earlier setup's state keeps it.
    const std::string statePath = StatePath(context, found.account);
    std::optional<std::string> before = edit.before;
    if (const auto earlier = files.ReadText(statePath, steam::kMostKeyValueBytes)) {
      const steam::KeyValueText read = steam::ParseKeyValues(*earlier);
      const steam::KeyValue* kept = read.root.Find("modpaths");
      if (kept && kept->isBlock && kept->ValueOf("appid") == found.game.appId)
        before = kept->ValueOf("before");
    }
    const std::string state =
        "\"modpaths\"\n{\n\t\"localconfig\"\t\t" + steam::QuoteKeyValue(config) + "\n\t\"appid\"\t\t" +
        steam::QuoteKeyValue(found.game.appId) + "\n\t\"written\"\t\t\"" +
        std::to_string(Digest(edit.text)) + "\"\n" +
        (before ? "\t\"before\"\t\t" + steam::QuoteKeyValue(*before) + "\n" : std::string()) + "}\n";
    if (!WriteWhole(statePath, state, files) || !WriteWhole(config, edit.text, files)) {
      return Fail(said + "\n" + Shown(config) + " could not be replaced. Nothing was changed.\n");
    }
    std::string why;
    if (steam::LaunchOptionsOf(edit.text, found.game.appId, &why) != edit.after) {
      return Fail(said + "\nThe launch option did not read back as written; the backup is " +
                  Shown(config + std::string(kBackupSuffix)) + ".\n");
    }
  }
  said += "Launch option now:    " + edit.after + "\n\n";
  said += edit.changed ? "Done. " : "It was set already: nothing changed. ";
  said += "From the next start of the game from Steam, " + Shown(copy) +
          " keeps the mod list up to date before the game starts, wherever Steam moves the game.\n";
  if (!found.others.empty()) {
    said += "\nOther accounts here have the game too; to set one of them, run this again with:\n" +
            found.others;
  }
  return {true, said};
}

SetupOutcome Remove(const Found& found, const SetupContext& context, const steam::FileSystem& files) {
  const std::string statePath = StatePath(context, found.account);
  const std::string config = steam::LocalConfigPath(found.steam, found.account);
  const auto state = files.ReadText(statePath, steam::kMostKeyValueBytes);
  const steam::KeyValueText read = state ? steam::ParseKeyValues(*state) : steam::KeyValueText();
  const steam::KeyValue* kept = read.root.Find("modpaths");
  const auto text = files.ReadText(config, steam::kMostKeyValueBytes);
  if (!text) return Fail(Where(found) + "\nThere is no " + Shown(config) + " that can be read.\n");
  std::string restored;
  std::optional<std::string> before;
  if (kept && kept->isBlock) before = kept->ValueOf("before");
  const auto backup = files.ReadText(config + std::string(kBackupSuffix), steam::kMostKeyValueBytes);
  if (kept && kept->ValueOf("written") == std::to_string(Digest(*text)) && backup) {
    // Nothing else changed since: the file as it was, byte for byte.
    restored = *backup;
  } else {
    std::string why;
    const auto now = steam::LaunchOptionsOf(*text, found.game.appId, &why);
    const auto ours = now ? steam::WrapperIn(*now) : std::nullopt;
    if (!ours) {
      restored = *text;  // no wrapper of ours there
    } else if (!kept) {
      // Set by hand, or by an earlier version: the wrapper's word alone goes.
      std::string value = *now;
      value.erase(ours->first, ours->second - ours->first);
      while (!value.empty() && value.front() == ' ') value.erase(0, 1);
      if (value == "%command%") value.clear();
      const steam::LaunchOptionsEdit edit =
          steam::PutBack(*text, found.game.appId,
                         value.empty() ? std::optional<std::string>() : std::optional<std::string>(value));
      if (!edit.problem.empty()) return Fail(Where(found) + "\n" + edit.problem + ".\n");
      restored = edit.text;
    } else {
      const steam::LaunchOptionsEdit edit = steam::PutBack(*text, found.game.appId, before);
      if (!edit.problem.empty()) return Fail(Where(found) + "\n" + edit.problem + ".\n");
      restored = edit.text;
    }
  }
  if (restored != *text && !WriteWhole(config, restored, files))
    return Fail(Where(found) + "\n" + Shown(config) + " could not be replaced. Nothing was changed.\n");
  std::string why;
  std::string said = Where(found) + "Launch option now: " +
                     Value(steam::LaunchOptionsOf(restored, found.game.appId, &why)) + "\n";
  platform::RemoveFile(statePath);
  platform::RemoveFile(config + std::string(kBackupSuffix));
  const std::string copy = WrapperCopy(context, found.steam);
  if (platform::PathExists(copy) && copy != context.self && !platform::RemoveFile(copy))
    said += "The copy " + Shown(copy) + " could not be removed: delete it yourself.\n";
  else if (copy == context.self)
    said += "This copy, " + Shown(copy) + ", cannot remove itself while it runs: delete it yourself.\n";
  return {true, said + "\nmodpaths no longer runs when the game starts from Steam.\n"};
}

}  // namespace

std::optional<SetupRequest> SetupRequested(const std::vector<std::string>& arguments) {
  if (arguments.empty() || (arguments[0] != "--setup" && arguments[0] != "--remove"))
    return std::nullopt;
  SetupRequest request;
  request.remove = arguments[0] == "--remove";
  if (arguments.size() == 3 && arguments[1] == "--account") {
    request.account = arguments[2];
  } else if (arguments.size() != 1) {
    return std::nullopt;
  }
  return request;
}

SetupOutcome RunSetup(const SetupRequest& request, const SetupContext& context,
                      const steam::FileSystem& files) {
  std::string why;
  const std::optional<Found> found = FindAll(request, context, files, why);
  if (!found) return Fail(why + "Nothing was changed.\n");
  if (context.steamRunning) {
    // Steam writes its own copy of the file back when it exits.
    return Fail(Where(*found) +
                "\nSteam is running: close Steam (Steam menu, Exit), then run this again. "
                "Nothing was changed.\n");
  }
  return request.remove ? Remove(*found, context, files) : Set(*found, context, files);
}

std::optional<std::string> GameOfCommand(const std::vector<std::string>& arguments,
                                         const std::optional<std::string>& steamAppId,
                                         const steam::SteamHints& hints,
                                         const steam::FileSystem& files) {
  if (auto named = steam::ToolFolderFromCommand(arguments)) return named;
  for (const std::string& folder : steam::FindSteamFolders(hints, files)) {
    const auto game = steam::FindGame(steam::Libraries(folder, files), files);
    if (game && (!steamAppId || steamAppId->empty() || *steamAppId == game->appId))
      return platform::InStyle(game->toolFolder, platform::kNativePaths);
  }
  return std::nullopt;
}

}  // namespace launch
