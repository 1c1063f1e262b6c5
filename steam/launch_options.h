#pragma once

// A game's launch options in Steam's localconfig.vdf, at
//   UserLocalConfigStore > Software > Valve > Steam > apps > <app id> > LaunchOptions
// (keys in any case; the top-level "apps" block holds other settings).
// Steam hands the value to `sh -c` (Linux) or starts it as a command line
// (Windows), with %command% standing for the game's whole command: a
// wrapper runs when it is a word of its own before %command%. Its words are
// split by the one rule of platform/command_line.h. Edits are splices: the
// value's bytes alone are replaced, or the lines (blocks) that are missing
// added in the file's own line ends, and every other byte stays as it was.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/command_line.h"

namespace steam {

inline constexpr std::string_view kCommandWord = "%command%";

// The wrapper as a word of a launch option: its path in double quotes,
// quoted by the rule's escapes.
std::string WrapperWord(std::string_view wrapperPath, platform::WordRule rule);

// Whether a path names a wrapper of ours: its file name is modpaths-launch
// or modpaths-launch.exe, in any case.
bool NamesWrapper(std::string_view path);

// A launch option's words, and where %command% stands among them.
struct LaunchOptionWords {
  platform::SplitLine split;
  std::optional<size_t> command;  // the index of the word %command%
  std::vector<size_t> wrappers;   // the words of ours before it (NamesWrapper)
  // Why the words cannot be marked off exactly (a quote left open,
  // %command% inside another word); empty when they can.
  std::string problem;
};
LaunchOptionWords ReadLaunchOption(std::string_view value, platform::WordRule rule);

// A new launch option, or why there is none: then the value stays as it is.
struct Splice {
  std::string value;
  std::string problem;
};

// The value that runs `wrapperPath` before the game and keeps what stood
// there: the first older wrapper before %command% replaced (any others
// taken out, so that no two run in a chain), else the word put right before
// %command%, else the word and %command% before what stood there (Steam
// puts options without %command% after the game's command). The result is
// split again: it must hold the wrapper as one word before %command%.
Splice WithWrapper(std::string_view value, std::string_view wrapperPath, platform::WordRule rule);

// The inverse, on the value as it is now, so that what the player changed
// since stays: each word before %command% naming `wrapperPath` taken out,
// and, when `commandAdded` (the value before had no %command%), a
// %command% left first with nothing before it, as WithWrapper put it.
Splice WithoutWrapper(std::string_view value, std::string_view wrapperPath,
                      platform::WordRule rule, bool commandAdded);

// A command prefix (Lutris' system: prefix_command), every word of which
// runs before the game's command, split by the shell's rule: the wrapper
// put first, an older one taken out; and taken out again.
Splice PrefixWithWrapper(std::string_view value, std::string_view wrapperPath);
Splice PrefixWithoutWrapper(std::string_view value, std::string_view wrapperPath);

// Where the game's launch options stand in one account's localconfig.vdf.
struct LaunchOptionsPlace {
  std::optional<std::string> value;  // nothing: no such key
  bool gameBlock = false;            // the account has settings for the game
  std::string problem;               // set when the file is none Steam reads whole
};
LaunchOptionsPlace FindLaunchOptions(std::string_view localconfig, std::string_view appId);

// The whole file with the game's launch options set to `value` (nothing:
// the key taken out); the game's block and the blocks above it that are
// missing added inside UserLocalConfigStore. `problem` set, and `text` the
// file unchanged, when it cannot be.
struct LaunchOptionsEdit {
  std::string text;
  std::string problem;
};
LaunchOptionsEdit SetLaunchOptions(std::string_view localconfig, std::string_view appId,
                                   const std::optional<std::string>& value);

// The apps of one account whose launch options run `wrapperPath` before
// the game, by their ids.
std::vector<std::string> AppsRunning(std::string_view localconfig, std::string_view wrapperPath,
                                     platform::WordRule rule);

}  // namespace steam
