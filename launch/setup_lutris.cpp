// Lutris' part of a setup: the game's command prefix (system:
// prefix_command in its yml) starts with the copy of the wrapper.

#include "launch/setup_launchers.h"
#include "lutris/game_database.h"
#include "lutris/lutris.h"
#include "platform/file_system.h"
#include "steam/launch_options.h"

namespace launch {
namespace {

using Result = LauncherPart::Result;

using lutris::kMostSettingsBytes;

struct LutrisGame {
  lutris::Lutris lutris;
  lutris::Game game;
};

std::string Where(const LutrisGame& found) {
  return "Lutris: " + Shown(found.lutris.settings) + (found.lutris.data ? " (Flatpak)" : "") + "\nGame: " +
         found.game.name + ", " + Shown(found.game.settings) + "\n";
}

class Lutris final : public PerGameLauncher<LutrisGame> {
 public:
  std::string Name() const override { return "Lutris"; }
  std::string Word() const override { return "lutris"; }
  std::vector<std::string> CopyUsers(const std::string& copy, const SetupContext& context,
                                     const steam::FileSystem& files) const override {
    std::vector<std::string> users;
    for (const lutris::Lutris& install : lutris::FindLutris(context.home, files)) {
      const std::string folder = platform::JoinPath(install.settings, "games", platform::kPosixPaths);
      for (const auto& [game, text] : SettingsFiles(folder, ".yml", kMostSettingsBytes, files)) {
        const auto prefix = lutris::PrefixCommandOf(text).value;
        for (const platform::Word& word : platform::SplitWords(prefix.value_or(""), platform::WordRule::Shell).words) {
          if (!word.expands && SameFile(word.text, copy, files)) {
            users.push_back("Lutris' command prefix of " + game);
            break;
          }
        }
      }
    }
    return users;
  }

