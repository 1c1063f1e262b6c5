#include "inspect/game.h"

#include <vector>

#include "platform/file_system.h"
#include "steam/this_machine.h"

namespace inspect {
namespace {

using platform::kNativePaths;

std::optional<modpaths::GameFolders> Resolve(const std::string& folder) {
  return modpaths::ResolveGameFolder(folder, kNativePaths, platform::IsFolder);
}

// The game nearest to `path`: a folder it lies in (the paks folder's own
// subfolders are no game's), else one or two folders below it, as in a
// Steam library's common\Hollow Voyage\HollowVoyage. Empty when none is.
std::string NearestGame(const std::string& path) {
  for (std::string folder(platform::ParentFolder(path, kNativePaths)); !folder.empty();) {
    if (const auto game = Resolve(folder)) return game->game;
    const std::string parent(platform::ParentFolder(folder, kNativePaths));
    if (parent == folder) break;
    folder = parent;
  }
  std::vector<std::string> level{path};
  for (int depth = 0; depth < 2; ++depth) {
    std::vector<std::string> below;
    for (const std::string& folder : level) {
      const auto entries = platform::ListFolder(folder);
      if (!entries) continue;
      for (const platform::DirectoryEntry& entry : *entries) {
        if (!entry.isFolder) continue;
        below.push_back(folder + kNativePaths.separator + entry.name);
        if (const auto game = Resolve(below.back())) return game->game;
      }
    }
    level = std::move(below);
  }
  return {};
}

std::string Example(const std::string& near) {
  const std::string example = near.empty() ? platform::InStyle(
                                                 "D:/SteamLibrary/steamapps/common/Hollow "
                                                 "Voyage/HollowVoyage",
                                                 kNativePaths)
                                           : near;
  return "give the game's folder (the one holding Binaries and Content), e.g. \"" + example + "\"";
}

}  // namespace

std::optional<std::string> DefaultSave() {
  const std::optional<std::string> savedGames = platform::SavedGamesFolder();
  if (!savedGames) return std::nullopt;
  return modpaths::OutputPathFor(*savedGames, kNativePaths);
}

std::optional<modpaths::GameFolders> FindGame(const std::optional<std::string>& given, Json& doc) {
  const std::string paksName = platform::InStyle("Content/Paks", kNativePaths);
  if (given) {
    doc["folder"] = *given;
    if (!platform::IsFolder(*given)) {
      if (platform::PathExists(*given)) {
        Problems::PutError(doc, "not-a-game-folder",
                           *given + " is a file: " + Example(NearestGame(*given)));
      } else {
        const std::string near = NearestGame(*given);
        Problems::PutError(doc, "no-such-folder",
                           *given + " does not exist" + (near.empty() ? "" : ": " + Example(near)));
      }
      return std::nullopt;
    }
    if (auto game = Resolve(*given)) return game;
    Problems::PutError(doc, "not-a-game-folder",
                       "no " + paksName + " in " + *given + ": " + Example(NearestGame(*given)));
    return std::nullopt;
  }
  // The game around the inspector, as modpaths finds its own; else the
  // current folder's.
  std::optional<modpaths::GameFolders> game;
  const std::string own = modpaths::GetExecutableDirectory();
  if (!own.empty()) game = Resolve(own);
  if (!game) {
    if (const auto current = platform::CurrentFolder()) game = Resolve(*current);
  }
  // Else the game in Steam's libraries, as modpaths-launch --setup finds it.
  if (!game) {
    if (const auto tools = steam::ToolFolderInSteam()) game = Resolve(*tools);
  }
  doc["folder"] = game ? Json(game->game) : Json(nullptr);
  if (game) return game;
  const std::string tools = platform::InStyle("Binaries/Win64", kNativePaths);
  if (own.find("Binaries") != std::string::npos) {
    // Where modpaths.exe would look from here: nothing is there either.
    Problems::PutError(doc, "no-game-folder",
                       "no game here: " + modpaths::PaksFolderFor(own, kNativePaths) +
                           ", where modpaths.exe beside this program looks for mods, does not "
                           "exist; if this is no game's " +
                           tools + ", " + Example(NearestGame(own)));
  } else {
    Problems::PutError(doc, "no-game-folder",
                       "no game here: " + Example(NearestGame(own.empty() ? "." : own)) +
                           ", or put modpaths-inspect beside modpaths.exe in the game's " + tools);
  }
  return std::nullopt;
}

}  // namespace inspect
