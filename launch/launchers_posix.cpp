// The launchers setup knows on Linux: Steam, Heroic and Lutris.

#include <deque>

#include "heroic/heroic.h"
#include "launch/setup_launchers.h"
#include "lutris/game_database.h"
#include "lutris/lutris.h"
#include "platform/path_style.h"
#include "steam/launch_options.h"

namespace launch {
namespace {

// A search below a launcher's game folder (a Wine prefix's drive_c holds
// the game a few folders down) ends after this many folders.
constexpr size_t kMostFoldersSearched = 20000;
constexpr size_t kDeepestSearched = 6;

std::optional<std::string> ToolsIn(const std::string& folder, const steam::FileSystem& files) {
  const std::string tools = platform::JoinPath(folder, "HollowVoyage/Binaries/Win64", platform::kPosixPaths);
  if (files.Exists(tools + "/SourceSave.sav")) return tools;
  return std::nullopt;
}

// The game's tool folder below `root`, breadth first, links not followed.
std::optional<std::string> SearchBelow(const std::string& root, const steam::FileSystem& files) {
  std::deque<std::pair<std::string, size_t>> folders{{root, 0}};
  for (size_t seen = 0; !folders.empty() && seen < kMostFoldersSearched; ++seen) {
    const auto [folder, depth] = folders.front();
    folders.pop_front();
    if (auto tools = ToolsIn(folder, files)) return tools;
    if (depth >= kDeepestSearched) continue;
    if (const auto entries = files.List(folder)) {
      for (const platform::DirectoryEntry& entry : *entries)
        if (entry.isFolder && !entry.isLink) folders.emplace_back(folder + "/" + entry.name, depth + 1);
    }
  }
  return std::nullopt;
}

}  // namespace

std::vector<std::unique_ptr<Launcher>> Launchers() {
  std::vector<std::unique_ptr<Launcher>> launchers;
  launchers.push_back(SteamLauncher());
  launchers.push_back(HeroicLauncher());
  launchers.push_back(LutrisLauncher());
  return launchers;
}

std::optional<std::string> ToolFolderOfOtherLaunchers(const CommandEnvironment& environment,
                                                      const std::string& home, const steam::FileSystem& files) {
  if (environment.heroicAppName && !environment.heroicAppName->empty()) {
    for (const heroic::Heroic& heroic : heroic::FindHeroic(home, files)) {
      for (const heroic::Game& game : heroic::InstalledGames(heroic, files)) {
        if (game.appName != *environment.heroicAppName) continue;
        if (auto tools = heroic::ToolFolderOf(game, files)) return tools;
      }
    }
  }
  if (environment.gameDirectory && !environment.gameDirectory->empty() && environment.gameDirectory->front() == '/')
    return SearchBelow(*environment.gameDirectory, files);
  return std::nullopt;
}

std::vector<LauncherWrapper> OtherLaunchersWrappers(const std::string& home, const steam::FileSystem& files) {
  std::vector<LauncherWrapper> found;
  for (const heroic::Heroic& heroic : heroic::FindHeroic(home, files)) {
    for (const heroic::Game& game : heroic::InstalledGames(heroic, files)) {
      if (!heroic::ToolFolderOf(game, files)) continue;
      LauncherWrapper entry{"Heroic", game.title.empty() ? game.appName : game.title,
                            heroic::GamesConfigPath(heroic, game.appName), "", "", true};
      const auto text = files.ReadText(entry.file, heroic::kMostSettingsBytes);
      for (const heroic::Wrapper& wrapper : text ? heroic::WrappersOf(*text, game.appName).list
                                                 : std::vector<heroic::Wrapper>{}) {
        entry.setting += (entry.setting.empty() ? "" : "; ") + wrapper.exe +
                         (wrapper.args.empty() ? "" : " " + wrapper.args);
        if (entry.wrapper.empty() && steam::NamesWrapper(wrapper.exe)) {
          entry.wrapper = wrapper.exe;
          entry.plain = !wrapper.exe.empty() && wrapper.exe[0] == '/';
        }
      }
      found.push_back(std::move(entry));
    }
  }
  for (const lutris::Lutris& install : lutris::FindLutris(home, files)) {
    for (const lutris::Game& game : lutris::FindGames(install, lutris::ReadGameDatabase(install.database), files)) {
      LauncherWrapper entry{"Lutris", game.name, game.settings, "", "", true};
      const auto text = files.ReadText(game.settings, lutris::kMostSettingsBytes);
      entry.setting = text ? lutris::PrefixCommandOf(*text).value.value_or("") : "";
      for (const platform::Word& word : platform::SplitWords(entry.setting, platform::WordRule::Shell).words) {
        if (word.isOperator || !steam::NamesWrapper(word.text)) continue;
        entry.wrapper = word.text;
        entry.plain = !word.expands && !word.text.empty() && word.text[0] == '/';
        break;
      }
      found.push_back(std::move(entry));
    }
  }
  return found;
}

}  // namespace launch
