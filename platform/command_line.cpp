#include "platform/command_line.h"

namespace platform {

std::string_view CommandTail(std::string_view commandLine) {
  size_t at = 0;
  if (!commandLine.empty() && commandLine[0] == '"') {
    at = commandLine.find('"', 1);
    at = at == std::string_view::npos ? commandLine.size() : at + 1;
  } else {
    at = commandLine.find_first_of(" \t");
    if (at == std::string_view::npos) at = commandLine.size();
  }
  while (at < commandLine.size() && (commandLine[at] == ' ' || commandLine[at] == '\t')) ++at;
  return commandLine.substr(at);
}

namespace {

// `argument` in double quotes as the C runtime reads it back: backslashes
// doubled only before a quote, the closing one included.
void AppendInQuotes(std::string& commandLine, std::string_view argument) {
  commandLine += '"';
  size_t backslashes = 0;
  for (const char c : argument) {
    if (c == '\\') {
      ++backslashes;
      continue;
    }
    commandLine.append(c == '"' ? backslashes * 2 + 1 : backslashes, '\\');
    backslashes = 0;
    commandLine += c;
  }
  commandLine.append(backslashes * 2, '\\');
  commandLine += '"';
}

}  // namespace

void AppendQuoted(std::string& commandLine, std::string_view argument) {
  if (!argument.empty() && argument.find_first_of(" \t\"") == std::string_view::npos) {
    commandLine += argument;
    return;
  }
  AppendInQuotes(commandLine, argument);
}
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

bool IsShellOperator(char c) {
  return c == ';' || c == '&' || c == '|' || c == '<' || c == '>' || c == '(' || c == ')' || c == '\n';
}

// The shell's reading of one line, word by word.
class ShellSplitter {
 public:
  explicit ShellSplitter(std::string_view line) : line_(line) {}

  SplitLine Run() {
    while (result_.Whole()) {
      while (at_ < line_.size() && IsBlank(line_[at_])) ++at_;
      if (at_ >= line_.size()) break;
      const char c = line_[at_];
      if (c == '#') {
        // A comment, to the end of the line.
        while (at_ < line_.size() && line_[at_] != '\n') ++at_;
      } else if (IsShellOperator(c)) {
        Word word;
        word.begin = at_;
        word.isOperator = true;
        // A line break stands alone; && ;; >> and the like as one.
        do {
          word.text += line_[at_++];
        } while (c != '\n' && at_ < line_.size() && line_[at_] != '\n' && IsShellOperator(line_[at_]));
        word.end = at_;
        result_.words.push_back(std::move(word));
      } else {
        ReadWord();
      }
    }
    return std::move(result_);
  }

 private:
  void Fail(const char* problem, size_t at) {
    result_.problem = problem;
    result_.problemAt = at;
  }

  // A substitution from `at_` ($(...), ${...} or `...`), its bytes kept as
  // they stand; false, with the problem, when it is not closed.
  bool Substitution(Word& word) {
    const size_t start = at_;
    word.expands = true;
    if (line_[at_] == '`') {
      for (++at_; at_ < line_.size() && line_[at_] != '`'; ++at_)
        if (line_[at_] == '\\') ++at_;
      if (at_ >= line_.size()) {
        Fail("a ` is not closed", start);
        return false;
      }
      ++at_;
    } else {
      const char open = line_[at_ + 1], close = open == '(' ? ')' : '}';
      size_t depth = 0;
      for (at_ += 1; at_ < line_.size(); ++at_) {
        const char c = line_[at_];
        if (c == '\\') {
          ++at_;
        } else if (c == '\'') {
          const size_t end = line_.find('\'', at_ + 1);
          if (end == std::string_view::npos) break;
          at_ = end;
        } else if (c == open) {
          ++depth;
        } else if (c == close && --depth == 0) {
          break;
        }
      }
      if (at_ >= line_.size()) {
        Fail(open == '(' ? "a $( is not closed" : "a ${ is not closed", start);
        return false;
      }
      ++at_;
    }
    word.text.append(line_.substr(start, at_ - start));
    return true;
  }

  // `$` at `at_`: a substitution or parameter, or a plain dollar sign when
  // nothing that names one follows.
  bool Dollar(Word& word) {
    const char next = at_ + 1 < line_.size() ? line_[at_ + 1] : ' ';
    if (next == '(' || next == '{') return Substitution(word);
    if (IsBlank(next) || next == '"' || next == '\'' || next == '\n') {
      word.text += line_[at_++];
      return true;
    }
    word.expands = true;
    word.text += line_[at_++];
    return true;
  }

