#include "heroic/heroic.h"

#include <nlohmann/json.hpp>

#include "platform/path_style.h"
#include "steam/launch_options.h"

namespace heroic {
namespace {

using Json = nlohmann::ordered_json;

std::string Join(std::string_view folder, std::string_view name) {
  return platform::JoinPath(folder, name, platform::kPosixPaths);
}

std::optional<Json> ReadJson(const std::string& path, const FileSystem& files) {
  const auto text = files.ReadText(path, kMostSettingsBytes);
  if (!text) return std::nullopt;
  Json doc = Json::parse(*text, nullptr, false);
  if (doc.is_discarded()) return std::nullopt;
  return doc;
}

std::string Text(const Json& object, const char* key) {
  if (!object.is_object()) return {};
  const auto found = object.find(key);
  return found != object.end() && found->is_string() ? found->get<std::string>() : std::string();
}

// As JSON.stringify(config, null, 2) writes it, with the line end the file
// ended in, if any.
std::string Written(const Json& doc, bool finalNewline) {
  return doc.dump(2, ' ', false) + (finalNewline ? "\n" : "");
}

struct Settings {
  Json doc;
  Json* wrappers = nullptr;  // the game's wrapperOptions, when there
  std::string problem;
};

Settings Read(std::string_view text, const std::string& appName, bool make) {
  Settings settings;
  settings.doc = Json::parse(text, nullptr, false);
  if (settings.doc.is_discarded() || !settings.doc.is_object()) {
    settings.problem = "it is no JSON object, as Heroic writes its settings";
    return settings;
  }
  auto game = settings.doc.find(appName);
  if (game == settings.doc.end()) {
    if (!make) return settings;
    settings.doc[appName] = Json::object();
    game = settings.doc.find(appName);
  }
  if (!game->is_object()) {
    settings.problem = "its \"" + appName + "\" is no object";
    return settings;
  }
  auto wrappers = game->find("wrapperOptions");
  if (wrappers == game->end()) {
    if (!make) return settings;
    (*game)["wrapperOptions"] = Json::array();
    wrappers = game->find("wrapperOptions");
  }
  if (!wrappers->is_array()) {
    settings.problem = "its wrapperOptions is no list";
    return settings;
  }
  settings.wrappers = &*wrappers;
  return settings;
}

bool IsOurs(const Json& entry, const std::string& wrapperPath) {
  return entry.is_object() && Text(entry, "exe") == wrapperPath;
}

}  // namespace

std::vector<Heroic> FindHeroic(const std::string& home, const FileSystem& files) {
  std::vector<Heroic> found;
  if (home.empty()) return found;
  const std::string flatpak = Join(home, ".var/app/com.heroicgameslauncher.hgl");
  for (const auto& [folder, data] : {std::pair<std::string, std::optional<std::string>>{Join(home, ".config/heroic"), std::nullopt},
                                     {Join(flatpak, "config/heroic"), flatpak}}) {
    if (files.IsFolder(folder)) found.push_back({folder, data});
  }
  return found;
}

std::vector<Game> InstalledGames(const Heroic& heroic, const FileSystem& files) {
  std::vector<Game> games;
  if (const auto epic = ReadJson(Join(heroic.folder, "legendaryConfig/legendary/installed.json"), files);
      epic && epic->is_object()) {
    for (const auto& [name, game] : epic->items())
      games.push_back({name, Text(game, "title"), "Epic", Text(game, "install_path")});
  }
  if (const auto gog = ReadJson(Join(heroic.folder, "gog_store/installed.json"), files);
      gog && gog->is_object() && gog->contains("installed") && (*gog)["installed"].is_array()) {
    for (const Json& game : (*gog)["installed"])
      games.push_back({Text(game, "appName"), Text(game, "appName"), "GOG", Text(game, "install_path")});
  }
  if (const auto amazon = ReadJson(Join(heroic.folder, "nile_config/nile/installed.json"), files);
      amazon && amazon->is_array()) {
    for (const Json& game : *amazon)
      games.push_back({Text(game, "id"), Text(game, "id"), "Amazon", Text(game, "path")});
  }
  if (const auto sideload = ReadJson(Join(heroic.folder, "sideload_apps/library.json"), files);
      sideload && sideload->is_object() && sideload->contains("games") && (*sideload)["games"].is_array()) {
    for (const Json& game : (*sideload)["games"]) {
      std::string folder = Text(game, "folder_name");
      if (folder.empty() && game.is_object() && game.contains("install"))
        folder = std::string(platform::ParentFolder(Text(game["install"], "executable"), platform::kPosixPaths));
      games.push_back({Text(game, "app_name"), Text(game, "title"), "side-loaded", folder});
    }
  }
  // A list with holes: only games that name themselves and their folder.
  std::vector<Game> named;
  for (Game& game : games)
    if (!game.appName.empty() && !game.installPath.empty()) named.push_back(std::move(game));
  return named;
}

std::optional<std::string> ToolFolderOf(const Game& game, const FileSystem& files) {
  const std::string tools = Join(game.installPath, "HollowVoyage/Binaries/Win64");
  if (!files.Exists(tools + "/SourceSave.sav")) return std::nullopt;
  return tools;
}

std::string GamesConfigPath(const Heroic& heroic, const std::string& appName) {
  return Join(heroic.folder, "GamesConfig/" + appName + ".json");
}

Wrappers WrappersOf(std::string_view settings, const std::string& appName) {
  Wrappers wrappers;
  const Settings read = Read(settings, appName, false);
  wrappers.problem = read.problem;
  if (read.wrappers == nullptr) return wrappers;
  for (const Json& entry : *read.wrappers)
    if (entry.is_object()) wrappers.list.push_back({Text(entry, "exe"), Text(entry, "args")});
  return wrappers;
}

Edit WithWrapper(const std::optional<std::string>& settings, const std::string& appName,
                 const std::string& wrapperPath) {
  Edit edit;
  if (!settings) {
    // As Heroic writes a game's settings that hold only what differs from
    // its defaults.
    Json doc = Json::object();
    doc[appName] = Json::object();
    doc[appName]["wrapperOptions"] = Json::array({Json{{"exe", wrapperPath}, {"args", ""}}});
    doc["version"] = "v0.1";
    doc["explicit"] = false;
    edit.text = Written(doc, false);
    return edit;
  }
  Settings read = Read(*settings, appName, true);
  if (!read.problem.empty()) {
    edit.problem = read.problem;
    return edit;
  }
  Json kept = Json::array({Json{{"exe", wrapperPath}, {"args", ""}}});
  for (const Json& entry : *read.wrappers) {
    if (entry.is_object() && steam::NamesWrapper(Text(entry, "exe"))) continue;  // an older one of ours
    kept.push_back(entry);
  }
  *read.wrappers = std::move(kept);
  edit.text = Written(read.doc, !settings->empty() && settings->back() == '\n');
  return edit;
}

Edit WithoutWrapper(std::string_view settings, const std::string& appName, const std::string& wrapperPath) {
  Edit edit;
  Settings read = Read(settings, appName, false);
  if (!read.problem.empty()) {
    edit.problem = read.problem;
    return edit;
  }
  if (read.wrappers == nullptr) {
    edit.text = std::string(settings);
    return edit;
  }
  Json kept = Json::array();
  for (const Json& entry : *read.wrappers)
    if (!IsOurs(entry, wrapperPath)) kept.push_back(entry);
  if (kept.size() == read.wrappers->size()) {
    edit.text = std::string(settings);
    return edit;
  }
  *read.wrappers = std::move(kept);
  edit.text = Written(read.doc, !settings.empty() && settings.back() == '\n');
  return edit;
}

bool IsHeroicExecutable(std::string_view executable) {
  return platform::BaseName(executable, platform::kPosixPaths) == "heroic";
}

}  // namespace heroic
