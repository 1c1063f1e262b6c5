#include "steam/launch_options.h"

#include "platform/path_style.h"
#include "steam/key_values.h"

namespace steam {
namespace {

using platform::SplitLine;
using platform::Word;
using platform::WordRule;

constexpr std::string_view kKey = "LaunchOptions";
constexpr const char* kPath[] = {"Software", "Valve", "Steam", "apps"};

bool HasControl(std::string_view value) {
  for (const char c : value)
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) return true;
  return false;
}

bool SamePath(std::string_view a, std::string_view b, WordRule rule) {
  return rule == WordRule::Windows ? platform::SameLetters(a, b) : a == b;
}

// `value` without [begin, end) and the blanks after it (or, at the end,
// before it).
std::string Cut(std::string_view value, size_t begin, size_t end) {
  size_t after = end;
  while (after < value.size() && (value[after] == ' ' || value[after] == '\t')) ++after;
  if (after == value.size()) {
    while (begin > 0 && (value[begin - 1] == ' ' || value[begin - 1] == '\t')) --begin;
  }
  return std::string(value.substr(0, begin)) + std::string(value.substr(after));
}

std::string Replace(std::string_view text, size_t begin, size_t end, std::string_view with) {
  return std::string(text.substr(0, begin)) + std::string(with) + std::string(text.substr(end));
}

// The line end the file uses: CRLF when its first line ends so.
std::string_view LineEnd(std::string_view text) {
  const size_t end = text.find('\n');
  return end != std::string_view::npos && end > 0 && text[end - 1] == '\r' ? "\r\n" : "\n";
}

// Where the line holding byte `at` starts, when only blanks stand before
// `at` on it, with those blanks.
std::optional<std::pair<size_t, std::string>> LineStart(std::string_view text, size_t at) {
  size_t start = at;
  while (start > 0 && (text[start - 1] == '\t' || text[start - 1] == ' ')) --start;
  if (start > 0 && text[start - 1] != '\n') return std::nullopt;
  return std::make_pair(start, std::string(text.substr(start, at - start)));
}

// `lines` put before the closing brace of `block`, one step deeper than it,
// in the file's line ends; on the brace's own line when it shares one.
std::string InsertInBlock(std::string_view text, const KeyValue& block,
                          const std::vector<std::string>& lines) {
  const size_t brace = block.valueRange().end - 1;
  const std::string_view end = LineEnd(text);
  if (const auto line = LineStart(text, brace)) {
    std::string added;
    for (const std::string& entry : lines) added += line->second + "\t" + entry + std::string(end);
    return Replace(text, line->first, line->first, added);
  }
  // On the brace's line: each entry with a blank on either side.
  std::string added = brace > 0 && (text[brace - 1] == ' ' || text[brace - 1] == '\t') ? "" : " ";
  for (const std::string& entry : lines) added += entry + " ";
  return Replace(text, brace, brace, added);
}

// The blocks that hold the game's launch options, as far as they are there.
struct Place {
  KeyValueText read;
  std::optional<KeyValue> store;  // UserLocalConfigStore
  std::vector<KeyValue> path;     // Software, Valve, Steam, apps: those found, in order
  std::optional<KeyValue> game, value;
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
  place.store = place.read.root().Find("UserLocalConfigStore");
  if (!place.store || !place.store->isBlock()) {
    place.problem = "localconfig.vdf has no UserLocalConfigStore block: it is no settings file of Steam's";
    return place;
  }
  KeyValue at = *place.store;
  for (const char* key : kPath) {
    const std::optional<KeyValue> next = at.Find(key);
    if (!next) return place;
    if (!next->isBlock()) {
      place.problem = std::string("localconfig.vdf has a ") + key + " that is no block";
      return place;
    }
    place.path.push_back(at = *next);
  }
  place.game = at.Find(appId);
  if (!place.game) return place;
  if (!place.game->isBlock()) {
    place.problem = "the game's entry in localconfig.vdf is no block";
    return place;
  }
  place.value = place.game->Find(kKey);
  if (place.value && place.value->isBlock()) place.problem = "LaunchOptions is a block";
  return place;
}

}  // namespace

std::string WrapperWord(std::string_view wrapperPath, WordRule rule) {
  return platform::QuotedWord(wrapperPath, rule, true);
}

bool NamesWrapper(std::string_view path) {
  const std::string_view name = platform::BaseName(path, platform::kEitherPaths);
  return platform::SameLetters(name, "modpaths-launch") ||
         platform::SameLetters(name, "modpaths-launch.exe");
}

