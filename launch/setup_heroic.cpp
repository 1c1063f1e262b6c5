// Heroic's part of a setup: the game's wrapperOptions in its settings file
// start with the copy of the wrapper.

#include "heroic/heroic.h"
#include "launch/setup_launchers.h"
#include "platform/file_system.h"

namespace launch {
namespace {

using Result = LauncherPart::Result;

using heroic::kMostSettingsBytes;

struct HeroicGame {
  heroic::Heroic heroic;
  heroic::Game game;
};

std::string Wrappers(const std::optional<std::string>& settings, const std::string& appName) {
  if (!settings) return "(none)";
  const heroic::Wrappers read = heroic::WrappersOf(*settings, appName);
  std::string said;
  for (const heroic::Wrapper& wrapper : read.list)
    said += (said.empty() ? "" : "; ") + wrapper.exe + (wrapper.args.empty() ? "" : " " + wrapper.args);
  return said.empty() ? "(none)" : said;
}

std::string Where(const HeroicGame& found) {
  return "Heroic: " + Shown(found.heroic.folder) + (found.heroic.data ? " (Flatpak)" : "") + "\nGame: " +
         (found.game.title.empty() ? found.game.appName : found.game.title) + " (" + found.game.store + ", " +
         found.game.appName + "), " + Shown(found.game.installPath) + "\n";
}

class Heroic final : public PerGameLauncher<HeroicGame> {
 public:
  std::string Name() const override { return "Heroic"; }
  std::string Word() const override { return "heroic"; }
  std::vector<std::string> CopyUsers(const std::string& copy, const SetupContext& context,
                                     const steam::FileSystem& files) const override {
    std::vector<std::string> users;
    for (const heroic::Heroic& heroic : heroic::FindHeroic(context.home, files)) {
      const std::string folder = platform::JoinPath(heroic.folder, "GamesConfig", platform::kPosixPaths);
      for (const auto& [app, text] : SettingsFiles(folder, ".json", kMostSettingsBytes, files))
        for (const heroic::Wrapper& wrapper : heroic::WrappersOf(text, app).list)
          if (SameFile(wrapper.exe, copy, files)) users.push_back("Heroic's wrapper of " + app);
    }
    return users;
  }

