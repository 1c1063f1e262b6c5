#include "steam/key_values.h"

#include "platform/path_style.h"

namespace steam {
namespace {

using Entry = KeyValueData::Entry;

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v'; }

// A word's text from its bytes: a quoted one without its quotes and
// escapes, a bare one as it stands.
std::string Unescaped(std::string_view word) {
  if (word.empty() || word.front() != '"') return std::string(word);
  std::string text;
  // The closing quote, when there is one: a word cut short has none.
  const size_t end = word.size() >= 2 && word.back() == '"' ? word.size() - 1 : word.size();
  for (size_t at = 1; at < end; ++at) {
    const char c = word[at];
    if (c != '\\' || at + 1 >= end) {
      text += c;
      continue;
    }
    switch (const char escaped = word[++at]) {
      case 'n': text += '\n'; break;
      case 't': text += '\t'; break;
      case 'r': text += '\r'; break;
      case '\\':
      case '"': text += escaped; break;
      default:
        // Not an escape: the backslash stands for itself.
        text += '\\';
        --at;
    }
  }
  return text;
}

// Whether a word's text is `name`, in any case, without making the text
// when the word holds no escape.
bool WordIs(std::string_view word, std::string_view name) {
  if (!word.empty() && word.front() == '"' && word.size() >= 2 && word.back() == '"') {
    const std::string_view inside = word.substr(1, word.size() - 2);
    if (inside.find('\\') == std::string_view::npos) return platform::SameLetters(inside, name);
    return platform::SameLetters(Unescaped(word), name);
  }
  return platform::SameLetters(word, name);
}

}  // namespace

class Parser {
 public:
  Parser(std::string_view text, KeyValueData& data)
      : text_(text), data_(data), mostEntries_(MostKeyValueEntries(text.size())) {
    if (text_.substr(0, 3) == "\xEF\xBB\xBF") at_ = 3;
  }

  // The entries of the block at `index`, to its closing brace (or, at
  // depth 0, the end of the text).
  void Block(uint32_t index, uint32_t depth) {
    uint32_t last = KeyValue::kNone;
    for (;;) {
      SkipSpace();
      if (at_ >= text_.size()) {
        if (depth > 0) Fail("a block is not closed", data_.entries[index].valueBegin);
        return;
      }
      const char c = text_[at_];
      if (c == '}') {
        if (depth == 0) return Fail("a '}' closes no block", at_);
        data_.entries[index].valueEnd = static_cast<uint32_t>(++at_);
        return;
      }
      if (c == '{') return Fail("a block has no key", at_);
      if (data_.entries.size() > mostEntries_)
        return Fail("the text holds more entries than a file of Steam's of its size", at_);
      Entry entry;
      if (!Word(entry.keyBegin, entry.keyEnd)) return;
      SkipSpace();
      if (at_ >= text_.size() || text_[at_] == '}') {
        return Fail("the key \"" + Unescaped(text_.substr(entry.keyBegin, entry.keyEnd - entry.keyBegin)) +
                        "\" has no value",
                    entry.keyBegin);
      }
      // Linked in before its value is read, so that a block cut short
      // still stands where it was read.
      const auto added = static_cast<uint32_t>(data_.entries.size());
      const bool block = text_[at_] == '{';
      if (block) {
        if (depth + 1 >= kMostKeyValueDepth) return Fail("the blocks nest too deep", at_);
        entry.valueBegin = static_cast<uint32_t>(at_++);
      } else if (!Word(entry.valueBegin, entry.valueEnd)) {
        return;
      }
      data_.entries.push_back(entry);
      if (last == KeyValue::kNone) {
        data_.entries[index].firstChild = added;
      } else {
        data_.entries[last].next = added;
      }
      last = added;
      if (block) {
        Block(added, depth + 1);
        // A block cut short ends where the reading stopped.
        Entry& read = data_.entries[added];
        if (failed() && read.valueEnd <= read.valueBegin) read.valueEnd = static_cast<uint32_t>(at_);
        if (failed()) return;
      }
    }
  }

  bool failed() const { return !problem_.empty(); }
  std::string problem_;
  size_t problemAt_ = 0;

 private:
  void Fail(std::string problem, size_t at) {
    problem_ = std::move(problem);
    problemAt_ = at;
  }

