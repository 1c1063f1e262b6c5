#include "steam/launch_options.h"

#include <algorithm>
#include <vector>

#include "app/paths.h"
#include "steam/key_values.h"

namespace steam {
namespace {

constexpr std::string_view kCommand = "%command%";
constexpr std::string_view kKey = "LaunchOptions";

bool HasControl(std::string_view value) {
  for (const char c : value)
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) return true;
  return false;
}

// Steam's own apps block of one account, and the game's block in it.
struct Place {
  KeyValueText read;
  const KeyValue* apps = nullptr;
  const KeyValue* game = nullptr;
  const KeyValue* value = nullptr;
  std::string problem;
};

Place Find(std::string_view text, std::string_view appId) {
  Place place;
  place.read = ParseKeyValues(text);
  if (!place.read.Read()) {
    place.problem = "localconfig.vdf does not read whole: " + place.read.problem + " (byte " +
                    std::to_string(place.read.problemAt) + ")";
    return place;
  }
  const KeyValue* at = &place.read.root;
  for (const char* key : {"UserLocalConfigStore", "Software", "Valve", "Steam", "apps"}) {
    at = at->Find(key);
    if (at == nullptr || !at->isBlock) {
      place.problem = "localconfig.vdf has no UserLocalConfigStore/Software/Valve/Steam/apps block";
      return place;
    }
  }
  place.apps = at;
  place.game = at->Find(appId);
  if (place.game != nullptr && !place.game->isBlock) {
    place.problem = "the game's entry in localconfig.vdf is no block";
    return place;
  }
  if (place.game != nullptr) place.value = place.game->Find(kKey);
  if (place.value != nullptr && place.value->isBlock) place.problem = "LaunchOptions is a block";
  return place;
}

std::string Replace(std::string_view text, ByteRange range, std::string_view with) {
  return std::string(text.substr(0, range.begin)) + std::string(with) +
         std::string(text.substr(range.end));
}

// The white space that starts the line holding byte `at`, when only white
// space stands before it there; nothing otherwise.
std::optional<std::pair<size_t, std::string>> LineStart(std::string_view text, size_t at) {
  size_t start = at;
  while (start > 0 && (text[start - 1] == '\t' || text[start - 1] == ' ')) --start;
  if (start > 0 && text[start - 1] != '\n') return std::nullopt;
  return std::make_pair(start, std::string(text.substr(start, at - start)));
}

// `lines` (each ending in a line break, indented one step more than the
// block's braces) put before the closing brace of `block`.
std::string InsertInBlock(std::string_view text, const KeyValue& block,
                          const std::vector<std::string>& lines) {
  const size_t brace = block.valueRange.end - 1;
  if (const auto line = LineStart(text, brace)) {
    std::string added;
    for (const std::string& entry : lines) added += line->second + "\t" + entry + "\n";
    return std::string(text.substr(0, line->first)) + added + std::string(text.substr(line->first));
  }
  std::string added;
  for (const std::string& entry : lines) added += " " + entry;
  return std::string(text.substr(0, brace)) + added + " " + std::string(text.substr(brace));
}

}  // namespace

std::string WrapperWord(std::string_view wrapperPath, bool posix) {
  std::string word = "\"";
  for (const char c : wrapperPath) {
    if (posix && (c == '"' || c == '\\' || c == '$' || c == '`')) word += '\\';
    word += c;
  }
  return word + "\"";
}

std::optional<std::pair<size_t, size_t>> WrapperIn(std::string_view value) {
  for (size_t at = 0; at < value.size();) {
    while (at < value.size() && value[at] == ' ') ++at;
    if (at >= value.size()) break;
    size_t end;
    std::string_view inside;
    if (value[at] == '"') {
      // To the closing quote, past the shell's escapes; or to the end.
      end = at + 1;
      while (end < value.size() && value[end] != '"') end += value[end] == '\\' ? size_t{2} : size_t{1};
      end = std::min(end, value.size());
      inside = value.substr(at + 1, end - at - 1);
      if (end < value.size()) ++end;  // the closing quote
    } else {
      end = value.find(' ', at);
      if (end == std::string_view::npos) end = value.size();
      inside = value.substr(at, end - at);
    }
    const size_t slash = inside.find_last_of("/\\");
    const std::string_view name = slash == std::string_view::npos ? inside : inside.substr(slash + 1);
    if (modpaths::SameLetters(name, "modpaths-launch") ||
        modpaths::SameLetters(name, "modpaths-launch.exe")) {
      return std::make_pair(at, end);
    }
    at = end;
  }
  return std::nullopt;
}

