// Which game a command is about, found by the tool's own path rules.

#include <string>

#include "app/paths.h"
#include "inspect/inspect.h"
#include "platform/platform.h"

namespace inspect {
namespace {

std::optional<modpaths::GameFolders> Resolve(const std::string& folder) {
  return modpaths::ResolveGameFolder(folder, platform::kNativePaths, platform::IsFolder);
}

// A folder just below `folder` that is a game, to name in the refusal (a
// Steam library keeps the game one folder further down).
std::string GameBelow(const std::string& folder) {
  if (const auto entries = platform::ListFolder(folder)) {
    for (const platform::DirectoryEntry& entry : *entries) {
      const std::string inner = folder + platform::kNativePaths.separator + entry.name;
      if (!entry.isFolder) continue;
      if (const auto game = Resolve(inner)) return game->game;
    }
  }
  return {};
}

}  // namespace

std::optional<modpaths::GameFolders> FindGame(const std::optional<std::string>& given, Json& doc) {
  if (given) {
    doc["folder"] = *given;
    if (!platform::IsFolder(*given)) {
      Problems::PutError(doc, "no-such-folder", *given + " does not exist");
      return std::nullopt;
    }
    if (auto game = Resolve(*given)) return game;
    const std::string below = GameBelow(*given);
    const char separator = platform::kNativePaths.separator;
    Problems::PutError(
        doc, "not-a-game-folder",
        std::string("no Content") + separator + "Paks in " + *given +
            ": give the game's folder (the one holding Binaries and Content), e.g. " +
            (below.empty()
                 ? std::string("\"D:") + separator + "Games" + separator + "Hollow Voyage\""
                 : "\"" + below + "\""));
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
  doc["folder"] = game ? Json(game->game) : Json(nullptr);
  if (!game) {
    Problems::PutError(doc, "no-game-folder",
                       "no game here: give the game's folder, or put modpaths-inspect beside "
                       "modpaths.exe in its Binaries" +
                           std::string(1, platform::kNativePaths.separator) + "Win64");
  }
  return game;
}

}  // namespace inspect
