#include "steam/library.h"

#include <vector>

#include "app/paths.h"
#include "steam/key_values.h"

namespace steam {
namespace {

using modpaths::SameLetters;

// An app manifest is a few kilobytes.
constexpr size_t kMostManifestBytes = 1u << 20;

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
  const KeyValue* state = text.root.Find("AppState");
  if (state == nullptr || !state->isBlock) {
    if (why) *why = "there is no AppState block";
    return std::nullopt;
  }
  return state->ValueOf(key);
}

std::vector<AppManifest> AppManifests(const std::string& steamapps, const FileSystem& files) {
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
    const auto manifest = files.ReadText(steamapps + "/" + entry.name, kMostManifestBytes);
    const auto installDir = manifest ? ManifestValue(*manifest, "installdir") : std::nullopt;
    if (!installDir) continue;
    manifests.push_back(
        {std::string(name.substr(prefix.size(), name.size() - prefix.size() - suffix.size())),
         *installDir});
  }
  return manifests;
}

std::optional<std::string> AppIdOf(const SteamGame& game, const FileSystem& files) {
  for (const AppManifest& manifest : AppManifests(game.steamapps, files))
    if (SameLetters(manifest.installDir, game.installDir)) return manifest.appId;
  return std::nullopt;
}

}  // namespace steam
