// Any bytes as Valve's key-value text. The reader must stay inside the
// text, give ranges that hold exactly the words it read, and read back
// what the writer's quoting makes of every key and value.

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "platform/command_line.h"
#include "steam/key_values.h"
#include "steam/launch_options.h"

namespace {

void Require(bool holds) {
  if (!holds) std::abort();
}

// The entries again, each key and string quoted as the writer quotes them.
void Write(const steam::KeyValue& block, std::string& out) {
  for (const steam::KeyValue entry : block.children()) {
    out += steam::QuoteKeyValue(entry.key());
    if (entry.isBlock()) {
      out += " {\n";
      Write(entry, out);
      out += "}\n";
    } else {
      out += ' ' + steam::QuoteKeyValue(entry.value()) + '\n';
    }
  }
}

bool Same(const steam::KeyValue& a, const steam::KeyValue& b) {
  if (a.key() != b.key() || a.value() != b.value() || a.isBlock() != b.isBlock()) return false;
  auto x = a.children().begin(), y = b.children().begin();
  const auto xEnd = a.children().end(), yEnd = b.children().end();
  for (; x != xEnd && y != yEnd; ++x, ++y)
    if (!Same(*x, *y)) return false;
  return x == xEnd && y == yEnd;
}

void Check(std::string_view text, const steam::KeyValue& block, bool whole) {
  size_t last = block.valueRange().begin;
  for (const steam::KeyValue entry : block.children()) {
    const steam::ByteRange key = entry.keyRange(), value = entry.valueRange();
    Require(key.begin >= last && key.begin < key.end && key.end <= value.begin && value.begin < value.end &&
            value.end <= text.size());
    last = value.end;
    if (entry.isBlock()) {
      Require(text[value.begin] == '{' && (!whole || text[value.end - 1] == '}'));
      Check(text, entry, whole);
    } else {
      // The value's range alone reads as the same word.
      const std::string alone = "k " + std::string(text.substr(value.begin, value.end - value.begin));
      const steam::KeyValueText again = steam::ParseKeyValues(alone);
      Require(again.Read() && again.root().children().size() == 1 &&
              (*again.root().children().begin()).value() == entry.value());
    }
  }
}

}  // namespace

bool EndsCaseless(const std::string& text, std::string_view end) {
  if (text.size() < end.size()) return false;
  for (size_t i = 0; i < end.size(); ++i) {
    char c = text[text.size() - end.size() + i];
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (c != end[i]) return false;
  }
  return true;
}

// Each string value with the keys that lead to it, but the game's launch
// options, which the splice changes.
void Leaves(const steam::KeyValue& block, const std::string& path, std::vector<std::string>& out) {
  for (const steam::KeyValue entry : block.children()) {
    const std::string at = path + "/" + entry.key();
    if (entry.isBlock()) {
      Leaves(entry, at, out);
    } else if (!EndsCaseless(at, "/1234560/launchoptions")) {
      out.push_back(at + "=" + entry.value());
    }
  }
}

// The launch option's splice on any text: what it writes reads back whole
// with the new value, every other value is as it was, and setting the
// value that stood there again reads back as it.
void CheckSplice(std::string_view text) {
  const std::string copy = "/home/deck/.local/share/modpaths/modpaths-launch";
  const steam::LaunchOptionsPlace place = steam::FindLaunchOptions(text, "1234560");
  const steam::Splice splice = steam::WithWrapper(place.value.value_or(""), copy, platform::WordRule::Shell);
  if (!splice.problem.empty()) return;
  const steam::LaunchOptionsEdit edit = steam::SetLaunchOptions(text, "1234560", splice.value);
  if (!edit.problem.empty()) {
    Require(edit.text == text);
    return;
  }
  Require(steam::FindLaunchOptions(edit.text, "1234560").value == splice.value);
  // Every other value as it was.
  std::vector<std::string> before, after;
  Leaves(steam::ParseKeyValues(text).root(), "", before);
  Leaves(steam::ParseKeyValues(edit.text).root(), "", after);
  Require(before == after);
  const steam::LaunchOptionsEdit back = steam::SetLaunchOptions(edit.text, "1234560", place.value);
  Require(back.problem.empty() && steam::FindLaunchOptions(back.text, "1234560").value == place.value);
}

// Any text as a launch option's words, by both rules: each word's bytes
// lie inside the text, in order, and its text quoted reads back as itself.
void CheckWords(std::string_view text) {
  for (const platform::WordRule rule : {platform::WordRule::Shell, platform::WordRule::Windows}) {
    const platform::SplitLine split = platform::SplitWords(text, rule);
    Require(split.problemAt <= text.size());
    size_t last = 0;
    for (const platform::Word& word : split.words) {
      Require(word.begin >= last && word.begin < word.end && word.end <= text.size());
      last = word.end;
      if (word.isOperator) continue;
      const platform::SplitLine again = platform::SplitWords("x " + platform::QuotedWord(word.text, rule), rule);
      Require(again.Whole() && again.words.size() == 2 && again.words[1].text == word.text);
    }
  }
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  CheckSplice(text);
  CheckWords(text.substr(0, 4096));
  const steam::KeyValueText read = steam::ParseKeyValues(text);
  Require(read.problemAt <= size);
  Check(text, read.root(), read.Read());
  if (!read.Read()) return 0;
  std::string written;
  Write(read.root(), written);
  const steam::KeyValueText back = steam::ParseKeyValues(written);
  Require(back.Read() && Same(back.root(), read.root()));
  return 0;
}
