#include "launch/setup_state.h"

#include <cstdio>

#include "platform/digest.h"
#include "platform/path_style.h"
#include "steam/key_values.h"

namespace launch {
namespace {

constexpr size_t kMostStateBytes = 64u << 10;

struct Writer {
  std::string text = "\"modpaths\"\n{\n";
  void Put(const char* key, const std::string& value) {
    text += "\t" + steam::QuoteKeyValue(key) + "\t\t" + steam::QuoteKeyValue(value) + "\n";
  }
  void operator()(const char* key, const std::string& value) {
    if (!value.empty()) Put(key, value);
  }
  void operator()(const char* key, const std::optional<std::string>& value) {
    if (value) Put(key, *value);
  }
  void operator()(const char* key, const std::optional<uint64_t>& value) {
    if (value) Put(key, std::to_string(*value));
  }
};

struct Reader {
  const steam::KeyValue block;
  bool ok = true;
  void operator()(const char* key, std::string& value) { value = block.ValueOf(key).value_or(""); }
  void operator()(const char* key, std::optional<std::string>& value) { value = block.ValueOf(key); }
  void operator()(const char* key, std::optional<uint64_t>& value) {
    const std::optional<std::string> text = block.ValueOf(key);
    if (!text) return;
    if (text->empty() || text->size() > 20 || text->find_first_not_of("0123456789") != std::string::npos) {
      ok = false;
      return;
    }
    value = std::stoull(*text);
  }
};

}  // namespace

std::string SetupState::Text() const {
  Writer writer;
  Fields(*this, writer);
  return writer.text + "}\n";
}

std::optional<SetupState> SetupState::Read(std::string_view text) {
  const steam::KeyValueText read = steam::ParseKeyValues(text);
  const std::optional<steam::KeyValue> block = read.root().Find("modpaths");
  if (!read.Read() || !block || !block->isBlock()) return std::nullopt;
  SetupState state;
  Reader reader{*block};
  Fields(state, reader);
  if (!reader.ok || state.localconfig.empty() || state.appId.empty()) return std::nullopt;
  return state;
}

std::string StatePath(const std::string& folder, const std::string& name,
                      const std::string& localconfig, const steam::FileSystem& files) {
  // A name of the launcher's own may hold anything: kept to what any file
  // system takes.
  std::string accountId;
  for (const char c : name)
    accountId += (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '_' ? c : '_';
  const std::string first = platform::JoinPath(folder, "setup-" + accountId + ".vdf", platform::kNativePaths);
  const auto text = files.ReadText(first, kMostStateBytes);
  const auto state = text ? SetupState::Read(*text) : std::nullopt;
  if (!state || platform::SameLetters(state->localconfig, localconfig)) return first;
  char digest[17];
  std::snprintf(digest, sizeof digest, "%016llx",
                static_cast<unsigned long long>(platform::DigestOf(localconfig)));
  return platform::JoinPath(folder, "setup-" + accountId + "-" + digest + ".vdf", platform::kNativePaths);
}

std::vector<std::pair<std::string, SetupState>> AllStates(const std::string& folder,
                                                          const steam::FileSystem& files) {
  std::vector<std::pair<std::string, SetupState>> states;
  const auto entries = files.List(folder);
  if (!entries) return states;
  for (const platform::DirectoryEntry& entry : *entries) {
    const std::string_view name = entry.name;
    if (entry.isFolder || name.substr(0, 6) != "setup-" || name.size() < 10 ||
        name.substr(name.size() - 4) != ".vdf") {
      continue;
    }
    const std::string path = platform::JoinPath(folder, entry.name, platform::kNativePaths);
    const auto text = files.ReadText(path, kMostStateBytes);
    if (auto state = text ? SetupState::Read(*text) : std::nullopt) states.emplace_back(path, std::move(*state));
  }
  return states;
}

}  // namespace launch