LaunchOptionWords ReadLaunchOption(std::string_view value, WordRule rule) {
  LaunchOptionWords read;
  read.split = platform::SplitWords(value, rule);
  if (!read.split.Whole()) {
    read.problem = read.split.problem + " (at byte " + std::to_string(read.split.problemAt) + ")";
    return read;
  }
  const std::vector<Word>& words = read.split.words;
  for (size_t i = 0; i < words.size() && !read.command; ++i) {
    const Word& word = words[i];
    if (!word.isOperator && !word.quoted && word.text == kCommandWord) {
      read.command = i;
    } else if (word.text.find(kCommandWord) != std::string::npos) {
      read.problem = "%command% stands inside the word " + std::string(value.substr(word.begin, word.end - word.begin));
      return read;
    } else if (!word.isOperator && NamesWrapper(word.text)) {
      read.wrappers.push_back(i);
    }
  }
  if (!read.command) read.wrappers.clear();  // without the game's command no wrapper runs
  return read;
}

Splice WithWrapper(std::string_view value, std::string_view wrapperPath, WordRule rule) {
  Splice splice;
  const LaunchOptionWords read = ReadLaunchOption(value, rule);
  if (!read.problem.empty()) {
    splice.problem = "its words cannot be told apart exactly: " + read.problem;
    return splice;
  }
  const std::string word = WrapperWord(wrapperPath, rule);
  const std::vector<Word>& words = read.split.words;
  if (!read.wrappers.empty()) {
    // The older wrappers, last first, so that the earlier bytes stay put.
    std::string spliced(value);
    for (size_t i = read.wrappers.size(); i-- > 1;) {
      const Word& older = words[read.wrappers[i]];
      spliced = Cut(spliced, older.begin, older.end);
    }
    const Word& first = words[read.wrappers.front()];
    splice.value = Replace(spliced, first.begin, first.end, word);
  } else if (read.command) {
    const size_t at = words[*read.command].begin;
    splice.value = Replace(value, at, at, word + " ");
  } else {
    size_t start = 0;
    while (start < value.size() && (value[start] == ' ' || value[start] == '\t')) ++start;
    splice.value = word + " " + std::string(kCommandWord) +
                   (start == value.size() ? std::string() : " " + std::string(value.substr(start)));
  }
  // What Steam will run: the copy as one word of its own before the game.
  const LaunchOptionWords again = ReadLaunchOption(splice.value, rule);
  size_t named = 0;
  for (const size_t i : again.wrappers) {
    const Word& found = again.split.words[i];
    if (!found.expands && found.text == wrapperPath) ++named;
  }
  if (!again.problem.empty() || !again.command || named != 1 || again.wrappers.size() != 1) {
    splice.problem = "with the wrapper in it, it would not run the wrapper as one word before %command%";
    splice.value.clear();
  }
  return splice;
}

Splice WithoutWrapper(std::string_view value, std::string_view wrapperPath, WordRule rule,
                      bool commandAdded) {
  Splice splice;
  const LaunchOptionWords read = ReadLaunchOption(value, rule);
  if (!read.problem.empty()) {
    splice.problem = "its words cannot be told apart exactly: " + read.problem;
    return splice;
  }
  splice.value = std::string(value);
  bool removed = false;
  for (size_t i = read.wrappers.size(); i-- > 0;) {
    const Word& word = read.split.words[read.wrappers[i]];
    if (word.expands || !SamePath(word.text, wrapperPath, rule)) continue;
    splice.value = Cut(splice.value, word.begin, word.end);
    removed = true;
  }
  if (removed && commandAdded) {
    const SplitLine left = platform::SplitWords(splice.value, rule);
    if (!left.words.empty() && !left.words[0].quoted && left.words[0].text == kCommandWord)
      splice.value = Cut(splice.value, left.words[0].begin, left.words[0].end);
  }
  return splice;
}

namespace {

// The prefix's words, or why they cannot be told apart as Lutris splits
// them (shlex, which knows no operators).
std::optional<SplitLine> PrefixWords(std::string_view value, std::string& problem) {
  SplitLine split = platform::SplitWords(value, WordRule::Shell);
  if (!split.Whole()) {
    problem = "its words cannot be told apart exactly: " + split.problem;
    return std::nullopt;
  }
  for (const Word& word : split.words) {
    if (word.isOperator) {
      problem = "it holds " + word.text + ", which the shell and Lutris read otherwise";
      return std::nullopt;
    }
  }
  return split;
}

std::string TrimmedFront(std::string value) {
  const size_t start = value.find_first_not_of(" \t");
  return start == std::string::npos ? std::string() : value.substr(start);
}

}  // namespace

