#include "launch/setup.h"

#include <exception>
#include <new>

#include "app/paths.h"
#include "launch/setup_launchers.h"
#include "platform/digest.h"
#include "platform/file_system.h"
#include "steam/this_machine.h"

namespace launch {
namespace {

constexpr std::string_view kVersionMark = "modpaths-launch version ";
// The wrapper itself: a few megabytes.
constexpr size_t kMostProgramBytes = 256u << 20;

// The launchers the request is about, or why there is none.
std::vector<std::unique_ptr<Launcher>> Asked(const SetupRequest& request, std::string& why) {
  std::vector<std::unique_ptr<Launcher>> asked;
  for (std::unique_ptr<Launcher>& launcher : Launchers())
    if (!request.launcher || *request.launcher == launcher->Word()) asked.push_back(std::move(launcher));
  if (asked.empty()) why = "modpaths sets up no " + request.launcher.value_or("") + " on this system.\n";
  return asked;
}

// After --remove: each copy that nothing runs any more goes.
std::string RemoveUnusedCopies(const std::vector<std::string>& copies, const SetupContext& context,
                               const steam::FileSystem& files, bool& failed) {
  std::string said;
  std::vector<std::string> seen;
  for (const std::string& copy : copies) {
    bool again = false;
    for (const std::string& earlier : seen) again = again || SameFile(earlier, copy, files);
    if (again || !files.Exists(copy)) continue;
    seen.push_back(copy);
    std::vector<std::string> users;
    for (const auto& [path, state] : AllStates(context.userFolder, files))
      if (SameFile(state.copy, copy, files)) users.push_back("the setup of " + Shown(state.localconfig));
    for (const std::unique_ptr<Launcher>& launcher : Launchers())
      for (std::string& user : launcher->CopyUsers(copy, context, files)) users.push_back(std::move(user));
    if (!users.empty()) {
      said += "The copy of the wrapper, " + Shown(copy) + ", stays: " + users.front() +
              (users.size() > 1 ? " (and " + std::to_string(users.size() - 1) + " more)" : "") +
              " still runs it.\n";
    } else if (SameFile(context.self, copy, files) && context.rule == platform::WordRule::Windows) {
      said += "This copy, " + Shown(copy) + ", cannot remove itself while it runs: delete it yourself.\n";
    } else {
      FileChanges changes;
      changes.Remove(copy, "removing the copy of the wrapper", true);
      if (const auto failure = changes.Apply()) {
        said += FailureText(*failure);
        failed = true;
      } else {
        said += "The copy of the wrapper, " + Shown(copy) + ", is removed.\n";
        platform::RemoveEmptyFolder(std::string(platform::ParentFolder(copy, platform::kNativePaths)));
      }
    }
  }
  return said;
}

SetupOutcome RunGuarded(const SetupRequest& request, const SetupContext& context,
                        const steam::FileSystem& files) {
  SetupOutcome outcome;
  const std::vector<std::unique_ptr<Launcher>> launchers = Asked(request, outcome.text);
  if (launchers.empty()) return outcome;
  std::vector<std::string> set, nothing, failed, copies;
  std::vector<std::string> sections;
  for (const std::unique_ptr<Launcher>& launcher : launchers) {
    LauncherPart part = request.remove ? launcher->Remove(request, context, files)
                                       : launcher->Set(request, context, files);
    sections.push_back(part.text);
    switch (part.result) {
      case LauncherPart::Result::Done: set.push_back(launcher->Name()); break;
      case LauncherPart::Result::NotFound: nothing.push_back(launcher->Name()); break;
      case LauncherPart::Result::Failed: failed.push_back(launcher->Name()); break;
    }
    if (part.offer) {
      outcome.offer = part.offer;
      outcome.offer->launcher = launcher->Word();
    }
    for (std::string& copy : part.copies) copies.push_back(std::move(copy));
  }
  bool copyFailed = false;
  if (request.remove) {
    const std::string removed = RemoveUnusedCopies(copies, context, files, copyFailed);
    if (!removed.empty()) sections.push_back(removed);
  }
  for (const std::string& section : sections) {
    if (section.empty()) continue;
    if (!outcome.text.empty()) outcome.text += "\n";
    outcome.text += section;
  }
  auto list = [](const std::vector<std::string>& names) {
    std::string joined;
    for (const std::string& name : names) joined += (joined.empty() ? "" : ", ") + name;
    return joined;
  };
  if (launchers.size() > 1) {
    std::vector<std::string> summary;
    if (!set.empty()) summary.push_back((request.remove ? "Removed from: " : "Set up: ") + list(set) + ".");
    if (!failed.empty())
      summary.push_back(std::string(request.remove ? "Not removed from: " : "Not set up: ") + list(failed) + ".");
    if (!nothing.empty()) summary.push_back("Nothing found in: " + list(nothing) + ".");
    std::string line;
    for (const std::string& part : summary) line += (line.empty() ? "" : " ") + part;
    outcome.text += "\n" + line + "\n";
  }
  outcome.done = failed.empty() && !set.empty() && !copyFailed;
  return outcome;
}

}  // namespace

std::string Shown(const std::string& path) { return platform::InStyle(path, platform::kNativePaths); }

LauncherPart Joined(const std::vector<LauncherPart>& parts) {
  LauncherPart joined;
  for (const LauncherPart& part : parts) {
    if (part.text.empty()) continue;
    joined.text += (joined.text.empty() ? "" : "\n") + part.text;
    if (part.result == LauncherPart::Result::Failed) joined.result = LauncherPart::Result::Failed;
    if (part.result == LauncherPart::Result::Done && joined.result != LauncherPart::Result::Failed)
      joined.result = LauncherPart::Result::Done;
    joined.copies.insert(joined.copies.end(), part.copies.begin(), part.copies.end());
  }
  return joined;
}

std::vector<std::pair<std::string, std::string>> SettingsFiles(const std::string& folder, std::string_view suffix,
                                                               size_t most, const steam::FileSystem& files) {
  std::vector<std::pair<std::string, std::string>> found;
  const auto entries = files.List(folder);
  if (!entries) return found;
  for (const platform::DirectoryEntry& entry : *entries) {
    const std::string_view name = entry.name;
    if (entry.isFolder || name.size() <= suffix.size() || name.substr(name.size() - suffix.size()) != suffix) continue;
    if (auto text = files.ReadText(platform::JoinPath(folder, entry.name, platform::kNativePaths), most))
      found.emplace_back(std::string(name.substr(0, name.size() - suffix.size())), std::move(*text));
  }
  return found;
}

std::string Value(const std::optional<std::string>& value) {
  return value ? (value->empty() ? "(empty)" : *value) : "(none)";
}

bool SameFile(const std::string& a, const std::string& b, const steam::FileSystem& files) {
  if (a == b || (platform::kNativePaths.separator == '\\' && platform::SameLetters(a, b))) return true;
  const auto identity = files.Identity(a);
  return identity && identity == files.Identity(b);
}

std::string FailureText(const FileChanges::Failure& failure) {
  std::string text = "Setup stopped while " + failure.step + ": " + Shown(failure.path) + ": " +
                     failure.reason + ". ";
  if (failure.notUndone.empty()) return text + "Nothing was changed.\n";
  text += "These could not be put back as they were:\n";
  for (const std::string& path : failure.notUndone) text += "  " + Shown(path) + "\n";
  return text;
}

std::string CopyPath(const SetupContext& context, const std::optional<std::string>& sandboxData) {
  const std::string folder =
      sandboxData ? platform::JoinPath(*sandboxData, "modpaths", platform::kNativePaths) : context.userFolder;
  return platform::JoinPath(folder,
                            context.rule == platform::WordRule::Shell ? modpaths::kLinuxLauncher
                                                                      : modpaths::kWindowsLauncher,
                            platform::kNativePaths);
}

bool PlanCopy(const std::string& copy, const SetupContext& context, const steam::FileSystem& files,
              FileChanges& changes, std::string& said) {
  // Run from the copy itself, it is in place.
  if (SameFile(context.self, copy, files)) return true;
  const std::optional<std::string> self = files.ReadText(context.self, kMostProgramBytes);
  if (!self) {
    said = "This program's own file, " + Shown(context.self) + ", cannot be read to copy it. Nothing was changed.\n";
    return false;
  }
  const std::optional<std::string> old = files.ReadText(copy, kMostProgramBytes);
  if (old == self) return true;
  changes.WriteOver(copy, *self, "copying the wrapper", old, true);
  said = old ? "The copy of the wrapper, " + Shown(copy) + ", was replaced by this version (" + MODPATHS_VERSION +
                   "; it was " + WrapperVersionOf(*old).value_or("1.4.0 or earlier") + ").\n"
             : "The wrapper was copied to " + Shown(copy) + ".\n";
  return true;
}

std::optional<SetupState> ReadState(const std::string& path, const steam::FileSystem& files) {
  const auto text = files.ReadText(path, 64u << 10);
  return text ? SetupState::Read(*text) : std::nullopt;
}

NextState AfterSetup(const std::optional<SetupState>& earlier, const std::string& file, const std::string& app,
                     const std::optional<std::string>& current, const std::string& next,
                     const std::optional<std::string>& before, const std::string& copy) {
  NextState next_;
  SetupState& state = next_.state;
  if (earlier) {
    state = *earlier;
    // Changed since by the launcher: the first backup would lose that.
    if (!current || !earlier->written || *earlier->written != platform::DigestOf(*current)) state.backup.reset();
  } else {
    state.localconfig = file;
    state.appId = app;
    state.before = before;
    if (!current) state.made = "1";
    next_.writeBackup = current && *current != next;
    if (next_.writeBackup) state.backup = platform::DigestOf(*current);
  }
  state.written = platform::DigestOf(next);
  state.copy = copy;
  state.version = MODPATHS_VERSION;
  return next_;
}

Undo HowToUndo(const std::optional<SetupState>& state, const std::optional<std::string>& current,
               const std::optional<std::string>& backup) {
  if (!state || !current || state->written != platform::DigestOf(*current)) return Undo::TakeOut;
  if (state->backup) return backup && platform::DigestOf(*backup) == *state->backup ? Undo::Backup : Undo::TakeOut;
  // Setup made the file: there was none, nor a backup of it.
  return state->made == "1" ? Undo::RemoveFile : Undo::TakeOut;
}

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
    } else if (word == "--launcher") {
      command.request.launcher = take();
      if (!command.request.launcher || (*command.request.launcher != "steam" &&
                                        *command.request.launcher != "heroic" &&
                                        *command.request.launcher != "lutris")) {
        return usage("--launcher needs one of steam, heroic, lutris");
      }
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
         "  " + command + " --setup [--launcher steam|heroic|lutris] [--account NAME] [--app ID]\n"
         "      set each launcher that has the game up to run modpaths at every start of\n"
         "      the game (the launcher closed); --account and --app are Steam's\n"
         "  " + command + " --remove [--launcher steam|heroic|lutris] [--account NAME] [--app ID]\n"
         "      take modpaths out of the launchers again\n"
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
    return {false, "Setup ran out of memory: a launcher's file is far larger than it writes its own." + nothing,
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
  if (auto other = ToolFolderOfOtherLaunchers(environment, hints.home.value_or(""), files)) return other;
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
