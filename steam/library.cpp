#include "steam/library.h"

#include <vector>

#include "platform/path_style.h"
#include "steam/key_values.h"

namespace steam {
namespace {

using platform::SameLetters;

// An app id: a number, as Steam's are (32 bits).
bool IsAppId(std::string_view text) {
  return !text.empty() && text.size() <= 10 && text.find_first_not_of("0123456789") == std::string_view::npos &&
         (text.size() < 10 || text <= "4294967295");
}

constexpr uint64_t kFullyInstalled = 4;

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

std::optional<std::string> ManifestValue(std::string_view manifest, std::string_view key,
                                         std::string* why) {
  const KeyValueText text = ParseKeyValues(manifest);
  if (!text.Read()) {
    if (why) *why = text.problem + " (byte " + std::to_string(text.problemAt) + ")";
    return std::nullopt;
  }
  const std::optional<KeyValue> state = text.root().Find("AppState");
  if (!state || !state->isBlock()) {
    if (why) *why = "there is no AppState block";
    return std::nullopt;
  }
  return state->ValueOf(key);
}

std::vector<AppManifest> InstalledApps(const std::string& steamapps, const FileSystem& files) {
  std::vector<AppManifest> manifests;
  const auto entries = files.List(steamapps);
  if (!entries) return manifests;
  const std::string_view prefix = "appmanifest_", suffix = ".acf";
  for (const platform::DirectoryEntry& entry : *entries) {
    const std::string_view name = entry.name;
    if (entry.isFolder || name.size() <= prefix.size() + suffix.size() ||
        !SameLetters(name.substr(0, prefix.size()), prefix) ||
        !SameLetters(name.substr(name.size() - suffix.size()), suffix)) {
      continue;
    }
    const std::string_view id = name.substr(prefix.size(), name.size() - prefix.size() - suffix.size());
    if (!IsAppId(id)) continue;
    const auto manifest = files.ReadText(platform::JoinPath(steamapps, entry.name, platform::kEitherPaths),
                                         kMostListBytes);
    if (!manifest) continue;
    const KeyValueText text = ParseKeyValues(*manifest);
    const std::optional<KeyValue> state = text.root().Find("AppState");
    if (!text.Read() || !state || !state->isBlock()) continue;
    const std::optional<std::string> installDir = state->ValueOf("installdir");
    const std::optional<std::string> flags = state->ValueOf("StateFlags");
    if (state->ValueOf("appid") != id || !installDir || installDir->empty() || !flags ||
        flags->empty() || flags->size() > 10 ||
        flags->find_first_not_of("0123456789") != std::string::npos ||
        (std::stoull(*flags) & kFullyInstalled) == 0) {
      continue;
    }
    manifests.push_back({std::string(id), *installDir});
  }
  return manifests;
}

std::optional<std::string> AppIdOf(const SteamGame& game, const FileSystem& files) {
  for (const AppManifest& manifest : InstalledApps(game.steamapps, files))
    if (SameLetters(manifest.installDir, game.installDir)) return manifest.appId;
  return std::nullopt;
}

}  // namespace steam
