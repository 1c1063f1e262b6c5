#include "launch/steam.h"

#include <vector>

#include "app/paths.h"
#include "platform/platform.h"

namespace launch {
namespace {

using modpaths::SameLetters;

// Below a user's folder in a prefix: the game's own folder, which tells
// the user who plays it.
constexpr std::string_view kGameSaves = "/Saved Games/Corvane/HollowVoyage";

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

// One word of a manifest: a brace, or a quoted or bare string.
struct Token {
  enum Kind { Word, Open, Close, End } kind;
  std::string text;
};

Token NextToken(std::string_view text, size_t& at) {
  for (;;) {
    while (at < text.size() && IsSpace(text[at])) ++at;
    if (text.compare(at, 2, "//") != 0) break;
    at = text.find('\n', at);
    if (at == std::string_view::npos) at = text.size();
  }
  if (at >= text.size()) return {Token::End, {}};
  if (text[at] == '{' || text[at] == '}') return {text[at++] == '{' ? Token::Open : Token::Close, {}};
  Token word{Token::Word, {}};
  if (text[at] == '"') {
    for (++at; at < text.size() && text[at] != '"'; ++at) {
      if (text[at] == '\\' && at + 1 < text.size()) {
        const char escaped = text[++at];
        word.text += escaped == 'n' ? '\n' : escaped == 't' ? '\t' : escaped;
      } else {
        word.text += text[at];
      }
    }
    ++at;
  } else {
    while (at < text.size() && !IsSpace(text[at]) && text[at] != '"' && text[at] != '{' &&
           text[at] != '}') {
      word.text += text[at++];
    }
  }
  return word;
}

std::optional<std::string> ReadText(const std::string& path) {
  platform::File file;
  if (!file.Open(path, platform::FileMode::Read)) return std::nullopt;
  std::string text;
  char buffer[4096];
  for (int64_t got; (got = file.Read(buffer, sizeof buffer)) > 0;)
    text.append(buffer, static_cast<size_t>(got));
  return text;
}

// The app id of the manifest in `steamapps` whose installdir is the game's.
std::optional<std::string> AppIdOf(const SteamGame& game) {
  const auto entries = platform::ListFolder(game.steamapps);
  if (!entries) return std::nullopt;
  const std::string_view prefix = "appmanifest_", suffix = ".acf";
  for (const platform::DirectoryEntry& entry : *entries) {
    const std::string_view name = entry.name;
    if (entry.isFolder || name.size() <= prefix.size() + suffix.size() ||
        !SameLetters(name.substr(0, prefix.size()), prefix) ||
        !SameLetters(name.substr(name.size() - suffix.size()), suffix)) {
      continue;
    }
    const auto manifest = ReadText(game.steamapps + "/" + entry.name);
    if (!manifest) continue;
    const auto installDir = ManifestValue(*manifest, "installdir");
    if (installDir && SameLetters(*installDir, game.installDir)) {
      return std::string(name.substr(prefix.size(), name.size() - prefix.size() - suffix.size()));
    }
  }
  return std::nullopt;
}

}  // namespace

std::optional<SteamGame> SteamGameOf(std::string_view path) {
  // Each component, with where it starts.
  std::vector<std::pair<size_t, std::string_view>> parts;
  for (size_t start = 0; start <= path.size();) {
    size_t end = path.find('/', start);
    if (end == std::string_view::npos) end = path.size();
    if (end > start) parts.emplace_back(start, path.substr(start, end - start));
    start = end + 1;
  }
  for (size_t i = parts.size(); i-- > 2;) {
    if (SameLetters(parts[i - 2].second, "steamapps") && SameLetters(parts[i - 1].second, "common")) {
      const auto& steamapps = parts[i - 2];
      return SteamGame{std::string(path.substr(0, steamapps.first + steamapps.second.size())),
                       std::string(parts[i].second)};
    }
  }
  return std::nullopt;
}

std::optional<std::string> ManifestValue(std::string_view manifest, std::string_view key) {
  size_t at = 0;
  int depth = 0;
  std::optional<std::string> pending;  // a key waiting for its value
  for (Token token = NextToken(manifest, at); token.kind != Token::End;
       token = NextToken(manifest, at)) {
    if (token.kind != Token::Word) {
      depth += token.kind == Token::Open ? 1 : -1;
      if (depth < 0) return std::nullopt;
      pending.reset();
    } else if (!pending) {
      pending = std::move(token.text);
    } else if (depth == 1 && SameLetters(*pending, key)) {
      return token.text;
    } else {
      pending.reset();
    }
  }
  return std::nullopt;
}

namespace {

bool FolderIn(const std::string& path) { return platform::IsFolder(platform::FindCaseless(path)); }

// The user's folder in the prefix that holds the game's saves, by the
// rule above; nothing when none does.
std::optional<std::string> UserHoldingSaves(const std::string& users, const EnvironmentLookup& env) {
  if (FolderIn(users + "/steamuser" + std::string(kGameSaves))) return users + "/steamuser";
  for (const char* variable : {"USER", "LOGNAME"}) {
    const std::optional<std::string> name = env(variable);
    if (name && !name->empty() && name->find('/') == std::string::npos && FolderIn(users + "/" + *name))
      return users + "/" + *name;
  }
  std::optional<std::string> only;
  if (const auto entries = platform::ListFolder(platform::FindCaseless(users))) {
    for (const platform::DirectoryEntry& entry : *entries) {
      if (!entry.isFolder || SameLetters(entry.name, "Public") ||
          !FolderIn(users + "/" + entry.name + std::string(kGameSaves))) {
        continue;
      }
      if (only) return std::nullopt;  // two players: no one's is the only one
      only = users + "/" + entry.name;
    }
  }
  return only;
}

bool HoldsSaves(const std::string& users, const EnvironmentLookup& env) {
  const auto user = UserHoldingSaves(users, env);
  return user && FolderIn(*user + std::string(kGameSaves));
}

std::string SavedGamesIn(const std::string& prefix, const EnvironmentLookup& env) {
  const std::string users = prefix + "/drive_c/users";
  return UserHoldingSaves(users, env).value_or(users + "/steamuser") + "/Saved Games";
}

}  // namespace

SavedGamesLookup PrefixSavedGames(const std::string& toolFolder, const EnvironmentLookup& env) {
  std::vector<std::pair<std::string, std::string>> prefixes;  // folder, its source
  auto given = [&](const char* name) {
    std::optional<std::string> value = env(name);
    if (value) {
      while (value->size() > 1 && value->back() == '/') value->pop_back();
    }
    return value && !value->empty() ? value : std::nullopt;
  };
  if (const auto data = given("STEAM_COMPAT_DATA_PATH")) {
    prefixes.emplace_back(*data + "/pfx", "STEAM_COMPAT_DATA_PATH");
    prefixes.emplace_back(*data, "STEAM_COMPAT_DATA_PATH");
  }
  if (const auto wine = given("WINEPREFIX")) prefixes.emplace_back(*wine, "WINEPREFIX");
  for (const auto& [prefix, source] : prefixes) {
    if (HoldsSaves(prefix + "/drive_c/users", env)) return {SavedGamesIn(prefix, env), {}, source};
  }
  for (const auto& [prefix, source] : prefixes) {
    if (FolderIn(prefix + "/drive_c")) return {SavedGamesIn(prefix, env), {}, source};
  }
  SavedGamesLookup lookup;
  if (!prefixes.empty()) {
    lookup.why = "neither STEAM_COMPAT_DATA_PATH nor WINEPREFIX names a Wine prefix (a folder with "
                 "drive_c in it)";
  }
  const std::optional<SteamGame> game = SteamGameOf(toolFolder);
  if (!game) {
    if (lookup.why.empty()) {
      lookup.why = toolFolder + " lies in no Steam library (steamapps/common/...), and neither "
                   "STEAM_COMPAT_DATA_PATH nor WINEPREFIX, which launchers set for the game, is set";
    }
    return lookup;
  }
  std::optional<std::string> appId = env("SteamAppId");
  if (!appId || appId->empty()) appId = AppIdOf(*game);
  if (!appId) {
    lookup.why = "no app manifest in " + game->steamapps + " names the folder \"" +
                 game->installDir + "\", and SteamAppId is not set";
    return lookup;
  }
  const std::string prefix = game->steamapps + "/compatdata/" + *appId + "/pfx";
  if (!FolderIn(prefix + "/drive_c")) {
    lookup.why = "there is no Proton prefix at " + prefix +
                 " yet: start the game once from Steam, so that Proton makes it";
    return lookup;
  }
  return {SavedGamesIn(prefix, env), {}, "the Steam library"};
}

}  // namespace launch