 protected:
  std::vector<HeroicGame> Find(const SetupContext& context, const steam::FileSystem& files,
                               LauncherPart& part) const override;
  LauncherPart SetOne(const HeroicGame& found, const SetupContext& context,
                      const steam::FileSystem& files) const override;
  LauncherPart RemoveOne(const HeroicGame& found, const SetupContext& context,
                         const steam::FileSystem& files) const override;
};

// The Heroics here and their games with the mod manager, or the part that
// says there are none, or that Heroic runs.
std::vector<HeroicGame> Heroic::Find(const SetupContext& context, const steam::FileSystem& files,
                                      LauncherPart& part) const {
  std::vector<HeroicGame> found;
  const std::vector<heroic::Heroic> heroics = heroic::FindHeroic(context.home, files);
  if (heroics.empty()) {
    part.text = "Heroic was not found (no ~/.config/heroic, nor a Flatpak's).\n";
    return found;
  }
  for (const heroic::Heroic& heroic : heroics)
    for (const heroic::Game& game : heroic::InstalledGames(heroic, files))
      if (heroic::ToolFolderOf(game, files)) found.push_back({heroic, game});
  if (found.empty()) {
    part.text = "Heroic: none of its installed games holds Hollow Voyage with its mod manager.\n";
    return found;
  }
  for (const platform::ProcessEntry& process : context.processes) {
    if (process.ours && !process.zombie && heroic::IsHeroicExecutable(process.executable)) {
      part.result = Result::Failed;
      part.text = Where(found.front()) + "\nHeroic is running (process " + std::to_string(process.pid) +
                  "): close Heroic, then run this again. It writes every game's settings back from memory. "
                  "Nothing was changed in Heroic.\n";
      found.clear();
      return found;
    }
  }
  return found;
}

std::string StateOf(const SetupContext& context, const HeroicGame& found, const steam::FileSystem& files) {
  return StatePath(context.userFolder, "heroic-" + found.game.appName,
                   heroic::GamesConfigPath(found.heroic, found.game.appName), files);
}

LauncherPart Heroic::SetOne(const HeroicGame& found, const SetupContext& context,
                            const steam::FileSystem& files) const {
  const std::string where = Where(found);
  const std::string& app = found.game.appName;
  const std::string file = heroic::GamesConfigPath(found.heroic, app);
  const steam::FileText read = files.Read(file, kMostSettingsBytes);
  if (!read.text && read.tooLarge) {
    return {Result::Failed, where + "\n" + steam::Unread(file, read, kMostSettingsBytes) + ". Nothing was changed.\n",
            std::nullopt, {}};
  }
  const std::string copy = CopyPath(context, found.heroic.data);
  const heroic::Edit edit = heroic::WithWrapper(read.text, app, copy);
  if (!edit.problem.empty()) {
    return {Result::Failed, where + "\n" + Shown(file) + " cannot be changed: " + edit.problem + ". Nothing was changed.\n",
            std::nullopt, {}};
  }
  const std::string statePath = StateOf(context, found, files);
  std::optional<SetupState> earlier = ReadState(statePath, files);
  if (earlier && earlier->appId != app) earlier.reset();
  const NextState next = AfterSetup(earlier, file, app, read.text, edit.text, std::nullopt, copy);
  FileChanges changes;
  std::string copySaid;
  if (!PlanCopy(copy, context, files, changes, copySaid)) return {Result::Failed, where + "\n" + copySaid, std::nullopt, {}};
  const bool changes_ = edit.text != read.text;
  if (next.writeBackup) changes.Write(file + std::string(kBackupSuffix), *read.text, "writing a backup of the game's settings");
  const std::string stateText = next.state.Text();
  if (!earlier || stateText != earlier->Text()) changes.Write(statePath, stateText, "writing the setup's record");
  if (changes_) changes.WriteOver(file, edit.text, "changing Heroic's settings of the game", read.text);
  std::string said = where + "Wrappers before: " + Wrappers(read.text, app) + "\n";
  if (const auto failure = changes.Apply()) return {Result::Failed, said + "\n" + FailureText(*failure), std::nullopt, {}};
  // Read back with the JSON library, as Heroic will read it.
  const auto back = files.ReadText(file, kMostSettingsBytes);
  const heroic::Wrappers now = back ? heroic::WrappersOf(*back, app) : heroic::Wrappers{{}, "it is gone"};
  if (!now.problem.empty() || now.list.empty() || now.list.front().exe != copy)
    return {Result::Failed, said + "\n" + Shown(file) + " does not read back as written.\n", std::nullopt, {}};
  said += "Wrappers now:    " + Wrappers(back, app) + "\n\n";
  said += changes_ ? "Done. " + copySaid
                   : copySaid.empty() ? "It was set already: nothing changed. " : "It was set already. " + copySaid;
  said += "From the next start of the game from Heroic, " + Shown(copy) +
          " keeps the mod list up to date before the game starts.\n";
  return {Result::Done, said, std::nullopt, {}};
}

LauncherPart Heroic::RemoveOne(const HeroicGame& found, const SetupContext& context,
                               const steam::FileSystem& files) const {
  const std::string where = Where(found);
  const std::string& app = found.game.appName;
  const std::string file = heroic::GamesConfigPath(found.heroic, app);
  const std::optional<std::string> text = files.ReadText(file, kMostSettingsBytes);
  const std::string statePath = StateOf(context, found, files);
  const std::optional<SetupState> state = ReadState(statePath, files);
  const std::string copy = state && !state->copy.empty() ? state->copy : CopyPath(context, found.heroic.data);
  const std::string backupPath = file + std::string(kBackupSuffix);
  const std::optional<std::string> backup = files.ReadText(backupPath, kMostSettingsBytes);
  FileChanges changes;
  const Undo undo = HowToUndo(state, text, backup);
  std::optional<std::string> after = text;
  if (undo == Undo::Backup) {
    after = backup;
    changes.WriteOver(file, *backup, "putting Heroic's settings of the game back", text);
  } else if (undo == Undo::RemoveFile) {
    after.reset();
    changes.Remove(file, "removing the settings setup made");
  } else if (text) {
    const heroic::Edit edit = heroic::WithoutWrapper(*text, app, copy);
    if (!edit.problem.empty()) {
      return {Result::Failed, where + "\n" + Shown(file) + " cannot be changed: " + edit.problem + ". Nothing was changed.\n",
              std::nullopt, {}};
    }
    after = edit.text;
    if (edit.text != *text) changes.WriteOver(file, edit.text, "changing Heroic's settings of the game", text);
  }
  if (!state && changes.Empty()) return {Result::NotFound, "", std::nullopt, {}};
  if (state) {
    changes.Remove(statePath, "removing the setup's record");
    if (backup) changes.Remove(backupPath, "removing the backup of the game's settings");
  }
  std::string said = where + "Wrappers before: " + Wrappers(text, app) + "\n";
  if (const auto failure = changes.Apply()) return {Result::Failed, said + "\n" + FailureText(*failure), std::nullopt, {}};
  said += "Wrappers now:    " + Wrappers(after, app) + "\n\nmodpaths no longer runs when the game starts from Heroic.";
  said += undo == Undo::Backup       ? " Its settings are as they were before the setup, byte for byte.\n"
          : undo == Undo::RemoveFile ? " The settings file setup made is gone again.\n"
                                     : "\n";
  return {Result::Done, said, std::nullopt, {copy}};
}

}  // namespace

std::unique_ptr<Launcher> HeroicLauncher() { return std::make_unique<Heroic>(); }

}  // namespace launch