 protected:
  std::vector<LutrisGame> Find(const SetupContext& context, const steam::FileSystem& files,
                               LauncherPart& part) const override;
  LauncherPart SetOne(const LutrisGame& found, const SetupContext& context,
                      const steam::FileSystem& files) const override;
  LauncherPart RemoveOne(const LutrisGame& found, const SetupContext& context,
                         const steam::FileSystem& files) const override;
};

std::vector<LutrisGame> Lutris::Find(const SetupContext& context, const steam::FileSystem& files,
                                      LauncherPart& part) const {
  std::vector<LutrisGame> found;
  const std::vector<lutris::Lutris> installs = lutris::FindLutris(context.home, files);
  if (installs.empty()) {
    part.text = "Lutris was not found (no ~/.config/lutris or ~/.local/share/lutris, nor a Flatpak's).\n";
    return found;
  }
  for (const lutris::Lutris& install : installs) {
    const auto database = lutris::ReadGameDatabase(install.database);
    for (const lutris::Game& game : lutris::FindGames(install, database, files)) found.push_back({install, game});
  }
  if (found.empty()) {
    part.text = "Lutris: none of its games runs Hollow Voyage with its mod manager.\n";
    return found;
  }
  for (const platform::ProcessEntry& process : context.processes) {
    if (process.ours && !process.zombie && lutris::IsLutrisProcess(process)) {
      part.result = Result::Failed;
      part.text = Where(found.front()) + "\nLutris is running (process " + std::to_string(process.pid) +
                  "): close Lutris, then run this again. It writes a game's settings back whenever it saves "
                  "them. Nothing was changed in Lutris.\n";
      found.clear();
      return found;
    }
  }
  return found;
}

std::string StateOf(const SetupContext& context, const LutrisGame& found, const steam::FileSystem& files) {
  const std::string name(platform::BaseName(found.game.settings, platform::kPosixPaths));
  return StatePath(context.userFolder, "lutris-" + name.substr(0, name.size() - 4), found.game.settings, files);
}

LauncherPart Failed(std::string text) { return {Result::Failed, std::move(text), std::nullopt, {}}; }

LauncherPart Lutris::SetOne(const LutrisGame& found, const SetupContext& context,
                            const steam::FileSystem& files) const {
  const std::string where = Where(found);
  const std::string& file = found.game.settings;
  const steam::FileText read = files.Read(file, kMostSettingsBytes);
  if (!read.text) return Failed(where + "\n" + steam::Unread(file, read, kMostSettingsBytes) + ". Nothing was changed.\n");
  const lutris::PrefixCommand before = lutris::PrefixCommandOf(*read.text);
  const std::string copy = CopyPath(context, found.lutris.data);
  const steam::Splice splice = steam::PrefixWithWrapper(before.value.value_or(""), copy);
  if (!splice.problem.empty() || !before.problem.empty()) {
    return Failed(where + "Command prefix now: " + Value(before.value) + "\n\nmodpaths cannot add itself to it: " +
                  (before.problem.empty() ? splice.problem : before.problem) +
                  ". Nothing was changed. Set the game's command prefix in Lutris (Configure, System options) "
                  "so that its words are plain.\n");
  }
  const lutris::Edit edit = lutris::SetPrefixCommand(*read.text, splice.value);
  if (!edit.problem.empty()) return Failed(where + "\n" + Shown(file) + " cannot be changed: " + edit.problem + ". Nothing was changed.\n");
  const std::string statePath = StateOf(context, found, files);
  std::optional<SetupState> earlier = ReadState(statePath, files);
  if (earlier && earlier->localconfig != file) earlier.reset();
  const NextState next = AfterSetup(earlier, file, found.game.name, read.text, edit.text, before.value, copy);
  FileChanges changes;
  std::string copySaid;
  if (!PlanCopy(copy, context, files, changes, copySaid)) return Failed(where + "\n" + copySaid);
  const bool changed = edit.text != *read.text;
  if (next.writeBackup) changes.Write(file + std::string(kBackupSuffix), *read.text, "writing a backup of the game's settings");
  const std::string stateText = next.state.Text();
  if (!earlier || stateText != earlier->Text()) changes.Write(statePath, stateText, "writing the setup's record");
  if (changed) changes.WriteOver(file, edit.text, "changing Lutris' settings of the game", read.text);
  std::string said = where + "Command prefix before: " + Value(before.value) + "\n";
  if (const auto failure = changes.Apply()) return Failed(said + "\n" + FailureText(*failure));
  said += "Command prefix now:    " + splice.value + "\n\n";
  said += changed ? "Done. " + copySaid
                  : copySaid.empty() ? "It was set already: nothing changed. " : "It was set already. " + copySaid;
  said += "From the next start of the game from Lutris, " + Shown(copy) +
          " keeps the mod list up to date before the game starts.\n";
  return {Result::Done, said, std::nullopt, {}};
}

LauncherPart Lutris::RemoveOne(const LutrisGame& found, const SetupContext& context,
                               const steam::FileSystem& files) const {
  const std::string where = Where(found);
  const std::string& file = found.game.settings;
  const std::optional<std::string> text = files.ReadText(file, kMostSettingsBytes);
  if (!text) return Failed(where + "\nthere is no " + Shown(file) + " that can be read.\n");
  const std::string statePath = StateOf(context, found, files);
  const std::optional<SetupState> state = ReadState(statePath, files);
  const std::string copy = state && !state->copy.empty() ? state->copy : CopyPath(context, found.lutris.data);
  const std::string backupPath = file + std::string(kBackupSuffix);
  const std::optional<std::string> backup = files.ReadText(backupPath, kMostSettingsBytes);
  const lutris::PrefixCommand before = lutris::PrefixCommandOf(*text);
  std::string after = *text;
  const Undo undo = HowToUndo(state, text, backup);
  if (undo == Undo::Backup) {
    after = *backup;
  } else if (before.value) {
    const steam::Splice splice = steam::PrefixWithoutWrapper(*before.value, copy);
    if (!splice.problem.empty()) {
      return Failed(where + "Command prefix now: " + *before.value + "\n\nThe wrapper cannot be taken out of it: " +
                    splice.problem + ". Nothing was changed.\n");
    }
    std::optional<std::string> value = splice.value;
    if (state && !state->before && value->empty()) value.reset();  // the key setup added goes
    const lutris::Edit edit = lutris::SetPrefixCommand(*text, value);
    if (!edit.problem.empty()) return Failed(where + "\n" + Shown(file) + " cannot be changed: " + edit.problem + ".\n");
    after = edit.text;
  }
  FileChanges changes;
  if (after != *text) changes.WriteOver(file, after, "changing Lutris' settings of the game", text);
  if (!state && changes.Empty()) return {Result::NotFound, "", std::nullopt, {}};
  if (state) {
    changes.Remove(statePath, "removing the setup's record");
    if (backup) changes.Remove(backupPath, "removing the backup of the game's settings");
  }
  std::string said = where + "Command prefix before: " + Value(before.value) + "\n";
  if (const auto failure = changes.Apply()) return Failed(said + "\n" + FailureText(*failure));
  said += "Command prefix now:    " + Value(lutris::PrefixCommandOf(after).value) +
          "\n\nmodpaths no longer runs when the game starts from Lutris.";
  said += undo == Undo::Backup ? " Its settings are as they were before the setup, byte for byte.\n" : "\n";
  return {Result::Done, said, std::nullopt, {copy}};
}

}  // namespace

std::unique_ptr<Launcher> LutrisLauncher() { return std::make_unique<Lutris>(); }

}  // namespace launch