  void SkipSpace() {
    while (at_ < text_.size()) {
      if (IsSpace(text_[at_])) {
        ++at_;
      } else if (text_.compare(at_, 2, "//") == 0) {
        const size_t end = text_.find('\n', at_);
        at_ = end == std::string_view::npos ? text_.size() : end + 1;
      } else {
        return;
      }
    }
  }

  // A quoted or bare word at the position, which is no brace or space.
  bool Word(uint32_t& begin, uint32_t& end) {
    begin = static_cast<uint32_t>(at_);
    if (text_[at_] != '"') {
      while (at_ < text_.size() && !IsSpace(text_[at_]) && text_[at_] != '"' && text_[at_] != '{' &&
             text_[at_] != '}') {
        ++at_;
      }
      end = static_cast<uint32_t>(at_);
      return true;
    }
    for (++at_; at_ < text_.size(); ++at_) {
      const char c = text_[at_];
      if (c == '"') {
        end = static_cast<uint32_t>(++at_);
        return true;
      }
      // \\ and \" are escapes; any other backslash stands for itself.
      if (c == '\\' && at_ + 1 < text_.size() && (text_[at_ + 1] == '\\' || text_[at_ + 1] == '"')) ++at_;
    }
    Fail("a quoted word is not closed", begin);
    return false;
  }

  std::string_view text_;
  KeyValueData& data_;
  size_t at_ = 0;
  const size_t mostEntries_;
};

std::string KeyValue::key() const {
  const Entry& entry = data_->entries[index_];
  return Unescaped(data_->text.substr(entry.keyBegin, entry.keyEnd - entry.keyBegin));
}

std::string KeyValue::value() const {
  if (isBlock()) return {};
  const Entry& entry = data_->entries[index_];
  return Unescaped(data_->text.substr(entry.valueBegin, entry.valueEnd - entry.valueBegin));
}

bool KeyValue::isBlock() const {
  const Entry& entry = data_->entries[index_];
  return index_ == 0 || (entry.valueBegin < data_->text.size() && data_->text[entry.valueBegin] == '{');
}

ByteRange KeyValue::keyRange() const {
  const Entry& entry = data_->entries[index_];
  return {entry.keyBegin, entry.keyEnd};
}

ByteRange KeyValue::valueRange() const {
  const Entry& entry = data_->entries[index_];
  return {entry.valueBegin, entry.valueEnd};
}

KeyValue::Children::iterator& KeyValue::Children::iterator::operator++() {
  at_ = data_->entries[at_].next;
  return *this;
}

size_t KeyValue::Children::size() const {
  size_t count = 0;
  for (auto it = begin(); it != end(); ++it) ++count;
  return count;
}

KeyValue::Children KeyValue::children() const {
  return Children(data_, isBlock() ? data_->entries[index_].firstChild : kNone);
}

std::optional<KeyValue> KeyValue::Find(std::string_view name) const {
  for (const KeyValue child : children()) {
    const Entry& entry = data_->entries[child.index_];
    if (WordIs(data_->text.substr(entry.keyBegin, entry.keyEnd - entry.keyBegin), name)) return child;
  }
  return std::nullopt;
}

std::optional<std::string> KeyValue::ValueOf(std::string_view name) const {
  const std::optional<KeyValue> child = Find(name);
  if (!child || child->isBlock()) return std::nullopt;
  return child->value();
}

KeyValueText ParseKeyValues(std::string_view text) {
  KeyValueText result;
  KeyValueData& data = *result.data_;
  data.text = text;
  data.entries.push_back({0, 0, 0, static_cast<uint32_t>(std::min(text.size(), size_t{UINT32_MAX})),
                          KeyValue::kNone, KeyValue::kNone});
  if (text.size() > kMostKeyValueBytes) {
    result.problem = "the file is larger than " + std::to_string(kMostKeyValueBytes >> 20) + " MiB";
    return result;
  }
  Parser parser(text, data);
  parser.Block(0, 0);
  data.entries.shrink_to_fit();
  result.problem = std::move(parser.problem_);
  result.problemAt = parser.problemAt_;
  return result;
}

std::string QuoteKeyValue(std::string_view value) {
  std::string quoted = "\"";
  for (const char c : value) {
    if (c == '\\' || c == '"') quoted += '\\';
    quoted += c;
  }
  return quoted + '"';
}

}  // namespace steam