std::string WithWrapper(std::string_view value, std::string_view word) {
  if (const auto older = WrapperIn(value)) {
    return std::string(value.substr(0, older->first)) + std::string(word) +
           std::string(value.substr(older->second));
  }
  const size_t command = value.find(kCommand);
  if (command != std::string_view::npos) {
    return std::string(value.substr(0, command)) + std::string(word) + " " +
           std::string(value.substr(command));
  }
  size_t start = 0;
  while (start < value.size() && value[start] == ' ') ++start;
  if (start == value.size()) return std::string(word) + " " + std::string(kCommand);
  return std::string(word) + " " + std::string(kCommand) + " " + std::string(value.substr(start));
}

std::optional<std::string> LaunchOptionsOf(std::string_view localconfig, std::string_view appId,
                                           std::string* why) {
  const Place place = Find(localconfig, appId);
  if (!place.problem.empty()) {
    if (why) *why = place.problem;
    return std::nullopt;
  }
  if (place.value == nullptr) return std::nullopt;
  return place.value->value;
}

LaunchOptionsEdit AddWrapper(std::string_view localconfig, std::string_view appId,
                             std::string_view word) {
  LaunchOptionsEdit edit;
  edit.text = std::string(localconfig);
  const Place place = Find(localconfig, appId);
  if (!place.problem.empty()) {
    edit.problem = place.problem;
    return edit;
  }
  if (place.value != nullptr) {
    edit.before = place.value->value;
    if (HasControl(*edit.before)) {
      edit.problem = "the game's launch options hold a line break or other control character";
      return edit;
    }
  }
  edit.after = WithWrapper(edit.before.value_or(std::string()), word);
  if (HasControl(edit.after)) {
    edit.problem = "the wrapper's path holds a control character";
    return edit;
  }
  if (edit.before && *edit.before == edit.after) return edit;  // set already
  const std::string quoted = QuoteKeyValue(edit.after);
  if (place.value != nullptr) {
    edit.text = Replace(localconfig, place.value->valueRange, quoted);
  } else if (place.game != nullptr) {
    edit.text = InsertInBlock(localconfig, *place.game, {"\"LaunchOptions\"\t\t" + quoted});
  } else {
    const std::string id = QuoteKeyValue(appId);
    edit.text = InsertInBlock(localconfig, *place.apps,
                              {id, "{", "\t\"LaunchOptions\"\t\t" + quoted, "}"});
  }
  edit.changed = true;
  return edit;
}

LaunchOptionsEdit PutBack(std::string_view localconfig, std::string_view appId,
                          const std::optional<std::string>& before) {
  LaunchOptionsEdit edit;
  edit.text = std::string(localconfig);
  edit.before = before;
  const Place place = Find(localconfig, appId);
  if (!place.problem.empty()) {
    edit.problem = place.problem;
    return edit;
  }
  if (place.value == nullptr) {
    // Already gone, or never set: nothing of ours stands there.
    return edit;
  }
  edit.after = before.value_or(std::string());
  if (before) {
    if (place.value->value == *before) return edit;
    edit.text = Replace(localconfig, place.value->valueRange, QuoteKeyValue(*before));
  } else {
    // The line added, white space and line break included.
    ByteRange line{place.value->keyRange.begin, place.value->valueRange.end};
    if (const auto start = LineStart(localconfig, line.begin);
        start && line.end < localconfig.size() && localconfig[line.end] == '\n') {
      line = {start->first, line.end + 1};
    }
    edit.text = Replace(localconfig, line, "");
  }
  edit.changed = true;
  return edit;
}

}  // namespace steam
