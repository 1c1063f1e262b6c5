// Steam's part of a setup: the game's launch option in one account's
// localconfig.vdf runs the copy of the wrapper before %command%.

#include "app/paths.h"
#include "launch/setup_launchers.h"
#include "platform/digest.h"
#include "platform/file_system.h"
#include "steam/key_values.h"
#include "steam/launch_options.h"
#include "steam/running.h"

namespace launch {
namespace {

using Result = LauncherPart::Result;

bool Blank(std::string_view text) { return text.find_first_not_of(" \t") == std::string_view::npos; }

LauncherPart Part(Result result, std::string text) { return {result, std::move(text), std::nullopt, {}}; }

// How the player names an account on the command line.
std::string Argument(const steam::Account& account) {
  return account.name.empty() ? account.accountId : account.name;
}

struct Found {
  steam::SteamFolder steam;
  steam::InstalledGame game;
  std::vector<steam::Account> accounts;
  steam::Account account;
  std::vector<steam::Account> others;  // the other accounts concerned
};

std::string Where(const Found& found) {
  const char* kind = !found.steam.sandbox                ? ""
                     : found.steam.sandbox->home.empty() ? " (Snap)"
                                                         : " (Flatpak)";
  return "Steam: " + Shown(found.steam.folder) + kind + "\nLibrary: " + Shown(found.game.library) +
         "\nGame: " + Shown(found.game.gameFolder) + " (app " + found.game.appId + ")\nAccount: " +
         steam::Named(found.account) + "\n";
}

std::string AccountList(const std::vector<steam::Account>& accounts, const std::string& command, bool remove) {
  std::string list;
  for (const steam::Account& account : accounts) {
    list += "  " + steam::Named(account) + ": " + command + (remove ? " --remove" : " --setup") +
            " --account " + Argument(account) + "\n";
  }
  return list;
}

std::optional<std::string> Settings(const std::string& steamFolder, const steam::Account& account,
                                    const steam::FileSystem& files) {
  return files.ReadText(steam::LocalConfigPath(steamFolder, account), steam::kMostKeyValueBytes);
}

std::string CopyOf(const SetupContext& context, const steam::SteamFolder& steam) {
  return CopyPath(context, steam.sandbox ? std::optional<std::string>(steam.sandbox->data) : std::nullopt);
}

std::string StateOf(const SetupContext& context, const std::string& steamFolder, const steam::Account& account,
                    const steam::FileSystem& files) {
  return StatePath(context.userFolder, account.accountId, steam::LocalConfigPath(steamFolder, account), files);
}

// Whether the account has settings for the game: it has started it here.
bool HasGame(const std::string& steamFolder, const steam::Account& account, const std::string& appId,
             const steam::FileSystem& files) {
  const auto text = Settings(steamFolder, account, files);
  return text && steam::FindLaunchOptions(*text, appId).gameBlock;
}

// Whether a setup of ours stands for the account.
bool IsSetUp(const Found& found, const steam::Account& account, const SetupContext& context,
             const steam::FileSystem& files) {
  if (files.Exists(StateOf(context, found.steam.folder, account, files))) return true;
  const auto text = Settings(found.steam.folder, account, files);
  return text && !steam::AppsRunning(*text, CopyOf(context, found.steam), context.rule).empty();
}

// Steam, the game and the account; or the part that says why not, or
// offers another account.
std::optional<Found> FindAll(const SetupRequest& request, const SetupContext& context,
                             const steam::FileSystem& files, LauncherPart& part) {
  part.result = Result::Failed;
  const std::vector<steam::SteamFolder> steams = steam::FindSteamFolders(context.hints, files);
  if (steams.empty()) {
    part.result = Result::NotFound;
    part.text = "Steam was not found. modpaths looked in:\n";
    for (const steam::SteamFolder& folder : steam::SteamFolderCandidates(context.hints))
      part.text += "  " + Shown(folder.folder) + "\n";
    return std::nullopt;
  }
  const steam::GameChoice choice = steam::FindInstalledGame(steams, files, request.app);
  if (!choice.game) {
    if (choice.candidates.empty() || request.app) {
      part.result = Result::NotFound;
      part.text = "Hollow Voyage was not found with its mod manager in Steam's libraries";
      part.text += request.app ? " as app " + *request.app + ":\n" : ":\n";
      for (const std::string& library : choice.searched) part.text += "  " + Shown(library) + "\n";
    }
    if (choice.candidates.empty()) {
      part.text += "None holds the game's HollowVoyage/Binaries/Win64/SourceSave.sav, which the mod "
                   "manager puts there: install the game, and the mod manager, first.\n";
    } else if (!request.app) {
      part.text += "More than one installed app in Steam holds the game with its mod manager; choose one:\n";
      for (const steam::InstalledGame& game : choice.candidates) {
        part.text += "  app " + game.appId + ", " + Shown(game.gameFolder) + ": " + context.command +
                     (request.remove ? " --remove" : " --setup") + " --app " + game.appId + "\n";
      }
    }
    return std::nullopt;
  }
  Found found;
  found.game = *choice.game;
  found.steam = found.game.steam;
  std::string accountsWhy;
  found.accounts = steam::Accounts(found.steam.folder, files, &accountsWhy);
  if (request.account) {
    const steam::AccountChoice named = steam::AccountNamed(found.accounts, *request.account);
    if (!named.account) {
      part.text = named.matches.size() > 1
                      ? "More than one Steam account here is called " + *request.account +
                            "; name the one you mean:\n" +
                            AccountList(named.matches, context.command, request.remove)
                      : "No Steam account named " + *request.account + " has signed in to " +
                            Shown(found.steam.folder) + ". These have:\n" +
                            AccountList(found.accounts, context.command, request.remove);
      return std::nullopt;
    }
    found.account = *named.account;
  } else if (const auto last = steam::LastAccount(found.accounts, context.activeUser)) {
    found.account = *last;
  } else {
    part.text = accountsWhy.empty() || (found.accounts.empty() && accountsWhy.rfind("there is no", 0) == 0)
                    ? "No Steam account has signed in to " + Shown(found.steam.folder) +
                          ": start Steam and sign in once, then close it and run this again.\n"
                    : "The accounts that signed in to Steam cannot be told: " + accountsWhy +
                          ". Start Steam and sign in once, so that it writes the file anew, then close it "
                          "and run this again.\n";
    return std::nullopt;
  }
  // Who else has the game; the one signed in last, when it has not, is
  // offered the setup of one that has.
  auto concerned = [&](const steam::Account& account) {
    return request.remove ? IsSetUp(found, account, context, files)
                          : HasGame(found.steam.folder, account, found.game.appId, files);
  };
  for (const steam::Account& account : found.accounts)
    if (account.accountId != found.account.accountId && concerned(account)) found.others.push_back(account);
  if (!request.account && !found.others.empty() && !concerned(found.account)) {
    part.text = Where(found) + "\n" + steam::Named(found.account) + " signed in to Steam last, but " +
                (request.remove ? "modpaths is not set up for it" : "it has no settings for the game here") +
                ". " + (found.others.size() == 1 ? "This account has" : "These have") + ":\n" +
                AccountList(found.others, context.command, request.remove);
    if (found.others.size() == 1) {
      SetupRequest offer = request;
      offer.account = Argument(found.others.front());
      part.offer = offer;
    }
    return std::nullopt;
  }
  // Steam writes its own copy of the file back when it exits.
  if (const auto running =
          steam::RunningSteam(context.processes, context.rule == platform::WordRule::Windows, context.steamPid)) {
    part.text = Where(found) + "\nSteam is running (process " + std::to_string(running->pid) + ", " +
                Shown(running->executable) + "): close Steam (Steam menu, Exit), then run this again. ";
    return std::nullopt;
  }
  return found;
}

LauncherPart Set(const Found& found, const SetupContext& context, const steam::FileSystem& files) {
  const std::string where = Where(found);
  const std::string& appId = found.game.appId;
  const std::string config = steam::LocalConfigPath(found.steam.folder, found.account);
  const steam::FileText read = files.Read(config, steam::kMostKeyValueBytes);
  if (!read.text) {
    return Part(Result::Failed,
                where + "\n" +
                    (read.tooLarge ? steam::Unread(config, read, steam::kMostKeyValueBytes)
                                   : "There is no " + Shown(config) +
                                         " that can be read: start Steam once with this account, close it, "
                                         "then run this again") +
                    ". Nothing was changed.\n");
  }
  const std::string& text = *read.text;
  const steam::LaunchOptionsPlace place = steam::FindLaunchOptions(text, appId);
  if (!place.problem.empty())
    return Part(Result::Failed, where + "\nThe launch option cannot be set: " + place.problem + ". Nothing was changed.\n");
  const std::string copy = CopyOf(context, found.steam);
  const steam::Splice splice = steam::WithWrapper(place.value.value_or(""), copy, context.rule);
  if (!splice.problem.empty()) {
    return Part(Result::Failed,
                where + "Launch option now: " + Value(place.value) + "\n\nmodpaths cannot add itself to it: " +
                    splice.problem +
                    ". Nothing was changed. Set the launch option in Steam (the game's Properties, General) so "
                    "that its words are plain, or put " +
                    steam::WrapperWord(copy, context.rule) + " before %command% yourself.\n");
  }
  const steam::LaunchOptionsEdit edit = steam::SetLaunchOptions(text, appId, splice.value);
  if (!edit.problem.empty())
    return Part(Result::Failed, where + "\nThe launch option cannot be set: " + edit.problem + ". Nothing was changed.\n");
  const bool configChanges = edit.text != text;

  const std::string statePath = StateOf(context, found.steam.folder, found.account, files);
  std::optional<SetupState> earlier = ReadState(statePath, files);
  if (earlier && earlier->appId != appId) earlier.reset();
  const NextState next = AfterSetup(earlier, config, appId, text, edit.text, place.value, copy);

  // The copy first: a launch option naming a wrapper that is not there
  // keeps the game from starting.
  FileChanges changes;
  std::string copySaid;
  if (!PlanCopy(copy, context, files, changes, copySaid)) return Part(Result::Failed, where + "\n" + copySaid);
  if (next.writeBackup)
    changes.Write(config + std::string(kBackupSuffix), text, "writing a backup of localconfig.vdf");
  const std::string stateText = next.state.Text();
  if (!earlier || stateText != earlier->Text()) changes.Write(statePath, stateText, "writing the setup's record");
  if (configChanges) changes.WriteOver(config, edit.text, "changing Steam's localconfig.vdf", text);

  std::string said = where + "Launch option before: " + Value(place.value) + "\n";
  if (const auto failure = changes.Apply()) return Part(Result::Failed, said + "\n" + FailureText(*failure));
  said += "Launch option now:    " + splice.value + "\n\n";
  if (configChanges) {
    said += "Done. " + copySaid;
  } else if (!copySaid.empty()) {
    said += "The launch option was set already. " + copySaid;
  } else {
    said += "It was set already: nothing changed. ";
  }
  said += "From the next start of the game from Steam, " + Shown(copy) +
          " keeps the mod list up to date before the game starts, wherever Steam moves the game.\n";
  if (found.steam.sandbox) {
    said += "This Steam runs in a sandbox, which sees only its own folder: the copy lies in it, in " +
            Shown(found.steam.sandbox->data) + ".\n";
  }
  std::vector<steam::Account> notYet;
  for (const steam::Account& other : found.others)
    if (!IsSetUp(found, other, context, files)) notYet.push_back(other);
  if (!notYet.empty()) {
    said += "\nOther accounts here have the game too; to set one of them up, run:\n" +
            AccountList(notYet, context.command, false);
  }
  return Part(Result::Done, said);
}

bool HasCommand(const std::optional<std::string>& value, platform::WordRule rule) {
  return value && steam::ReadLaunchOption(*value, rule).command.has_value();
}

LauncherPart Remove(const Found& found, const SetupContext& context, const steam::FileSystem& files) {
  const std::string where = Where(found);
  const std::string config = steam::LocalConfigPath(found.steam.folder, found.account);
  const steam::FileText read = files.Read(config, steam::kMostKeyValueBytes);
  if (!read.text) return Part(Result::Failed, where + "\n" + steam::Unread(config, read, steam::kMostKeyValueBytes) + ".\n");
  const std::string& text = *read.text;
  const std::string statePath = StateOf(context, found.steam.folder, found.account, files);
  const std::optional<SetupState> state = ReadState(statePath, files);
  const std::string appId = state ? state->appId : found.game.appId;
  const std::string copy = state && !state->copy.empty() ? state->copy : CopyOf(context, found.steam);
  const steam::LaunchOptionsPlace place = steam::FindLaunchOptions(text, appId);
  if (!place.problem.empty()) return Part(Result::Failed, where + "\n" + place.problem + ". Nothing was changed.\n");

  const std::string backupPath = config + std::string(kBackupSuffix);
  const std::optional<std::string> backup = files.ReadText(backupPath, steam::kMostKeyValueBytes);
  std::string restored = text;
  const Undo undo = HowToUndo(state, text, backup);
  if (undo == Undo::Backup) {
    restored = *backup;
  } else if (place.value) {
    const steam::Splice splice =
        steam::WithoutWrapper(*place.value, copy, context.rule, state && !HasCommand(state->before, context.rule));
    if (!splice.problem.empty()) {
      return Part(Result::Failed, where + "Launch option now: " + *place.value +
                                      "\n\nThe wrapper cannot be taken out of it: " + splice.problem +
                                      ". Nothing was changed: edit it in Steam (the game's Properties, General).\n");
    }
    std::optional<std::string> value = splice.value;
    if (state && !state->before && Blank(*value)) value.reset();  // the key setup added goes
    const steam::LaunchOptionsEdit edit = steam::SetLaunchOptions(text, appId, value);
    if (!edit.problem.empty()) return Part(Result::Failed, where + "\n" + edit.problem + ". Nothing was changed.\n");
    restored = edit.text;
  }
  const steam::LaunchOptionsPlace now = steam::FindLaunchOptions(restored, appId);
  if (!state && restored == text) {
    const steam::LaunchOptionWords words = steam::ReadLaunchOption(now.value.value_or(""), context.rule);
    return Part(Result::NotFound,
                where + "\nmodpaths was not set up for this account" +
                    (words.wrappers.empty() ? std::string(".")
                                            : "; its launch option runs a wrapper put there by hand, " +
                                                  words.split.words[words.wrappers.front()].text +
                                                  ": take it out in Steam (the game's Properties, General) if "
                                                  "you want modpaths gone.") +
                    " Nothing was changed.\n");
  }

  FileChanges changes;
  if (restored != text) changes.WriteOver(config, restored, "changing Steam's localconfig.vdf", text);
  if (state) {
    changes.Remove(statePath, "removing the setup's record");
    if (backup) changes.Remove(backupPath, "removing the backup of localconfig.vdf");
  }
  std::string said = where + "Launch option before: " + Value(place.value) + "\n";
  if (const auto failure = changes.Apply()) return Part(Result::Failed, said + "\n" + FailureText(*failure));
  said += "Launch option now:    " + Value(now.value) + "\n\n";
  const steam::LaunchOptionWords words = steam::ReadLaunchOption(now.value.value_or(""), context.rule);
  if (!words.wrappers.empty()) {
    const platform::Word& other = words.split.words[words.wrappers.front()];
    const bool gone = !other.expands && other.text.find_first_of("/\\") == 0 && !files.Exists(other.text);
    said += gone ? "The launch option still names a wrapper, " + other.text +
                       ", which is not there: the game does not start until you take it out in Steam (the "
                       "game's Properties, General, Launch Options).\n"
                 : "A wrapper of modpaths still runs when the game starts: " + other.text +
                       ". This setup did not put it there: take it out in Steam (the game's Properties, "
                       "General, Launch Options) if you want modpaths gone.\n";
  } else {
    said += "modpaths no longer runs when the game starts from Steam for this account.";
    said += undo == Undo::Backup ? " localconfig.vdf is as it was before the setup, byte for byte.\n" : "\n";
  }
  if (!found.others.empty()) {
    said += "\nmodpaths is set up for other accounts here too; to remove it there, run:\n" +
            AccountList(found.others, context.command, true);
  }
  LauncherPart part = Part(Result::Done, said);
  part.copies.push_back(copy);
  return part;
}

class Steam final : public Launcher {
 public:
  std::string Name() const override { return "Steam"; }
  std::string Word() const override { return "steam"; }
  LauncherPart Set(const SetupRequest& request, const SetupContext& context,
                   const steam::FileSystem& files) const override {
    LauncherPart part;
    const std::optional<Found> found = FindAll(request, context, files, part);
    if (!found) return Finished(part);
    return launch::Set(*found, context, files);
  }
  LauncherPart Remove(const SetupRequest& request, const SetupContext& context,
                      const steam::FileSystem& files) const override {
    LauncherPart part;
    const std::optional<Found> found = FindAll(request, context, files, part);
    if (!found) return Finished(part);
    return launch::Remove(*found, context, files);
  }
  std::vector<std::string> CopyUsers(const std::string& copy, const SetupContext& context,
                                     const steam::FileSystem& files) const override {
    std::vector<std::string> users;
    for (const steam::SteamFolder& steam : steam::FindSteamFolders(context.hints, files)) {
      for (const steam::Account& account : steam::Accounts(steam.folder, files)) {
        const auto text = Settings(steam.folder, account, files);
        if (!text) continue;
        for (const std::string& app : steam::AppsRunning(*text, copy, context.rule))
          users.push_back("Steam's launch option of app " + app + " for account " + steam::Named(account));
      }
    }
    return users;
  }

 private:
  static LauncherPart Finished(LauncherPart part) {
    if (part.result == Result::Failed) part.text += "Nothing was changed in Steam.\n";
    return part;
  }
};

}  // namespace

std::unique_ptr<Launcher> SteamLauncher() { return std::make_unique<Steam>(); }

}  // namespace launch
