#pragma once

// What setup shares among the launchers it sets up (setup_steam.cpp,
// setup_heroic.cpp, setup_lutris.cpp): each launcher plans its own files
// and applies them alone, so that one that runs, or fails, leaves the
// others set; the copy of the wrapper is theirs together.

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "launch/file_changes.h"
#include "launch/setup.h"
#include "launch/setup_state.h"

namespace launch {

// One launcher's part in a setup or a removal, said as a section of its own.
struct LauncherPart {
  enum class Result { Done, NotFound, Failed } result = Result::NotFound;
  std::string text;
  std::optional<SetupRequest> offer;  // another account, offered
  std::vector<std::string> copies;    // the copies of the wrapper it stopped naming (--remove)
};

class Launcher {
 public:
  virtual ~Launcher() = default;
  virtual std::string Name() const = 0;  // as the player knows it: "Steam"
  virtual std::string Word() const = 0;  // as --launcher names it: "steam"
  virtual LauncherPart Set(const SetupRequest& request, const SetupContext& context,
                           const steam::FileSystem& files) const = 0;
  virtual LauncherPart Remove(const SetupRequest& request, const SetupContext& context,
                              const steam::FileSystem& files) const = 0;
  // What in this launcher's files still runs `copy`, in words.
  virtual std::vector<std::string> CopyUsers(const std::string& copy, const SetupContext& context,
                                             const steam::FileSystem& files) const = 0;
};

// The parts of a launcher's several games, as one.
LauncherPart Joined(const std::vector<LauncherPart>& parts);

// A launcher whose setting is each game's own (Heroic, Lutris): found, set
// and taken out game by game. `Found` is one game as the launcher keeps it.
template <class Found>
class PerGameLauncher : public Launcher {
 public:
  LauncherPart Set(const SetupRequest&, const SetupContext& context,
                   const steam::FileSystem& files) const override {
    LauncherPart part;
    std::vector<LauncherPart> parts;
    for (const Found& game : Find(context, files, part)) parts.push_back(SetOne(game, context, files));
    return parts.empty() ? part : Joined(parts);
  }
  LauncherPart Remove(const SetupRequest&, const SetupContext& context,
                      const steam::FileSystem& files) const override {
    LauncherPart part;
    std::vector<LauncherPart> parts;
    for (const Found& game : Find(context, files, part)) parts.push_back(RemoveOne(game, context, files));
    if (parts.empty()) return part;
    LauncherPart joined = Joined(parts);
    if (joined.text.empty()) joined.text = Name() + ": modpaths was not set up in it. Nothing was changed.\n";
    return joined;
  }

 protected:
  // The games with the mod manager; none, with `part` saying why (none
  // there, or the launcher runs).
  virtual std::vector<Found> Find(const SetupContext& context, const steam::FileSystem& files,
                                  LauncherPart& part) const = 0;
  virtual LauncherPart SetOne(const Found& game, const SetupContext& context,
                              const steam::FileSystem& files) const = 0;
  virtual LauncherPart RemoveOne(const Found& game, const SetupContext& context,
                                 const steam::FileSystem& files) const = 0;
};

// The texts of the files in `folder` whose names end in `suffix` (of
// `most` bytes at most), each with its name without the suffix: a
// launcher's games' settings.
std::vector<std::pair<std::string, std::string>> SettingsFiles(const std::string& folder, std::string_view suffix,
                                                               size_t most, const steam::FileSystem& files);

// The launchers this system's setup knows, in the order it sets them up.
std::vector<std::unique_ptr<Launcher>> Launchers();
std::unique_ptr<Launcher> SteamLauncher();
std::unique_ptr<Launcher> HeroicLauncher();
std::unique_ptr<Launcher> LutrisLauncher();

// The game's Binaries/Win64 as Heroic or Lutris name it to a wrapper they
// start (HEROIC_APP_NAME, GAME_DIRECTORY); nothing where they are not.
std::optional<std::string> ToolFolderOfOtherLaunchers(const CommandEnvironment& environment,
                                                      const std::string& home, const steam::FileSystem& files);

std::string Shown(const std::string& path);
// A launch option's or setting's value as said: "(none)", "(empty)".
std::string Value(const std::optional<std::string>& value);
bool SameFile(const std::string& a, const std::string& b, const steam::FileSystem& files);
std::string FailureText(const FileChanges::Failure& failure);

// Where the copy of the wrapper lies for a launcher: in the per-user
// folder, or in a sandboxed launcher's own data folder, the one it sees.
std::string CopyPath(const SetupContext& context, const std::optional<std::string>& sandboxData);

// The copy planned into `changes`, unless it is in place already (the same
// bytes, or this program is the copy); `said` tells what was done. False,
// with the reason in `said`, when this program's own file cannot be read.
bool PlanCopy(const std::string& copy, const SetupContext& context, const steam::FileSystem& files,
              FileChanges& changes, std::string& said);

std::optional<SetupState> ReadState(const std::string& path, const steam::FileSystem& files);

// The state after a setup that replaces the launcher's file `current`
// (nothing: none there) by `next`: what stood there before the first setup
// is kept while a setup stands, and the first backup only while nothing but
// setup changed the file. `writeBackup`: the backup to write now.
struct NextState {
  SetupState state;
  bool writeBackup = false;
};
NextState AfterSetup(const std::optional<SetupState>& earlier, const std::string& file, const std::string& app,
                     const std::optional<std::string>& current, const std::string& next,
                     const std::optional<std::string>& before, const std::string& copy);

// How --remove gives the launcher's file back: byte for byte from the
// first backup, or by removing the file setup made, when nothing but setup
// changed it since; else by taking the wrapper out of it as it is now.
enum class Undo { Backup, RemoveFile, TakeOut };
Undo HowToUndo(const std::optional<SetupState>& state, const std::optional<std::string>& current,
               const std::optional<std::string>& backup);

}  // namespace launch
