#pragma once

// Command lines, as pure string work so that the rules can be tested on
// any host. A Windows program gets its command line as one string;
// splitting it into arguments is the program's own business. A launcher's
// line on Linux (Steam's launch options, Lutris' command prefix) is handed
// to the shell, which splits it by its own rules.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// What follows the program's name on a command line, untouched: the name is
// the first token as Windows splits it (CommandLineToArgvW, CreateProcess):
// from an opening quote to the next quote, else up to the first space or
// tab; the spaces and tabs after it are not part of the rest.
std::string_view CommandTail(std::string_view commandLine);

// Appends `argument` to a command line so that the C runtime's and
// CommandLineToArgvW's splitting give it back unchanged: quoted when it is
// empty or holds a space, tab or quote; backslashes doubled only before a
// quote.
void AppendQuoted(std::string& commandLine, std::string_view argument);

// How a line is split into the words a program gets: by `sh -c` (Steam's
// launch options and Lutris' command prefix on Linux), or as a Windows
// command line (Steam's launch options on Windows), whose first word, the
// program, knows no escapes.
enum class WordRule { Shell, Windows };
#ifdef _WIN32
inline constexpr WordRule kNativeWords = WordRule::Windows;
#else
inline constexpr WordRule kNativeWords = WordRule::Shell;
#endif

struct Word {
  std::string text;           // as the program gets it: quotes and escapes taken out
  size_t begin = 0, end = 0;  // its bytes in the line, quotes included
  bool quoted = false;        // some of it stood in quotes or after a backslash
  // The shell changes it before any program sees it ($, `, a leading ~, or
  // * ? [ outside quotes): `text` is then only what stands there.
  bool expands = false;
  // One of the shell's operators (; & | < > ( ) or a line break), which
  // end a command: no program's word.
  bool isOperator = false;
};

struct SplitLine {
  std::vector<Word> words;
  std::string problem;  // empty when the line splits whole: then the shell would run it
  size_t problemAt = 0;
  bool Whole() const { return problem.empty(); }
};

// The words of `line` by `rule`, with where each stands. The shell's rule
// knows single and double quotes, backslashes, substitutions ($(...),
// `...`, ${...}), comments and operators; a quote or substitution left
// open is a problem, as it is to the shell. Windows' rule never fails.
SplitLine SplitWords(std::string_view line, WordRule rule);

// `text` as one word that `rule` gives back exactly: in double quotes,
// with the shell's escapes (\" \\ \$ \`), or Windows' (backslashes doubled
// only before a quote). Windows' program word takes no escape: a path,
// which holds no quote.
std::string QuotedWord(std::string_view text, WordRule rule, bool program = false);

}  // namespace platform