Splice PrefixWithWrapper(std::string_view value, std::string_view wrapperPath) {
  Splice splice;
  const std::optional<SplitLine> split = PrefixWords(value, splice.problem);
  if (!split) return splice;
  std::string rest(value);
  for (size_t i = split->words.size(); i-- > 0;) {
    const Word& word = split->words[i];
    if (NamesWrapper(word.text)) rest = Cut(rest, word.begin, word.end);
  }
  rest = TrimmedFront(rest);
  splice.value = WrapperWord(wrapperPath, WordRule::Shell) + (rest.empty() ? "" : " " + rest);
  std::string again;
  const std::optional<SplitLine> check = PrefixWords(splice.value, again);
  size_t ours = 0;
  if (check)
    for (const Word& word : check->words) ours += NamesWrapper(word.text) ? 1u : 0u;
  if (!check || ours != 1 || check->words.front().expands || check->words.front().text != wrapperPath) {
    splice.problem = "with the wrapper in it, it would not run the wrapper as one word first";
    splice.value.clear();
  }
  return splice;
}

Splice PrefixWithoutWrapper(std::string_view value, std::string_view wrapperPath) {
  Splice splice;
  const std::optional<SplitLine> split = PrefixWords(value, splice.problem);
  if (!split) return splice;
  splice.value = std::string(value);
  for (size_t i = split->words.size(); i-- > 0;) {
    const Word& word = split->words[i];
    if (!word.expands && word.text == wrapperPath) splice.value = Cut(splice.value, word.begin, word.end);
  }
  splice.value = TrimmedFront(splice.value);
  return splice;
}

LaunchOptionsPlace FindLaunchOptions(std::string_view localconfig, std::string_view appId) {
  const Place place = Find(localconfig, appId);
  LaunchOptionsPlace found;
  found.problem = place.problem;
  found.gameBlock = place.problem.empty() && place.game;
  if (place.problem.empty() && place.value) found.value = place.value->value();
  return found;
}

LaunchOptionsEdit SetLaunchOptions(std::string_view localconfig, std::string_view appId,
                                   const std::optional<std::string>& value) {
  LaunchOptionsEdit edit;
  edit.text = std::string(localconfig);
  const Place place = Find(localconfig, appId);
  if (!place.problem.empty()) {
    edit.problem = place.problem;
    return edit;
  }
  // What stands there must be what can be put back, as must what goes in.
  if (place.value && HasControl(place.value->value())) {
    edit.problem = "the game's launch options hold a line break or other control character";
    return edit;
  }
  if (value && HasControl(*value)) {
    edit.problem = "the launch option would hold a line break or other control character";
    return edit;
  }
  if (!value) {
    if (!place.value) return edit;
    // The key's line, its indentation and line end included.
    size_t begin = place.value->keyRange().begin, end = place.value->valueRange().end;
    const auto start = LineStart(localconfig, begin);
    size_t after = end;
    while (after < localconfig.size() && (localconfig[after] == ' ' || localconfig[after] == '\t')) ++after;
    if (after < localconfig.size() && localconfig[after] == '\r') ++after;
    if (start && after < localconfig.size() && localconfig[after] == '\n') {
      begin = start->first;
      end = after + 1;
    } else {
      while (begin > 0 && (localconfig[begin - 1] == ' ' || localconfig[begin - 1] == '\t')) --begin;
    }
    edit.text = Replace(localconfig, begin, end, "");
    return edit;
  }
  const std::string quoted = QuoteKeyValue(*value);
  if (place.value) {
    if (place.value->value() != *value)
      edit.text = Replace(localconfig, place.value->valueRange().begin, place.value->valueRange().end, quoted);
    return edit;
  }
  // The entry, in the blocks that are missing, put in the deepest there.
  std::vector<std::string> lines{"\"LaunchOptions\"\t\t" + quoted};
  auto wrap = [&](const std::string& key) {
    for (std::string& line : lines) line = "\t" + line;
    lines.insert(lines.begin(), {QuoteKeyValue(key), "{"});
    lines.push_back("}");
  };
  std::optional<KeyValue> deepest = place.game;
  if (!deepest) {
    wrap(std::string(appId));
    for (size_t i = std::size(kPath); i-- > place.path.size();) wrap(kPath[i]);
    deepest = place.path.empty() ? *place.store : place.path.back();
  }
  edit.text = InsertInBlock(localconfig, *deepest, lines);
  return edit;
}

std::vector<std::string> AppsRunning(std::string_view localconfig, std::string_view wrapperPath,
                                     WordRule rule) {
  std::vector<std::string> apps;
  const Place place = Find(localconfig, "");
  if (!place.problem.empty() || place.path.size() != std::size(kPath)) return apps;
  for (const KeyValue app : place.path.back().children()) {
    const std::optional<std::string> value = app.isBlock() ? app.ValueOf(kKey) : std::nullopt;
    if (!value) continue;
    const LaunchOptionWords read = ReadLaunchOption(*value, rule);
    for (const size_t i : read.wrappers) {
      const Word& word = read.split.words[i];
      if (!word.expands && SamePath(word.text, wrapperPath, rule)) {
        apps.push_back(app.key());
        break;
      }
    }
  }
  return apps;
}

}  // namespace steam
