#include "steam/key_values.h"

#include "app/paths.h"

namespace steam {
namespace {

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v'; }

class Parser {
 public:
  explicit Parser(std::string_view text) : text_(text), mostEntries_(MostKeyValueEntries(text.size())) {
    if (text_.substr(0, 3) == "\xEF\xBB\xBF") at_ = 3;
  }

  void Block(KeyValue& block, uint32_t depth) {
    for (;;) {
      SkipSpace();
      if (at_ >= text_.size()) {
        if (depth > 0) Fail("a block is not closed", block.valueRange.begin);
        return;
      }
      const char c = text_[at_];
      if (c == '}') {
        if (depth == 0) return Fail("a '}' closes no block", at_);
        block.valueRange.end = ++at_;
        return;
      }
      if (c == '{') return Fail("a block has no key", at_);
      if (++entries_ > mostEntries_)
        return Fail("the text holds more entries than a file of Steam's of its size", at_);
      KeyValue entry;
      if (!Word(entry.key, entry.keyRange)) return;
      SkipSpace();
      if (at_ >= text_.size() || text_[at_] == '}')
        return Fail("the key \"" + entry.key + "\" has no value", entry.keyRange.begin);
      if (text_[at_] == '{') {
        if (depth + 1 >= kMostKeyValueDepth) return Fail("the blocks nest too deep", at_);
        entry.isBlock = true;
        entry.valueRange.begin = at_++;
        Block(entry, depth + 1);
        // A block cut short ends where the reading stopped.
        if (failed() && entry.valueRange.end <= entry.valueRange.begin) entry.valueRange.end = at_;
        entry.children.shrink_to_fit();
        block.children.push_back(std::move(entry));
        if (failed()) return;
      } else {
        if (!Word(entry.value, entry.valueRange)) return;
        block.children.push_back(std::move(entry));
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
  bool Word(std::string& word, ByteRange& range) {
    range.begin = at_;
    if (text_[at_] != '"') {
      while (at_ < text_.size() && !IsSpace(text_[at_]) && text_[at_] != '"' &&
             text_[at_] != '{' && text_[at_] != '}') {
        ++at_;
      }
      word.assign(text_.substr(range.begin, at_ - range.begin));
      range.end = at_;
      return true;
    }
    for (++at_; at_ < text_.size(); ++at_) {
      const char c = text_[at_];
      if (c == '"') {
        range.end = ++at_;
        return true;
      }
      if (c != '\\') {
        word += c;
        continue;
      }
      if (at_ + 1 >= text_.size()) break;
      const char escaped = text_[++at_];
      switch (escaped) {
        case 'n': word += '\n'; break;
        case 't': word += '\t'; break;
        case 'r': word += '\r'; break;
        case '\\':
        case '"': word += escaped; break;
        default:
          // Not an escape: the backslash stands for itself.
          word += '\\';
          --at_;
      }
    }
    Fail("a quoted word is not closed", range.begin);
    return false;
  }

  std::string_view text_;
  size_t at_ = 0;
  size_t entries_ = 0;
  const size_t mostEntries_;
};

}  // namespace

const KeyValue* KeyValue::Find(std::string_view name) const {
  for (const KeyValue& child : children) {
    if (modpaths::SameLetters(child.key, name)) return &child;
  }
  return nullptr;
}

std::optional<std::string> KeyValue::ValueOf(std::string_view name) const {
  const KeyValue* child = Find(name);
  if (child == nullptr || child->isBlock) return std::nullopt;
  return child->value;
}

KeyValueText ParseKeyValues(std::string_view text) {
  KeyValueText result;
  result.root.isBlock = true;
  result.root.valueRange = {0, text.size()};
  if (text.size() > kMostKeyValueBytes) {
    result.problem = "the file is larger than " + std::to_string(kMostKeyValueBytes >> 20) + " MiB";
    return result;
  }
  Parser parser(text);
  parser.Block(result.root, 0);
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