  void ReadWord() {
    Word word;
    word.begin = at_;
    while (at_ < line_.size()) {
      const char c = line_[at_];
      if (IsBlank(c) || IsShellOperator(c)) break;
      if (c == '\\') {
        word.quoted = true;
        if (at_ + 1 >= line_.size()) {
          word.text += c;  // the shell keeps a backslash that ends the line
          ++at_;
        } else {
          if (line_[at_ + 1] != '\n') word.text += line_[at_ + 1];
          at_ += 2;
        }
      } else if (c == '\'') {
        word.quoted = true;
        const size_t end = line_.find('\'', at_ + 1);
        if (end == std::string_view::npos) return Fail("a single quote is not closed", at_);
        word.text.append(line_.substr(at_ + 1, end - at_ - 1));
        at_ = end + 1;
      } else if (c == '"') {
        word.quoted = true;
        if (!DoubleQuoted(word)) return;
      } else if (c == '$') {
        if (!Dollar(word)) return;
      } else if (c == '`') {
        if (!Substitution(word)) return;
      } else {
        if (c == '*' || c == '?' || c == '[' || (c == '~' && at_ == word.begin)) word.expands = true;
        word.text += c;
        ++at_;
      }
    }
    word.end = at_;
    result_.words.push_back(std::move(word));
  }

  bool DoubleQuoted(Word& word) {
    const size_t start = at_++;
    while (at_ < line_.size()) {
      const char c = line_[at_];
      if (c == '"') {
        ++at_;
        return true;
      }
      if (c == '\\' && at_ + 1 < line_.size()) {
        const char next = line_[at_ + 1];
        if (next == '$' || next == '`' || next == '"' || next == '\\' || next == '\n') {
          if (next != '\n') word.text += next;
          at_ += 2;
          continue;
        }
      }
      if (c == '$') {
        if (!Dollar(word)) return false;
      } else if (c == '`') {
        if (!Substitution(word)) return false;
      } else {
        word.text += c;
        ++at_;
      }
    }
    Fail("a double quote is not closed", start);
    return false;
  }

  std::string_view line_;
  size_t at_ = 0;
  SplitLine result_;
};

// As CommandLineToArgvW and the C runtime split a command line.
SplitLine WindowsSplit(std::string_view line) {
  SplitLine result;
  size_t at = 0;
  while (at < line.size() && IsBlank(line[at])) ++at;
  if (at < line.size()) {
    // The program: from a quote to the next, else to a blank; no escapes.
    Word program;
    program.begin = at;
    if (line[at] == '"') {
      program.quoted = true;
      const size_t end = line.find('"', at + 1);
      program.text = line.substr(at + 1, (end == std::string_view::npos ? line.size() : end) - at - 1);
      at = end == std::string_view::npos ? line.size() : end + 1;
    } else {
      while (at < line.size() && !IsBlank(line[at])) program.text += line[at++];
    }
    program.end = at;
    result.words.push_back(std::move(program));
  }
  for (;;) {
    while (at < line.size() && IsBlank(line[at])) ++at;
    if (at >= line.size()) break;
    Word word;
    word.begin = at;
    bool inQuotes = false;
    while (at < line.size() && (inQuotes || !IsBlank(line[at]))) {
      const char c = line[at];
      if (c == '\\') {
        size_t backslashes = 0;
        while (at < line.size() && line[at] == '\\') ++backslashes, ++at;
        if (at < line.size() && line[at] == '"') {
          word.text.append(backslashes / 2, '\\');
          if (backslashes % 2 == 1) {
            word.text += '"';
            ++at;
          }
          word.quoted = true;
        } else {
          word.text.append(backslashes, '\\');
        }
      } else if (c == '"') {
        word.quoted = true;
        if (inQuotes && at + 1 < line.size() && line[at + 1] == '"') {
          word.text += '"';  // "" inside quotes: one quote, still quoted
          at += 2;
        } else {
          inQuotes = !inQuotes;
          ++at;
        }
      } else {
        word.text += c;
        ++at;
      }
    }
    word.end = at;
    result.words.push_back(std::move(word));
  }
  return result;
}

}  // namespace

SplitLine SplitWords(std::string_view line, WordRule rule) {
  return rule == WordRule::Shell ? ShellSplitter(line).Run() : WindowsSplit(line);
}

std::string QuotedWord(std::string_view text, WordRule rule, bool program) {
  std::string word;
  if (rule == WordRule::Windows && !program) {
    AppendInQuotes(word, text);
    return word;
  }
  word = "\"";
  for (const char c : text) {
    if (rule == WordRule::Shell && (c == '"' || c == '\\' || c == '$' || c == '`')) word += '\\';
    word += c;
  }
  return word + '"';
}

}  // namespace platform
