#include "launch/setup.h"

#include <exception>
#include <new>

#include "app/paths.h"
#include "launch/file_changes.h"
#include "launch/setup_state.h"
#include "platform/digest.h"
#include "platform/file_system.h"
#include "steam/key_values.h"
#include "steam/launch_options.h"

namespace launch {
namespace {

using platform::DigestOf;

constexpr std::string_view kVersionMark = "modpaths-launch version ";
// The wrapper itself: a few megabytes.
constexpr size_t kMostProgramBytes = 256u << 20;

std::string Shown(const std::string& path) { return platform::InStyle(path, platform::kNativePaths); }

std::string Value(const std::optional<std::string>& value) {
  return value ? (value->empty() ? "(empty)" : *value) : "(none)";
}

bool Blank(std::string_view text) { return text.find_first_not_of(" \t") == std::string_view::npos; }

SetupOutcome Fail(std::string text) { return {false, std::move(text), std::nullopt}; }

// How the player names an account on the command line.
std::string Argument(const steam::Account& account) {
  return account.name.empty() ? account.accountId : account.name;
}

std::string CopyPath(const SetupContext& context, const steam::SteamFolder& steam) {
  // A sandboxed Steam sees only its own data folder.
  const std::string folder =
      steam.sandbox ? platform::JoinPath(steam.sandbox->data, "modpaths", platform::kNativePaths) : context.userFolder;
  return platform::JoinPath(folder,
                            context.rule == platform::WordRule::Shell ? modpaths::kLinuxLauncher
                                                                      : modpaths::kWindowsLauncher,
                            platform::kNativePaths);
}

bool SameFile(const std::string& a, const std::string& b, const steam::FileSystem& files) {
  if (a == b || (platform::kNativePaths.separator == '\\' && platform::SameLetters(a, b))) return true;
  const auto identity = files.Identity(a);
  return identity && identity == files.Identity(b);
}

struct Found {
  steam::SteamFolder steam;
  steam::InstalledGame game;
  std::vector<steam::Account> accounts;
  steam::Account account;
  std::vector<steam::Account> others;  // the other accounts that have the game
};

std::string Where(const Found& found) {
  const char* kind = !found.steam.sandbox                ? ""
                     : found.steam.sandbox->home.empty() ? " (Snap)"
                                                         : " (Flatpak)";
  return "Steam: " + Shown(found.steam.folder) + kind + "\nLibrary: " + Shown(found.game.library) +
         "\nGame: " + Shown(found.game.gameFolder) + " (app " + found.game.appId + ")\nAccount: " +
         steam::Named(found.account) + "\n";
}

std::string AccountList(const std::vector<steam::Account>& accounts, const std::string& command,
                        bool remove) {
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

// Whether the account has settings for the game: it has started it here.
bool HasGame(const std::string& steamFolder, const steam::Account& account, const std::string& appId,
             const steam::FileSystem& files) {
  const auto text = Settings(steamFolder, account, files);
  return text && steam::FindLaunchOptions(*text, appId).gameBlock;
}

// Whether a setup of ours stands for the account.
bool IsSetUp(const Found& found, const steam::Account& account, const SetupContext& context,
             const steam::FileSystem& files) {
  const std::string config = steam::LocalConfigPath(found.steam.folder, account);
  const std::string state = StatePath(context.userFolder, account.accountId, config, files);
  if (files.Exists(state)) return true;
  const auto text = Settings(found.steam.folder, account, files);
  return text && !steam::AppsRunning(*text, CopyPath(context, found.steam), context.rule).empty();
}

// Steam, the game and the account; or the outcome that says why not, or
// offers another account.
std::optional<Found> FindAll(const SetupRequest& request, const SetupContext& context,
                             const steam::FileSystem& files, SetupOutcome& outcome) {
  const std::vector<steam::SteamFolder> steams = steam::FindSteamFolders(context.hints, files);
  if (steams.empty()) {
    outcome.text = "Steam was not found. modpaths looked in:\n";
    for (const steam::SteamFolder& folder : steam::SteamFolderCandidates(context.hints))
      outcome.text += "  " + Shown(folder.folder) + "\n";
    return std::nullopt;
  }
  const steam::GameChoice choice = steam::FindInstalledGame(steams, files, request.app);
  if (!choice.game) {
    if (choice.candidates.empty() || request.app) {
      outcome.text = "Hollow Voyage was not found with its mod manager in Steam's libraries";
      outcome.text += request.app ? " as app " + *request.app + ":\n" : ":\n";
      for (const std::string& library : choice.searched) outcome.text += "  " + Shown(library) + "\n";
    }
    if (choice.candidates.empty()) {
      outcome.text += "None holds the game's HollowVoyage/Binaries/Win64/SourceSave.sav, which the mod "
                      "manager puts there: install the game, and the mod manager, first.\n";
    } else {
      outcome.text += "More than one installed app holds the game with its mod manager; choose one:\n";
      for (const steam::InstalledGame& game : choice.candidates) {
        outcome.text += "  app " + game.appId + ", " + Shown(game.gameFolder) + ": " + context.command +
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
      outcome.text = named.matches.size() > 1
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
    outcome.text = accountsWhy.empty() || (found.accounts.empty() && accountsWhy.rfind("there is no", 0) == 0)
                       ? "No Steam account has signed in to " + Shown(found.steam.folder) +
                             ": start Steam and sign in once, then close it and run this again.\n"
                       : "The accounts that signed in to Steam cannot be told: " + accountsWhy +
                             ". Start Steam and sign in once, so that it writes the file anew, then close "
                             "it and run this again.\n";
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
    outcome.text = Where(found) + "\n" + steam::Named(found.account) + " signed in to Steam last, but " +
                   (request.remove ? "modpaths is not set up for it" : "it has no settings for the game here") +
                   ". " + (found.others.size() == 1 ? "This account has" : "These have") + ":\n" +
                   AccountList(found.others, context.command, request.remove);
    if (found.others.size() == 1) {
      SetupRequest offer = request;
      offer.account = Argument(found.others.front());
      outcome.offer = offer;
    }
    return std::nullopt;
  }
  return found;
}

std::string FailureText(const FileChanges::Failure& failure) {
  std::string text = "Setup stopped while " + failure.step + ": " + Shown(failure.path) + ": " +
                     failure.reason + ". ";
  if (failure.notUndone.empty()) return text + "Nothing was changed.\n";
  text += "These could not be put back as they were:\n";
  for (const std::string& path : failure.notUndone) text += "  " + Shown(path) + "\n";
  return text;
}

std::optional<SetupState> ReadState(const std::string& path, const steam::FileSystem& files) {
  const auto text = files.ReadText(path, 64u << 10);
  return text ? SetupState::Read(*text) : std::nullopt;
}

SetupOutcome Set(const Found& found, const SetupContext& context, const steam::FileSystem& files) {
  const std::string where = Where(found);
  const std::string& appId = found.game.appId;
  const std::string config = steam::LocalConfigPath(found.steam.folder, found.account);
  const steam::FileText read = files.Read(config, steam::kMostKeyValueBytes);
  if (!read.text) {
    return Fail(where + "\n" +
                (read.tooLarge ? steam::Unread(config, read, steam::kMostKeyValueBytes)
                               : "There is no " + Shown(config) +
                                     " that can be read: start Steam once with this account, close "
                                     "it, then run this again") +
                ". Nothing was changed.\n");
  }
  const std::string& text = *read.text;
  const steam::LaunchOptionsPlace place = steam::FindLaunchOptions(text, appId);
  if (!place.problem.empty())
    return Fail(where + "\nThe launch option cannot be set: " + place.problem + ". Nothing was changed.\n");
  const std::string copy = CopyPath(context, found.steam);
  const steam::Splice splice = steam::WithWrapper(place.value.value_or(""), copy, context.rule);
  if (!splice.problem.empty()) {
    return Fail(where + "Launch option now: " + Value(place.value) + "\n\nmodpaths cannot add itself to it: " +
                splice.problem + ". Nothing was changed. Set the launch option in Steam (the game's "
                "Properties, General) so that its words are plain, or put " +
                steam::WrapperWord(copy, context.rule) + " before %command% yourself.\n");
  }
  const steam::LaunchOptionsEdit edit = steam::SetLaunchOptions(text, appId, splice.value);
  if (!edit.problem.empty())
    return Fail(where + "\nThe launch option cannot be set: " + edit.problem + ". Nothing was changed.\n");
  const bool configChanges = edit.text != text;

  // What stood there before the first setup is kept while a setup stands.
  const std::string statePath = StatePath(context.userFolder, found.account.accountId, config, files);
  std::optional<SetupState> earlier = ReadState(statePath, files);
  if (earlier && earlier->appId != appId) earlier.reset();
  SetupState state = earlier.value_or(SetupState{});
  const std::string backupPath = config + std::string(kBackupSuffix);
  bool writeBackup = false;
  if (!earlier) {
    state.localconfig = config;
    state.appId = appId;
    state.before = place.value;
    writeBackup = configChanges;
    if (writeBackup) state.backup = DigestOf(text);
  } else if (!earlier->written || *earlier->written != DigestOf(text)) {
    state.backup.reset();  // changed since by Steam: the first backup would lose that
  }
  state.written = DigestOf(edit.text);
  state.copy = copy;
  state.version = MODPATHS_VERSION;

  // The copy first: a launch option naming a wrapper that is not there
  // keeps the game from starting. Run from the copy itself, it is in place.
  FileChanges changes;
  const std::optional<std::string> oldCopy = files.ReadText(copy, kMostProgramBytes);
  std::string copySaid;
  if (!SameFile(context.self, copy, files)) {
    const std::optional<std::string> self = files.ReadText(context.self, kMostProgramBytes);
    if (!self) {
      return Fail(where + "\nThis program's own file, " + Shown(context.self) +
                  ", cannot be read to copy it. Nothing was changed.\n");
    }
    if (oldCopy != self) {
      changes.Write(copy, *self, "copying the wrapper", true);
      if (oldCopy) {
        copySaid = "The copy of the wrapper, " + Shown(copy) + ", was replaced by this version (" +
                   MODPATHS_VERSION + "; it was " +
                   WrapperVersionOf(*oldCopy).value_or("1.4.0 or earlier") + ").\n";
      } else {
        copySaid = "The wrapper was copied to " + Shown(copy) + ".\n";
      }
    }
  }
  if (writeBackup) changes.Write(backupPath, text, "writing a backup of localconfig.vdf");
  const std::string stateText = state.Text();
  if (!earlier || stateText != earlier->Text()) changes.Write(statePath, stateText, "writing the setup's record");
  if (configChanges) changes.Write(config, edit.text, "changing Steam's localconfig.vdf");

  std::string said = where + "Launch option before: " + Value(place.value) + "\n";
  if (const auto failure = changes.Apply()) return Fail(said + "\n" + FailureText(*failure));
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
  return {true, said, std::nullopt};
}

// Who else still runs the copy: another account's setup, or a launch
// option in any Steam found. `ownConfig` and `ownText`: the account being
// removed, as it will be.
std::vector<std::string> CopyUsers(const std::string& copy, const std::string& ownState,
                                   const std::string& ownConfig, const std::string& ownText,
                                   const SetupContext& context, const steam::FileSystem& files) {
  std::vector<std::string> users;
  for (const auto& [path, state] : AllStates(context.userFolder, files)) {
    if (path != ownState && SameFile(state.copy, copy, files))
      users.push_back("the setup of " + Shown(state.localconfig));
  }
  for (const steam::SteamFolder& steam : steam::FindSteamFolders(context.hints, files)) {
    for (const steam::Account& account : steam::Accounts(steam.folder, files)) {
      const std::string config = steam::LocalConfigPath(steam.folder, account);
      const bool own = SameFile(config, ownConfig, files);
      const std::optional<std::string> text = own ? ownText : files.ReadText(config, steam::kMostKeyValueBytes);
      if (!text) continue;
      for (const std::string& app : steam::AppsRunning(*text, copy, context.rule))
        users.push_back("the launch option of app " + app + " for account " + steam::Named(account));
    }
  }
  return users;
}

bool HasCommand(const std::optional<std::string>& value, platform::WordRule rule) {
  return value && steam::ReadLaunchOption(*value, rule).command.has_value();
}

SetupOutcome Remove(const Found& found, const SetupContext& context, const steam::FileSystem& files) {
  const std::string where = Where(found);
  const std::string config = steam::LocalConfigPath(found.steam.folder, found.account);
  const steam::FileText read = files.Read(config, steam::kMostKeyValueBytes);
  if (!read.text) return Fail(where + "\n" + steam::Unread(config, read, steam::kMostKeyValueBytes) + ".\n");
  const std::string& text = *read.text;
  const std::string statePath = StatePath(context.userFolder, found.account.accountId, config, files);
  const std::optional<SetupState> state = ReadState(statePath, files);
  const std::string appId = state ? state->appId : found.game.appId;
  const std::string copy = state && !state->copy.empty() ? state->copy : CopyPath(context, found.steam);
  const steam::LaunchOptionsPlace place = steam::FindLaunchOptions(text, appId);
  if (!place.problem.empty()) return Fail(where + "\n" + place.problem + ". Nothing was changed.\n");

  const std::string backupPath = config + std::string(kBackupSuffix);
  const std::optional<std::string> backup = files.ReadText(backupPath, steam::kMostKeyValueBytes);
  std::string restored = text;
  bool wholeBack = false;
  if (state && state->backup && state->written == DigestOf(text) && backup && DigestOf(*backup) == *state->backup) {
    // Nothing but setup changed the file since: as it was, byte for byte.
    restored = *backup;
    wholeBack = true;
  } else if (place.value) {
    const steam::Splice splice = steam::WithoutWrapper(*place.value, copy, context.rule,
                                                       state && !HasCommand(state->before, context.rule));
    if (!splice.problem.empty()) {
      return Fail(where + "Launch option now: " + *place.value + "\n\nThe wrapper cannot be taken out of it: " +
                  splice.problem + ". Nothing was changed: edit it in Steam (the game's Properties, General).\n");
    }
    std::optional<std::string> value = splice.value;
    if (state && !state->before && Blank(*value)) value.reset();  // the key setup added goes
    const steam::LaunchOptionsEdit edit = steam::SetLaunchOptions(text, appId, value);
    if (!edit.problem.empty()) return Fail(where + "\n" + edit.problem + ". Nothing was changed.\n");
    restored = edit.text;
  }
  const steam::LaunchOptionsPlace now = steam::FindLaunchOptions(restored, appId);

  FileChanges changes;
  if (restored != text) changes.Write(config, restored, "changing Steam's localconfig.vdf");
  if (state) {
    changes.Remove(statePath, "removing the setup's record");
    if (backup) changes.Remove(backupPath, "removing the backup of localconfig.vdf");
  }
  std::string copySaid;
  const std::vector<std::string> users = CopyUsers(copy, statePath, config, restored, context, files);
  if (!files.Exists(copy)) {
    // Gone already: nothing to remove.
  } else if (!users.empty()) {
    copySaid = "The copy of the wrapper, " + Shown(copy) + ", stays: " + users.front() +
               (users.size() > 1 ? " (and " + std::to_string(users.size() - 1) + " more)" : "") +
               " still runs it.\n";
  } else if (SameFile(context.self, copy, files) && context.rule == platform::WordRule::Windows) {
    copySaid = "This copy, " + Shown(copy) + ", cannot remove itself while it runs: delete it yourself.\n";
  } else {
    changes.Remove(copy, "removing the copy of the wrapper", true);
    copySaid = "The copy of the wrapper, " + Shown(copy) + ", is removed.\n";
  }
  std::string said = where + "Launch option before: " + Value(place.value) + "\n";
  if (const auto failure = changes.Apply()) return Fail(said + "\n" + FailureText(*failure));
  said += "Launch option now:    " + Value(now.value) + "\n\n";
  const steam::LaunchOptionWords words = steam::ReadLaunchOption(now.value.value_or(""), context.rule);
  if (!words.wrappers.empty()) {
    const platform::Word& other = words.split.words[words.wrappers.front()];
    const bool gone = !other.expands && !other.text.empty() && other.text.find_first_of("/\\") == 0 &&
                      !files.Exists(other.text);
    said += gone ? "The launch option still names a wrapper, " + other.text +
                       ", which is not there: the game does not start until you take it out in Steam "
                       "(the game's Properties, General, Launch Options).\n"
                 : "A wrapper of modpaths still runs when the game starts: " + other.text +
                       ". This setup did not put it there: take it out in Steam (the game's Properties, "
                       "General, Launch Options) if you want modpaths gone.\n";
  } else if (!state && restored == text) {
    said += "modpaths was not set up for this account: nothing was changed.\n";
  } else {
    said += "modpaths no longer runs when the game starts from Steam for this account.";
    said += wholeBack ? " localconfig.vdf is as it was before the setup, byte for byte.\n" : "\n";
  }
  if (!copySaid.empty()) said += copySaid;
  // The copy's folder, when it was the copy's alone.
  if (changes.Touches(copy)) platform::RemoveEmptyFolder(std::string(platform::ParentFolder(copy, platform::kNativePaths)));
  if (!found.others.empty()) {
    said += "\nmodpaths is set up for other accounts here too; to remove it there, run:\n" +
            AccountList(found.others, context.command, true);
  }
  return {true, said, std::nullopt};
}

SetupOutcome RunGuarded(const SetupRequest& request, const SetupContext& context,
                        const steam::FileSystem& files) {
  SetupOutcome outcome;
  const std::optional<Found> found = FindAll(request, context, files, outcome);
  if (!found) {
    outcome.done = false;
    outcome.text += "Nothing was changed.\n";
    return outcome;
  }
  if (context.steamRuns) {
    // Steam writes its own copy of the file back when it exits.
    return Fail(Where(*found) + "\nSteam is running (process " + std::to_string(context.steamRuns->pid) +
                ", " + Shown(context.steamRuns->executable) +
                "): close Steam (Steam menu, Exit), then run this again. Nothing was changed.\n");
  }
  return request.remove ? Remove(*found, context, files) : Set(*found, context, files);
}

}  // namespace

WrapperCommand ParseWrapperCommand(const std::vector<std::string>& arguments) {
  WrapperCommand command;
  if (arguments.empty()) return command;
  const std::string& first = arguments.front();
  auto usage = [&](std::string problem) {
    command.kind = WrapperCommand::Kind::Usage;
    command.problem = std::move(problem);
    return command;
  };
  if (first.empty() || first[0] != '-') {
    // A program of that name would be no game's.
    for (const char* own : {"setup", "remove", "help", "version"}) {
      if (arguments.size() == 1 && platform::SameLetters(first, own))
        return usage("\"" + first + "\" is no game's command; did you mean --" + own + "?");
    }
    return command;
  }
  bool setup = false, remove = false;
  for (size_t i = 0; i < arguments.size(); ++i) {
    std::string word = arguments[i];
    std::optional<std::string> value;
    if (const size_t equals = word.find('='); word.rfind("--", 0) == 0 && equals != std::string::npos) {
      value = word.substr(equals + 1);
      word.resize(equals);
    }
    auto take = [&]() -> std::optional<std::string> {
      if (value) return value;
      if (i + 1 < arguments.size()) return arguments[++i];
      return std::nullopt;
    };
    if (word == "--help" || word == "-h") {
      command.kind = WrapperCommand::Kind::Help;
      return command;
    }
    if (word == "--version") {
      command.kind = WrapperCommand::Kind::Version;
      return command;
    }
    if (word == "--setup" && !value) {
      setup = true;
    } else if (word == "--remove" && !value) {
      remove = true;
    } else if (word == "--account") {
      command.request.account = take();
      if (!command.request.account || command.request.account->empty()) return usage("--account needs a name");
    } else if (word == "--app") {
      command.request.app = take();
      if (!command.request.app || command.request.app->empty() ||
          command.request.app->find_first_not_of("0123456789") != std::string::npos) {
        return usage("--app needs an app id, a number");
      }
    } else {
      return usage("unknown option " + arguments[i]);
    }
  }
  if (setup == remove) return usage(setup ? "--setup and --remove exclude each other" : "--setup or --remove is missing");
  command.kind = WrapperCommand::Kind::Setup;
  command.request.remove = remove;
  return command;
}

std::string WrapperUsage(const std::string& command) {
  return "usage:\n"
         "  " + command + " --setup [--account NAME] [--app ID]\n"
         "      set Steam up to run modpaths at every start of the game (Steam closed)\n"
         "  " + command + " --remove [--account NAME] [--app ID]\n"
         "      take modpaths out of the game's launch option again\n"
         "  " + command + " COMMAND...\n"
         "      as a launcher runs it: update the mod list, then start the game's COMMAND\n"
         "  " + command + "\n"
         "      update the mod list of the game around it, and say what was done\n"
         "  " + command + " --help | --version\n";
}

SetupOutcome RunSetup(const SetupRequest& request, const SetupContext& context,
                      const steam::FileSystem& files) noexcept {
  // Every write is planned before the first; what Apply wrote it takes
  // back itself.
  const std::string nothing = " Nothing was changed.\n";
  try {
    return RunGuarded(request, context, files);
  } catch (const std::bad_alloc&) {
    return {false, "Setup ran out of memory: a file of Steam's is far larger than Steam writes its own." + nothing,
            std::nullopt};
  } catch (const std::exception& error) {
    try {
      return {false, "Setup failed: " + std::string(error.what()) + "." + nothing, std::nullopt};
    } catch (...) {
    }
  } catch (...) {
  }
  return {false, "Setup failed.", std::nullopt};
}

std::optional<std::string> GameOfCommand(const std::vector<std::string>& arguments,
                                         const CommandEnvironment& environment,
                                         const steam::SteamHints& hints,
                                         const steam::FileSystem& files) {
  if (auto named = steam::ToolFolderFromCommand(arguments)) return named;
  if (environment.installPath && !environment.installPath->empty()) {
    const std::string tools = platform::JoinPath(*environment.installPath, "HollowVoyage/Binaries/Win64",
                                                 platform::kEitherPaths);
    if (files.Exists(tools + "/SourceSave.sav")) return platform::InStyle(tools, platform::kNativePaths);
  }
  std::optional<std::string> app = environment.steamAppId;
  if (app && app->empty()) app.reset();
  const steam::GameChoice choice = steam::FindInstalledGame(steam::FindSteamFolders(hints, files), files, app);
  if (!choice.game) return std::nullopt;
  return platform::InStyle(choice.game->toolFolder, platform::kNativePaths);
}

std::optional<std::string> WrapperVersionOf(std::string_view bytes) {
  for (size_t at = bytes.find(kVersionMark); at != std::string_view::npos;
       at = bytes.find(kVersionMark, at + 1)) {
    size_t end = at + kVersionMark.size();
    while (end < bytes.size() && ((bytes[end] >= '0' && bytes[end] <= '9') || bytes[end] == '.')) ++end;
    if (end > at + kVersionMark.size() && end < bytes.size() && bytes[end] == '\n')
      return std::string(bytes.substr(at + kVersionMark.size(), end - at - kVersionMark.size()));
  }
  return std::nullopt;
}

// The mark stands in the file as one string, for WrapperVersionOf: kept
// whole, whatever the optimiser makes of its one use.
#if defined(__GNUC__)
__attribute__((used))
#endif
static const char kVersionLine[] = "modpaths-launch version " MODPATHS_VERSION "\n";

std::string WrapperVersionLine() {
  const volatile char* mark = kVersionLine;
  std::string line;
  for (size_t i = 0; i + 1 < sizeof kVersionLine; ++i) line += mark[i];
  return line;
}

}  // namespace launch
